#include "views/fileviewer.h"

#include "archive/datfiledoc.h"
#include "archive/namecompare.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/txtfiletype.h"
#include "filetypes/mediapreviews.h"
#include "filetypes/previews.h"
#include "platform/cdc.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtdc.h"
#include "views/commandids.h"
#include "views/comparepreview.h"
#include "views/picturestrip.h"
#include "formats/palcycle.h"
#include "views/soundplayer.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QToolTip>
#include <QImage>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QThreadPool>
#include <QTimer>
#include <cstdio>
#include <optional>

// Comparing: the old version's request and both sides' labels.
struct SOldSide
{
    SPreviewRequest m_request;
    std::string m_strLeft, m_strRight;
};

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

// The old side's version of a changed entry beside the new one's. The new
// side failing fails as it always did; the old one shows the failed frame.
std::pair<std::shared_ptr<CPreview>, std::exception_ptr> MakeSides(const CDATFileType& type,
                                                                   const SPreviewRequest& request,
                                                                   const std::optional<SOldSide>& old)
{
    auto made = Make(type, request);
    if (!old || made.second || !made.first)
        return made;
    std::shared_ptr<CPreview> before = Make(type, old->m_request).first;
    if (!before)
        before = type.FailedPreview();
    auto sides = std::make_shared<CSideBySidePreview>(std::move(before), old->m_strLeft, std::move(made.first),
                                                      old->m_strRight);
    return {std::move(sides), nullptr};
}

} // namespace

CDATFileViewer::CDATFileViewer(CDATFileDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_pDoc(doc), m_pStrip(new CPictureStrip(viewport())),
      m_pCancel(std::make_shared<std::atomic<bool>>(false)), m_pText(new QPlainTextEdit(viewport()))
{
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_pStrip->hide();
    // The editor looks like the text painted before it: no frame, no margin.
    m_pText->setReadOnly(true);
    m_pText->setFrameShape(QFrame::NoFrame);
    m_pText->document()->setDocumentMargin(0);
    m_pText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pText->hide();
    m_bFixedFont = CProfile::GetProfileString(QStringLiteral("Settings"), QStringLiteral("FixedFont")) == "1";
    SetFixedFont(m_bFixedFont);
    connect(m_pStrip, &CPictureStrip::DirectionChosen, this, [this](int d) { GuardedCall("", [&] { SetDirection(d); }); });
    connect(m_pStrip, &CPictureStrip::PlayToggled, this, [this] { GuardedCall("", [&] { TogglePlay(); }); });
    connect(m_pStrip, &CPictureStrip::Step, this, [this](int delta) { GuardedCall("", [&] { StepFrame(delta); }); });
    connect(m_pStrip, &CPictureStrip::PaletteChosen, this, [this](int i) { GuardedCall("", [&] { ChoosePalette(i); }); });
    connect(m_pStrip, &CPictureStrip::ZoomChosen, this, [this](int zoom) { GuardedCall("", [&] { SetZoom(zoom); }); });
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { GuardedCall("", [&] { OnTick(); }); });
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
    m_palEntries.reset();
    ForgetAll();
    ShowPreview(nullptr);
}

void CDATFileViewer::SetItem(CDATItem* item)
{
    auto* file = dynamic_cast<CDATInternalFile*>(item);
    const SArchiveContext context = m_pDoc->Context();
    unsigned generation = file ? file->m_pType->PreviewGeneration(context) : 0;
    if (file && dynamic_cast<const CDAT_FRM_FileType*>(file->m_pType))
        generation ^= unsigned(std::hash<std::string>{}(m_state.m_strPaletteEntry + '\n' + m_state.m_strPaletteFile));
    // Autoshow reports the same row more than once: that must cost nothing.
    if (item == m_pItem && generation == m_nGeneration)
        return;
    // Disabling would hand the focus on; keep it here.
    const bool hadFocus = hasFocus() || viewport()->hasFocus();
    setEnabled(false);
    SetScrollSizes(0, 0);
    m_pItem = item;
    m_nGeneration = generation;
    CancelWork();
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
    ApplyChosenPalette(*type, request);
    request.m_pCancel = m_pCancel;
    std::optional<SOldSide> old = OldSide(context, *file, request);
    ++m_nPreviewsMade;
    if (!type->IsPreviewLarge(*file)) {
        auto [preview, error] = MakeSides(*type, request, old);
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
    QThreadPool::globalInstance()->start([keep, request = std::move(request), old = std::move(old), self, ticket] {
        // Left behind before it started: nothing to make.
        if (request.IsCancelled())
            return;
        auto [preview, error] = MakeSides(*keep, request, old);
        if (request.IsCancelled())
            return;
        QMetaObject::invokeMethod(qApp, [self, ticket, preview = std::move(preview), error = error] {
            if (self)
                self->OnPreviewReady(ticket, preview, error);
        }, Qt::QueuedConnection);
    });
}

std::optional<SOldSide> CDATFileViewer::OldSide(const SArchiveContext& context, const CDATInternalFile& file,
                                                const SPreviewRequest& request) const
{
    // Pictures and texts only: other kinds show the new version alone.
    const CDATFileType* type = file.m_pType;
    if (!dynamic_cast<const CDATImageFileType*>(type) && !dynamic_cast<const CDAT_TXT_FileType*>(type))
        return std::nullopt;
    std::optional<CDATFileDoc::SOldVersion> old = m_pDoc->OldVersion(file);
    if (!old)
        return std::nullopt;
    SOldSide side{type->PreparePreview(context, old->m_entry),
                  tr("Было: %1").arg(QString::fromStdString(old->m_strSource)).toStdString(),
                  tr("Стало: %1").arg(QString::fromStdString(m_pDoc->SourceLabelOf(file))).toStdString()};
    SPreviewRequest& r = side.m_request;
    r.m_strArchivePath = old->m_strFile;
    // The other directions and the chosen palette are the new side's.
    r.m_siblings.clear();
    r.m_siblingFiles.clear();
    r.m_palette.reset();
    if (request.m_palette)
        r.m_palette.emplace(*request.m_palette);
    r.m_strPaletteFile = request.m_strPaletteFile;
    r.m_strDefaultPalette = request.m_strDefaultPalette;
    r.m_bChosenPalette = request.m_bChosenPalette;
    r.m_pCancel = request.m_pCancel;
    // The new version's cache file is not the old one's: the old one is made anew.
    if (!r.m_strCacheFile.empty()) {
        r.m_strCacheFile += ".old";
        std::remove(r.m_strCacheFile.c_str());
        r.m_bRefreshCache = true;
    }
    return side;
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
    CancelWork();
}

void CDATFileViewer::CancelWork()
{
    ++m_nTicket;
    m_bPending = false;
    m_pCancel->store(true);
    m_pCancel = std::make_shared<std::atomic<bool>>(false);
}

bool CDATFileViewer::ShowsText() const
{
    return dynamic_cast<const CTextPreview*>(m_pPreview.get()) != nullptr;
}

void CDATFileViewer::SetFixedFont(bool on)
{
    m_bFixedFont = on;
    QFont font = viewport()->font();
    if (on) {
        const qreal size = font.pointSizeF();
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (size > 0)
            font.setPointSizeF(size);
    }
    m_pText->setFont(font);
}

void CDATFileViewer::ShowPreview(std::shared_ptr<CPreview> preview)
{
    m_pPreview = std::move(preview);
    if (const auto* text = dynamic_cast<const CTextPreview*>(m_pPreview.get())) {
        m_pText->setPlainText(QString::fromStdString(text->Text()));
        m_pText->show();
    } else if (m_pText->isVisible() || !m_pText->document()->isEmpty()) {
        const bool hadFocus = m_pText->hasFocus();
        m_pText->hide();
        m_pText->clear();
        if (hadFocus)
            setFocus(Qt::OtherFocusReason);
    }
    m_nFrame = 0;
    m_clock.start();
    const CFrmAnimationPreview* animation = ShownAnimation();
    m_nNextFrameAt = animation ? animation->FrameDurationMs() : 0;
    m_pStrip->setVisible(animation && animation->IsAnimation());
    if (m_pStrip->isVisibleTo(this)) {
        QStringList names;
        int current = 0;
        for (const std::string& name : PaletteEntries()) {
            names.push_back(QString::fromStdString(DecodeToUtf8(name)));
            if (name == m_state.m_strPaletteEntry)
                current = int(names.size());
        }
        m_pStrip->SetPalettes(names, m_state.m_strPaletteFile.empty() ? current : int(names.size()) + 1);
    }
    scrollContentsBy(0, 0);
    ApplyPictureState();
    ShowSoundControls();
    LayoutPreview();
    viewport()->update();
    ScheduleTick();
}

void CDATFileViewer::ApplyChosenPalette(const CDATFileType& type, SPreviewRequest& request) const
{
    if (!dynamic_cast<const CDAT_FRM_FileType*>(&type))
        return;
    if (!m_state.m_strPaletteEntry.empty()) {
        const CDATInternalFile* entry = m_pDoc->FindEntry(m_state.m_strPaletteEntry);
        if (!entry)
            return;
        request.m_palette.emplace(*entry);
    } else if (!m_state.m_strPaletteFile.empty()) {
        request.m_palette.reset();
        request.m_strDefaultPalette = m_state.m_strPaletteFile;
    } else {
        return;
    }
    request.m_bChosenPalette = true;
}

const std::vector<std::string>& CDATFileViewer::PaletteEntries()
{
    if (!m_palEntries) {
        m_palEntries.emplace();
        for (const CDATInternalFile& file : m_pDoc->m_files) {
            const std::string& name = file.m_strName;
            if (name.size() > 4 && EqualNames(std::string_view(name).substr(name.size() - 4), ".pal"))
                m_palEntries->push_back(name);
        }
    }
    return *m_palEntries;
}

void CDATFileViewer::ChoosePalette(int index)
{
    const std::vector<std::string>& entries = PaletteEntries();
    if (index == int(entries.size()) + 1) {
        const QString file = QFileDialog::getOpenFileName(this, tr("Палитра"), QString(),
                                                          tr("PAL files (*.pal);;All files (*)"));
        if (file.isEmpty())
            return ShowPreview(m_pPreview); // back to what colours it now
        SetPalette({}, file.toStdString());
    } else {
        SetPalette(index >= 1 && index <= int(entries.size()) ? entries[std::size_t(index - 1)] : std::string(), {});
    }
}

void CDATFileViewer::SetPalette(const std::string& entry, const std::string& file)
{
    m_state.m_strPaletteEntry = entry;
    m_state.m_strPaletteFile = file;
    RefreshPreview();
}

CFrmAnimationPreview* CDATFileViewer::ShownAnimation() const
{
    return dynamic_cast<CFrmAnimationPreview*>(m_pPreview.get());
}

const CFrmAnimationPreview* CDATFileViewer::Animation() const
{
    return ShownAnimation();
}

int CDATFileViewer::ContentTop() const
{
    return kBandHeight + (m_pStrip->isVisibleTo(this) ? CPictureStrip::kHeight : 0);
}

void CDATFileViewer::ApplyPictureState()
{
    if (auto* still = dynamic_cast<CPicturePreview*>(m_pPreview.get()))
        still->SetTransparent(m_state.m_bTransparent);
    CFrmAnimationPreview* animation = ShownAnimation();
    if (!animation)
        return;
    animation->Show(m_state, m_nFrame, m_clock.elapsed());
    m_nFrame = animation->Frame();
    if (m_pStrip->isVisibleTo(this)) {
        unsigned present = 0;
        for (int d = 0; d < 6; ++d)
            present |= animation->HasDirection(d) ? 1u << d : 0;
        const int direction = animation->Direction();
        m_pStrip->Show(present, direction, m_state.m_bPlaying, m_nFrame, animation->FrameCount(direction),
                       animation->ActionFrame(), m_state.m_nZoom);
    }
}

void CDATFileViewer::ScheduleTick()
{
    // No timer while nothing moves: a paused picture without cycled colours
    // changes only when the user asks.
    const CFrmAnimationPreview* animation = ShownAnimation();
    qint64 next = -1;
    if (animation && m_state.m_bPlaying && animation->FrameCount(animation->Direction()) > 1)
        next = m_nNextFrameAt;
    if (animation && m_state.m_bPaletteAnimation && animation->CycleGroups()) {
        const qint64 change = NextCycleChange(m_clock.elapsed(), animation->CycleGroups());
        next = next < 0 ? change : std::min(next, change);
    }
    if (next < 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(std::max<qint64>(0, next - m_clock.elapsed())));
}

void CDATFileViewer::OnTick()
{
    const CFrmAnimationPreview* animation = ShownAnimation();
    if (!animation)
        return;
    const qint64 now = m_clock.elapsed();
    if (m_state.m_bPlaying && now >= m_nNextFrameAt) {
        ++m_nFrame;
        m_nNextFrameAt += animation->FrameDurationMs();
        // Behind by more than a frame (a busy machine): go on from now.
        if (m_nNextFrameAt <= now)
            m_nNextFrameAt = now + animation->FrameDurationMs();
    }
    ApplyPictureState();
    // Only the picture changed.
    const RECT r = animation->DrawnRect();
    viewport()->update(r.left - horizontalScrollBar()->value(), r.top - verticalScrollBar()->value(), r.Width(),
                       r.Height());
    ScheduleTick();
}

void CDATFileViewer::SetDirection(int direction)
{
    const CFrmAnimationPreview* animation = ShownAnimation();
    if (animation && !animation->HasDirection(direction))
        return;
    m_state.m_nDirection = direction;
    m_nFrame = 0;
    ApplyPictureState();
    LayoutPreview();
    viewport()->update();
    ScheduleTick();
}

void CDATFileViewer::TogglePlay()
{
    m_state.m_bPlaying = !m_state.m_bPlaying;
    m_nNextFrameAt = m_clock.elapsed() + (ShownAnimation() ? ShownAnimation()->FrameDurationMs() : 0);
    ApplyPictureState();
    ScheduleTick();
}

void CDATFileViewer::StepFrame(int delta)
{
    m_state.m_bPlaying = false;
    m_nFrame += delta;
    ApplyPictureState();
    viewport()->update();
    ScheduleTick();
}

void CDATFileViewer::SetZoom(int zoom)
{
    m_state.m_nZoom = zoom;
    ApplyPictureState();
    LayoutPreview();
    viewport()->update();
}

void CDATFileViewer::SetTransparent(bool on)
{
    m_state.m_bTransparent = on;
    ApplyPictureState();
    viewport()->update();
}

void CDATFileViewer::SetPaletteAnimation(bool on)
{
    m_state.m_bPaletteAnimation = on;
    ApplyPictureState();
    viewport()->update();
    ScheduleTick();
}

bool CDATFileViewer::OnPictureCommand(unsigned id, CCmdUI* ui)
{
    if (id == ID_VIEW_FIXED_FONT) {
        if (ui) {
            ui->SetCheck(m_bFixedFont ? 1 : 0);
        } else {
            SetFixedFont(!m_bFixedFont);
            CProfile::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("FixedFont"),
                                         m_bFixedFont ? QStringLiteral("1") : QStringLiteral("0"));
        }
        return true;
    }
    if (id != ID_VIEW_TRANSPARENCY && id != ID_VIEW_PALETTE_ANIMATION)
        return false;
    bool& value = id == ID_VIEW_TRANSPARENCY ? m_state.m_bTransparent : m_state.m_bPaletteAnimation;
    if (ui)
        ui->SetCheck(value ? 1 : 0);
    else if (id == ID_VIEW_TRANSPARENCY)
        SetTransparent(!value);
    else
        SetPaletteAnimation(!value);
    return true;
}

void CDATFileViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && ToggleSound())
        return;
    if (!m_pStrip->isVisibleTo(this)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    GuardedCall("", [&] {
        if (key >= Qt::Key_1 && key <= Qt::Key_6 && !ctrl)
            SetDirection(key - Qt::Key_1);
        else if (key == Qt::Key_Space)
            TogglePlay();
        else if (key == Qt::Key_Comma || (key == Qt::Key_Left && !m_state.m_bPlaying))
            StepFrame(-1);
        else if (key == Qt::Key_Period || (key == Qt::Key_Right && !m_state.m_bPlaying))
            StepFrame(1);
        else if (key == Qt::Key_0 && ctrl)
            SetZoom(0);
        else
            QAbstractScrollArea::keyPressEvent(event);
    });
}

void CDATFileViewer::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || !m_pStrip->isVisibleTo(this)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const auto& zooms = CPictureStrip::kZooms;
    const int count = int(std::size(zooms));
    int i = int(std::find(zooms, zooms + count, m_state.m_nZoom) - zooms);
    i = std::clamp(i + (event->angleDelta().y() > 0 ? 1 : event->angleDelta().y() < 0 ? -1 : 0), 0, count - 1);
    GuardedCall("", [&] { SetZoom(zooms[i]); });
    event->accept();
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
    m_pPlayButton->setText(tr("Играть"));
    m_pPlayButton->setGeometry(std::max(viewport()->width() - 100, 0), 8, 90, 24);
    if (!sound)
        return;
    if (!m_pSound)
        m_pSound = std::make_unique<CSoundPlayer>();
    sound->SetStatus(m_pSound->Available() ? tr("Пробел или «Играть» — прослушать, ещё раз — остановить").toStdString()
                                           : tr("Звуковое устройство не найдено").toStdString());
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
        m_pPlayButton->setText(tr("Стоп"));
        m_pSoundTimer->start();
    } else {
        sound->SetStatus(tr("Звуковое устройство не найдено").toStdString());
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
    m_pPlayButton->setText(tr("Играть"));
}

void CDATFileViewer::LayoutPreview()
{
    if (!m_pPreview || ShowsText()) {
        SetScrollSizes(0, 0);
        m_pText->setGeometry(0, kBandHeight + 1, viewport()->width(), std::max(0, viewport()->height() - kBandHeight - 1));
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
    content.top = ContentTop();
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
    if (!m_pPreview)
        return;
    if (const std::string facts = m_pPreview->Facts(); !facts.empty()) {
        RECT r{client.left + 40, 0, client.right - 8, kBandHeight};
        dc.DrawText(facts, r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (!ShowsText())
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
    scrollContentsBy(0, 0);
    if (m_pPlayButton)
        m_pPlayButton->move(std::max(viewport()->width() - 100, 0), 8);
    LayoutPreview();
    UpdateScrollBars();
}

void CDATFileViewer::scrollContentsBy(int, int)
{
    // The strip sits under the band and scrolls with it.
    m_pStrip->setGeometry(-horizontalScrollBar()->value(), kBandHeight + 1 - verticalScrollBar()->value(),
                          std::max(viewport()->width(), m_nScrollWidth), CPictureStrip::kHeight - 1);
    viewport()->update();
}

bool CDATFileViewer::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_pPreview) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const std::string hint = m_pPreview->HintAt(help->pos().x() + horizontalScrollBar()->value(),
                                                    help->pos().y() + verticalScrollBar()->value());
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), QString::fromStdString(hint), viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
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
