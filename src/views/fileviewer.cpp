#include "views/fileviewer.h"

#include "archive/datfiledoc.h"
#include "filetypes/mediapreviews.h"
#include "filetypes/previews.h"
#include "platform/cdc.h"
#include "platform/codepage.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtdc.h"
#include "views/soundplayer.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QThreadPool>
#include <QTimer>
#include <optional>

namespace {

constexpr int kBandHeight = 40;
constexpr std::uint32_t kBandColor = RGB(160, 200, 255);

// A preview, or what kept it from being made, on whatever thread runs this.
std::pair<std::shared_ptr<CPreview>, std::exception_ptr> Make(const CDATFileType& type, const SPreviewRequest& request)
{
    try {
        return {type.MakePreview(request), nullptr};
    } catch (...) {
        return {nullptr, std::current_exception()};
    }
}

} // namespace

CDATFileViewer::CDATFileViewer(CDATFileDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    doc->AddView(this);
}

CDATFileViewer::~CDATFileViewer() = default;

void CDATFileViewer::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
    SetScrollSizes(100, 100);
}

void CDATFileViewer::OnUpdate(CView*, long, void*)
{
    // The entries the cache knows may be gone.
    m_pItem = nullptr;
    ForgetAll();
    ShowPreview(nullptr);
}

void CDATFileViewer::SetItem(CDATItem* item)
{
    auto* file = dynamic_cast<CDATInternalFile*>(item);
    const SArchiveContext context = m_pDoc->Context();
    const unsigned generation = file ? file->m_pType->PreviewGeneration(context) : 0;
    // Autoshow reports the same row more than once: that must cost nothing.
    if (item == m_pItem && generation == m_nGeneration)
        return;
    // Disabling would hand the focus on; keep it here.
    const bool hadFocus = hasFocus() || viewport()->hasFocus();
    setEnabled(false);
    SetScrollSizes(0, 0);
    m_pItem = item;
    m_nGeneration = generation;
    ++m_nTicket;
    m_bPending = false;
    setEnabled(true);
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    if (!file) {
        ShowPreview(nullptr);
        return;
    }
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->m_pItem == file && it->m_nGeneration == generation) {
            m_cache.splice(m_cache.begin(), m_cache, it);
            ShowPreview(it->m_pPreview);
            return;
        }
    }

    const CDATFileType* type = file->m_pType;
    std::shared_ptr<CPreview> failed = FailedPreviewOf(*file);
    std::optional<SPreviewRequest> prepared;
    try {
        prepared.emplace(type->PreparePreview(context, *file));
    } catch (const std::exception& e) {
        context.Ui().ReportException(e, std::string());
        ShowPreview(failed);
        return;
    }
    SPreviewRequest request = std::move(*prepared);
    ++m_nPreviewsMade;
    if (!type->IsPreviewLarge(*file)) {
        auto [preview, error] = Make(*type, request);
        OnPreviewReady(m_nTicket, std::move(preview), error);
        return;
    }
    // The empty frame until the worker is done; the type outlives the job
    // even if the document lets it go meanwhile.
    ShowPreview(failed);
    m_bPending = true;
    std::shared_ptr<const CDATFileType> keep = type->shared_from_this();
    QPointer<CDATFileViewer> self(this);
    const unsigned ticket = m_nTicket;
    QThreadPool::globalInstance()->start([keep, request = std::move(request), self, ticket] {
        auto [preview, error] = Make(*keep, request);
        QMetaObject::invokeMethod(qApp, [self, ticket, preview = std::move(preview), error = error] {
            if (self)
                self->OnPreviewReady(ticket, preview, error);
        }, Qt::QueuedConnection);
    });
}

void CDATFileViewer::OnPreviewReady(unsigned ticket, std::shared_ptr<CPreview> preview, std::exception_ptr error)
{
    auto* file = dynamic_cast<CDATInternalFile*>(m_pItem);
    if (ticket != m_nTicket || !file)
        return; // another entry was selected meanwhile
    m_bPending = false;
    ForgetMissingCacheFile(*file);
    if (error) {
        GuardedCall("", [&] { std::rethrow_exception(error); });
        preview = FailedPreviewOf(*file);
    }
    if (!preview)
        preview = NamePreview(*file);
    if (!error)
        Remember(file, m_nGeneration, preview);
    ShowPreview(std::move(preview));
}

void CDATFileViewer::RefreshPreview()
{
    CDATItem* item = m_pItem;
    m_pItem = nullptr;
    SetItem(item);
}

void CDATFileViewer::Remember(const CDATItem* item, unsigned generation, const std::shared_ptr<CPreview>& preview)
{
    m_cache.push_front({item, generation, preview});
    m_nCachedBytes += preview->Bytes();
    // The shown preview stays whatever its size; older ones go first.
    while (m_nCachedBytes > kCacheBytes && m_cache.size() > 1) {
        m_nCachedBytes -= m_cache.back().m_pPreview->Bytes();
        m_cache.pop_back();
    }
}

void CDATFileViewer::ForgetAll()
{
    m_cache.clear();
    m_nCachedBytes = 0;
    ++m_nTicket;
    m_bPending = false;
}

void CDATFileViewer::ShowPreview(std::shared_ptr<CPreview> preview)
{
    m_pPreview = std::move(preview);
    ShowSoundControls();
    LayoutPreview();
    viewport()->update();
}

CSoundPreview* CDATFileViewer::ShownSound() const
{
    return dynamic_cast<CSoundPreview*>(m_pPreview.get());
}

// A sound shown anew is silent until asked for; whatever played stops.
void CDATFileViewer::ShowSoundControls()
{
    if (m_pSound)
        m_pSound->Stop();
    CSoundPreview* sound = ShownSound();
    if (!m_pPlayButton && sound) {
        m_pPlayButton = new QPushButton(viewport());
        m_pPlayButton->setFocusPolicy(Qt::NoFocus);
        connect(m_pPlayButton, &QPushButton::clicked, this, [this] { ToggleSound(); });
        m_pSoundTimer = new QTimer(this);
        m_pSoundTimer->setInterval(200);
        connect(m_pSoundTimer, &QTimer::timeout, this, [this] { OnSoundTick(); });
    }
    if (!m_pPlayButton)
        return;
    m_pSoundTimer->stop();
    m_pPlayButton->setVisible(sound != nullptr);
    m_pPlayButton->setText("Играть");
    m_pPlayButton->setGeometry(std::max(viewport()->width() - 100, 0), 8, 90, 24);
    if (!sound)
        return;
    if (!m_pSound)
        m_pSound = std::make_unique<CSoundPlayer>();
    sound->SetStatus(m_pSound->Available() ? "Пробел или «Играть» — прослушать, ещё раз — остановить"
                                           : "Звуковое устройство не найдено");
}

bool CDATFileViewer::ToggleSound()
{
    CSoundPreview* sound = ShownSound();
    if (!sound || !m_pSound)
        return false;
    if (m_pSound->IsPlaying()) {
        m_pSound->Stop();
        OnSoundTick();
        return true;
    }
    if (m_pSound->Play(sound->Samples(), sound->Rate(), sound->Channels())) {
        m_pPlayButton->setText("Стоп");
        m_pSoundTimer->start();
    } else {
        sound->SetStatus("Звуковое устройство не найдено");
        viewport()->update();
    }
    return true;
}

bool CDATFileViewer::IsSoundPlaying() const
{
    return m_pSound && m_pSound->IsPlaying();
}

void CDATFileViewer::OnSoundTick()
{
    if (IsSoundPlaying())
        return;
    m_pSound->Stop();
    m_pSoundTimer->stop();
    m_pPlayButton->setText("Играть");
}

void CDATFileViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && ToggleSound())
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

void CDATFileViewer::LayoutPreview()
{
    if (!m_pPreview) {
        SetScrollSizes(0, 0);
        return;
    }
    // Text is measured with the pane's own font, outside paint.
    QImage scratch(1, 1, QImage::Format_RGB32);
    scratch.setDotsPerMeterX(int(viewport()->logicalDpiX() / 0.0254 + 0.5));
    scratch.setDotsPerMeterY(int(viewport()->logicalDpiY() / 0.0254 + 0.5));
    QPainter painter(&scratch);
    painter.setFont(viewport()->font());
    CQtDC measure(painter, this);
    RECT content = GetClientRect();
    content.top += kBandHeight;
    const CPreview::SExtent extent = m_pPreview->Layout(measure, content);
    SetScrollSizes(extent.m_nWidth, extent.m_nHeight);
}

void CDATFileViewer::SetScrollSizes(int cx, int cy)
{
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    if (cx == m_nScrollWidth && cy == m_nScrollHeight)
        return;
    m_nScrollWidth = cx;
    m_nScrollHeight = cy;
    UpdateScrollBars();
}

RECT CDATFileViewer::GetClientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}

void CDATFileViewer::OnDraw(CDC& dc)
{
    const RECT client = GetClientRect();
    RECT band = client;
    band.bottom = kBandHeight;
    dc.FillSolidRect(band, kBandColor);
    dc.MoveTo(client.left, kBandHeight);
    dc.LineTo(client.right, kBandHeight);
    if (!m_pItem)
        return;
    dc.DrawItemIcon(m_pItem->GetImage(), client.left + 2, client.top + 2, true);
    dc.SetBkModeTransparent(true);
    dc.TextOut(client.left + 40, 10, DecodeToUtf8(m_pItem->GetName()));
    if (m_pPreview)
        m_pPreview->Draw(dc);
}

void CDATFileViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    CPaintScope scope;
    GuardedCall("", [&] {
        // Logical coordinates are those of the scrolled area.
        painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
        CQtDC dc(painter, this);
        OnDraw(dc);
    });
}

void CDATFileViewer::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_pPlayButton)
        m_pPlayButton->move(std::max(viewport()->width() - 100, 0), 8);
    LayoutPreview();
    UpdateScrollBars();
}

void CDATFileViewer::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CDATFileViewer::UpdateScrollBars()
{
    // A bar that appears narrows the viewport for the other: read its size anew
    // each time, and do the horizontal bar again after the vertical one.
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, m_nScrollWidth - viewport()->width()));
    v->setRange(0, std::max(0, m_nScrollHeight - viewport()->height()));
    h->setRange(0, std::max(0, m_nScrollWidth - viewport()->width()));
    h->setPageStep(std::max(viewport()->width(), 1));
    v->setPageStep(std::max(viewport()->height(), 1));
}
