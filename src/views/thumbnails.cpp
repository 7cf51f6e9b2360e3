#include "views/thumbnails.h"

#include "archive/datfiledoc.h"
#include "filetypes/thumbnail.h"

#include <QImage>
#include <cstring>

namespace {

// Background work is handed to the workers a little at a time, so that
// neither a long folder nor a change of folder holds the window up.
constexpr std::size_t kFeedBatch = 64;

// The picture centred in a transparent cell; made on the worker, so that the
// window's thread only wraps it.
QImage ToCell(const SThumbnail& thumbnail)
{
    const int side = CThumbnailCache::kSide;
    QImage cell(side, side, QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    const int width = std::min(thumbnail.m_nWidth, side), height = std::min(thumbnail.m_nHeight, side);
    const int left = (side - width) / 2, top = (side - height) / 2;
    for (int y = 0; y < height; ++y)
        std::memcpy(cell.scanLine(top + y) + left * 4, thumbnail.m_pixels.data() + std::size_t(y) * thumbnail.m_nWidth,
                    std::size_t(width) * 4);
    return cell;
}

} // namespace

struct CThumbnailCache::SJob
{
    const CDATInternalFile* m_pEntry;
    SThumbnailRequest m_request;
};

struct CThumbnailCache::SResult
{
    const CDATInternalFile* m_pEntry;
    unsigned m_nGeneration;
    QImage m_cell; // null: the entry keeps its icon
};

CThumbnailCache::CThumbnailCache(CDATFileDoc* doc, QObject* parent) : QObject(parent), m_pDoc(doc)
{
    m_made.setMaxCost(kMaxKilobytes);
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

CThumbnailCache::~CThumbnailCache()
{
    {
        std::lock_guard lock(m_mutex);
        m_bClosing = true;
        m_urgent.clear();
        m_background.clear();
    }
    m_pool.waitForDone();
}

QPixmap CThumbnailCache::Lookup(const CDATInternalFile& entry)
{
    if (const QPixmap* made = m_made.object(&entry))
        return *made;
    if (!m_none.count(&entry) && !m_queued.count(&entry))
        Queue(entry, true);
    return {};
}

void CThumbnailCache::Queue(const CDATInternalFile& entry, bool urgent)
{
    if (!m_palettes)
        m_palettes = PaletteEntries(*m_pDoc);
    std::optional<SThumbnailRequest> request = ThumbnailRequestFor(m_pDoc->Context(), entry, *m_palettes);
    if (!request) {
        m_none.insert(&entry);
        return;
    }
    m_queued.insert(&entry);
    {
        std::lock_guard lock(m_mutex);
        // The cell painted last is likely still on screen.
        if (urgent)
            m_urgent.push_front({&entry, std::move(*request)});
        else
            m_background.push_back({&entry, std::move(*request)});
    }
    StartWorkers();
}

void CThumbnailCache::ShowFolder(std::vector<const CDATInternalFile*> entries)
{
    {
        std::lock_guard lock(m_mutex);
        m_urgent.clear();
        m_background.clear();
    }
    // Work already running still lands in the cache; the rest is asked again.
    m_queued.clear();
    m_folder = std::move(entries);
    m_nFed = 0;
    Feed();
}

void CThumbnailCache::Forget()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_nGeneration;
        m_urgent.clear();
        m_background.clear();
        m_results.clear();
    }
    m_made.clear();
    m_none.clear();
    m_palettes.reset();
    m_queued.clear();
    m_folder.clear();
    m_nFed = 0;
}

void CThumbnailCache::Feed()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_background.size() >= kFeedBatch)
            return;
    }
    for (std::size_t fed = 0; fed < kFeedBatch && m_nFed < m_folder.size(); ++m_nFed) {
        const CDATInternalFile* entry = m_folder[m_nFed];
        if (m_made.contains(entry) || m_none.count(entry) || m_queued.count(entry))
            continue;
        Queue(*entry, false);
        ++fed;
    }
}

void CThumbnailCache::StartWorkers()
{
    std::lock_guard lock(m_mutex);
    const std::size_t jobs = m_urgent.size() + m_background.size();
    while (m_nWorkers < m_pool.maxThreadCount() && std::size_t(m_nWorkers) < jobs) {
        ++m_nWorkers;
        m_pool.start([this] { Work(); });
    }
}

void CThumbnailCache::Work()
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        std::deque<SJob>& from = m_urgent.empty() ? m_background : m_urgent;
        if (m_bClosing || from.empty()) {
            --m_nWorkers;
            return;
        }
        SJob job = std::move(from.front());
        from.pop_front();
        const unsigned generation = m_nGeneration;
        lock.unlock();

        SResult result{job.m_pEntry, generation, {}};
        try {
            const SThumbnail thumbnail = MakeThumbnail(job.m_request, kSide);
            if (!thumbnail.IsEmpty())
                result.m_cell = ToCell(thumbnail);
        } catch (const std::exception&) {
            // A damaged picture keeps its type icon; the viewer tells why.
        }

        lock.lock();
        m_results.push_back(std::move(result));
        if (!m_bDeliveryPosted && !m_bClosing) {
            m_bDeliveryPosted = true;
            QMetaObject::invokeMethod(this, &CThumbnailCache::Deliver, Qt::QueuedConnection);
        }
    }
}

void CThumbnailCache::Deliver()
{
    std::vector<SResult> results;
    unsigned generation;
    {
        std::lock_guard lock(m_mutex);
        results.swap(m_results);
        m_bDeliveryPosted = false;
        generation = m_nGeneration;
    }
    std::vector<const CDATInternalFile*> ready;
    for (SResult& result : results) {
        if (result.m_nGeneration != generation)
            continue;
        ++m_nFinished;
        m_queued.erase(result.m_pEntry);
        if (result.m_cell.isNull()) {
            m_none.insert(result.m_pEntry);
            continue;
        }
        m_made.insert(result.m_pEntry, new QPixmap(QPixmap::fromImage(std::move(result.m_cell))), kSide * kSide * 4 / 1024);
        ready.push_back(result.m_pEntry);
    }
    Feed();
    if (!ready.empty() && m_onReady)
        m_onReady(ready);
}
