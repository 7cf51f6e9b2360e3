#pragma once
// The lower right pane: the shown item's band with icon and name, and its
// preview below. Previews are made when an entry is selected (large ones on
// a worker thread), kept for a while, and only drawn by paint.
#include "archive/document.h"
#include "filetypes/frmanimation.h"
#include "platform/cwnd.h"
#include "platform/preview.h"
#include "platform/ui/cmdtarget.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <exception>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDATFileType;
struct SPreviewRequest;
struct SOldSide;
struct SArchiveContext;
class CDATInternalFile;

class CDATFileDoc;
class CDATItem;
class CDC;
class CPictureStrip;
class CSoundPlayer;
class CSoundPreview;
class QPushButton;
class QTimer;
class QPlainTextEdit;

class CDATFileViewer : public QAbstractScrollArea, public CView, public CWnd, public CCmdTarget
{
    Q_OBJECT
public:
    explicit CDATFileViewer(CDATFileDoc* doc, QWidget* parent = nullptr);
    ~CDATFileViewer() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint, void* hintObject) override;
    bool OnCmdMsg(unsigned, CCmdUI*) override { return false; }

    // null shows nothing; the item already shown costs nothing.
    void SetItem(CDATItem* item);
    CDATItem* GetItem() const { return m_pItem; }
    // Makes the shown entry's preview again when a setting that shapes it changed.
    void RefreshPreview();

    void SetScrollSizes(int cx, int cy) override;
    bool IsScrollView() const override { return true; }
    RECT GetClientRect() const override;
    int ScrollWidth() const { return m_nScrollWidth; }
    int ScrollHeight() const { return m_nScrollHeight; }

    // Paints the band and the preview into dc, scrolled (also used by tests).
    void OnDraw(CDC& dc);

    // Previews made so far, and whether one is being made on a worker thread.
    int PreviewsMade() const { return m_nPreviewsMade; }
    bool IsPreviewPending() const { return m_bPending; }
    // Bytes kept in the cache of recent previews, and its bound.
    std::size_t CachedBytes() const { return m_nCachedBytes; }
    static constexpr std::size_t kCacheBytes = 64u << 20;

    // Pictures that move. The state stays while other entries are shown.
    const SPictureState& PictureState() const { return m_state; }
    void SetDirection(int direction);
    void TogglePlay();
    void StepFrame(int delta); // pauses
    void SetZoom(int zoom);
    void SetTransparent(bool on);
    void SetPaletteAnimation(bool on);
    // Colours pictures by a PAL entry (raw name) or a PAL file instead of
    // their own palette; both empty: their own again.
    void SetPalette(const std::string& entry, const std::string& file);
    // Texts show in a read-only editor: select, copy, break long lines.
    QPlainTextEdit* TextView() const { return m_pText; }
    bool IsFixedFont() const { return m_bFixedFont; }
    void SetFixedFont(bool on);
    // The View menu's picture and text items, whichever pane has the focus.
    bool OnPictureCommand(unsigned id, CCmdUI* ui);
    CPictureStrip* Strip() const { return m_pStrip; }
    // Runs only while the shown picture moves.
    const QTimer& AnimationTimer() const { return m_timer; }
    const CFrmAnimationPreview* Animation() const;
    // Plays or stops the shown sound (Space, the Play button); false when no
    // sound is shown.
    bool ToggleSound();
    bool IsSoundPlaying() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct SCached
    {
        const CDATItem* m_pItem;
        unsigned m_nGeneration;
        std::shared_ptr<CPreview> m_pPreview;
    };

    void ShowPreview(std::shared_ptr<CPreview> preview);
    void OnPreviewReady(unsigned ticket, std::shared_ptr<CPreview> preview, std::exception_ptr error);
    void Remember(const CDATItem* item, unsigned generation, const std::shared_ptr<CPreview>& preview);
    void ForgetAll();
    void LayoutPreview();
    void UpdateScrollBars();
    CFrmAnimationPreview* ShownAnimation() const;
    void ApplyPictureState();
    void ScheduleTick();
    void OnTick();
    int ContentTop() const;
    void ApplyChosenPalette(const CDATFileType& type, SPreviewRequest& request) const;
    const std::vector<std::string>& PaletteEntries();
    void ChoosePalette(int index);
    CSoundPreview* ShownSound() const;
    void ShowSoundControls();
    void OnSoundTick();
    void CancelWork();
    bool ShowsText() const;
    // Comparing: the old version of a changed picture or text, to show beside the new.
    std::optional<SOldSide> OldSide(const SArchiveContext& context, const CDATInternalFile& file,
                                           const SPreviewRequest& request) const;

    CDATFileDoc* m_pDoc;
    CDATItem* m_pItem = nullptr;
    std::shared_ptr<CPreview> m_pPreview;
    unsigned m_nGeneration = 0;
    unsigned m_nTicket = 0;
    bool m_bPending = false;
    int m_nPreviewsMade = 0;
    std::list<SCached> m_cache; // most recent first
    std::size_t m_nCachedBytes = 0;
    int m_nScrollWidth = 0;
    int m_nScrollHeight = 0;
    SPictureState m_state;
    std::optional<std::vector<std::string>> m_palEntries; // raw names, read once per archive
    CPictureStrip* m_pStrip;
    QTimer m_timer;
    QElapsedTimer m_clock; // since the shown picture came up
    int m_nFrame = 0;
    qint64 m_nNextFrameAt = 0;
    std::unique_ptr<CSoundPlayer> m_pSound;
    QPushButton* m_pPlayButton = nullptr;
    QTimer* m_pSoundTimer = nullptr;
    // Set when the pane moves on from the entry being made.
    std::shared_ptr<std::atomic<bool>> m_pCancel;
    QPlainTextEdit* m_pText;
    bool m_bFixedFont = false;
};
