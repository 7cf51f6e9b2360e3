#pragma once
// The large-icon style's thumbnails: made on worker threads, the cells the
// view paints first, then the rest of the folder; kept while the archive is
// open, up to a memory bound. Nothing here ever waits for a worker.
#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

class CDATFileDoc;
class CDATInternalFile;
struct SThumbnailRequest;

class CThumbnailCache : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSide = 96;
    // About two thousand cells' worth.
    static constexpr int kMaxKilobytes = 80 * 1024;

    explicit CThumbnailCache(CDATFileDoc* doc, QObject* parent = nullptr);
    ~CThumbnailCache() override;

    // The entry's thumbnail, kSide square; null while it is being made (it
    // is then queued ahead of the rest) and for entries that have none.
    QPixmap Lookup(const CDATInternalFile& entry);
    // A new listing: work queued for the last one is dropped, these follow
    // the cells painted.
    void ShowFolder(std::vector<const CDATInternalFile*> entries);
    // Thumbnails off: nothing more is made.
    void Stop() { ShowFolder({}); }
    // Another archive (or palette): what was made is forgotten.
    void Forget();

    // Whether the entry's thumbnail is at hand; queues nothing.
    bool Has(const CDATInternalFile& entry) const { return m_made.contains(&entry); }
    // Whether the entry's cell is final: its thumbnail is at hand, or it keeps its icon.
    bool Settled(const CDATInternalFile& entry) const { return Has(entry) || m_none.count(&entry); }
    // Thumbnails made or refused since the start.
    int Finished() const { return m_nFinished; }
    // Called on the window's thread with the entries whose thumbnails arrived.
    std::function<void(const std::vector<const CDATInternalFile*>&)> m_onReady;

private:
    struct SJob;
    struct SResult;
    void Queue(const CDATInternalFile& entry, bool urgent);
    void Feed();
    void StartWorkers();
    void Work();
    void Deliver();

    CDATFileDoc* m_pDoc;
    QCache<const CDATInternalFile*, QPixmap> m_made;
    std::unordered_set<const CDATInternalFile*> m_none;
    std::unordered_set<const CDATInternalFile*> m_queued;
    std::vector<const CDATInternalFile*> m_folder;
    // The archive's palette entries, gathered at the first request.
    std::optional<std::vector<const CDATInternalFile*>> m_palettes;
    std::size_t m_nFed = 0;
    int m_nFinished = 0;

    // Shared with the workers.
    std::mutex m_mutex;
    std::deque<SJob> m_urgent, m_background;
    std::vector<SResult> m_results;
    unsigned m_nGeneration = 0;
    int m_nWorkers = 0;
    bool m_bDeliveryPosted = false;
    bool m_bClosing = false;
    QThreadPool m_pool;
};
