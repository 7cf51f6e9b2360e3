#include "shell/progressdlg.h"

#include "platform/codepage.h"
#include "platform/cwnd.h"
#include "platform/ui/inputblock.h"
#include "platform/uitext.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

// A block sliding to and fro on a track while work goes on; it moves only
// when the dialog pumps, which is the point: a frozen block means a stuck step.
class CWorkAnimation : public QWidget
{
public:
    explicit CWorkAnimation(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(300, 40);
        m_timer.setInterval(40);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            m_nFrame = (m_nFrame + 1) % kFrames;
            update();
        });
    }

    void Start()
    {
        m_nFrame = 0;
        m_timer.start();
        update();
    }
    void Stop()
    {
        m_timer.stop();
        update();
    }
    bool IsRunning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF track = QRectF(rect()).adjusted(4.5, 12.5, -4.5, -12.5);
        painter.setPen(palette().color(QPalette::Mid));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(track, 4, 4);
        if (!m_timer.isActive())
            return;

        // Ping-pong over the track: half the frames out, half back.
        const qreal blockWidth = track.width() / 5;
        const qreal travel = track.width() - blockWidth - 4;
        const int half = kFrames / 2;
        const int step = m_nFrame < half ? m_nFrame : kFrames - m_nFrame;
        const qreal x = track.left() + 2 + travel * step / half;
        const QRectF block(x, track.top() + 2, blockWidth, track.height() - 4);
        const QColor colour = palette().color(QPalette::Highlight);
        QLinearGradient gradient(block.topLeft(), block.bottomLeft());
        gradient.setColorAt(0, colour.lighter(150));
        gradient.setColorAt(1, colour);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(block, 3, 3);
    }

private:
    static constexpr int kFrames = 60;
    QTimer m_timer;
    int m_nFrame = 0;
};

// Raises a flag once the pump interval has passed since the last pump. A load
// calls the dialog hundreds of thousands of times; a relaxed load of a flag is
// all those calls cost, where reading the clock each time slowed a load by a
// third. A long step still finds the flag raised at the next call.
class CPumpTicker
{
public:
    CPumpTicker(std::chrono::milliseconds interval, std::atomic<bool>& due)
        : m_interval(interval), m_bDue(due), m_last(Clock::now()), m_thread([this] { Run(); })
    {
    }
    ~CPumpTicker()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    CPumpTicker(const CPumpTicker&) = delete;
    CPumpTicker& operator=(const CPumpTicker&) = delete;

    void Pumped()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_last = Clock::now();
            m_bDue.store(false, std::memory_order_relaxed);
        }
        m_wake.notify_one();
    }

private:
    using Clock = std::chrono::steady_clock;

    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_bStop) {
            if (m_bDue.load(std::memory_order_relaxed)) {
                m_wake.wait(lock, [this] { return m_bStop || !m_bDue.load(std::memory_order_relaxed); });
                continue;
            }
            const Clock::time_point deadline = m_last + m_interval;
            if (Clock::now() >= deadline)
                m_bDue.store(true, std::memory_order_relaxed);
            else
                m_wake.wait_until(lock, deadline);
        }
    }

    const std::chrono::milliseconds m_interval;
    std::atomic<bool>& m_bDue;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Clock::time_point m_last;
    bool m_bStop = false;
    std::thread m_thread;
};

namespace {

CProgressDlg* g_pCurrent = nullptr;

// The bar works on a fixed scale, so 32-bit bounds of any size fit its int range.
constexpr int kBarScale = 10000;
constexpr qint64 kNothingShown = std::numeric_limits<qint64>::min();

} // namespace

CProgressDlg::CProgressDlg(QWidget* owner)
    : QDialog(owner), m_pOwner(owner), m_nShownPercent(kNothingShown),
      m_pTicker(std::make_unique<CPumpTicker>(std::chrono::milliseconds(kPumpIntervalMs), m_bPumpDue))
{
    m_pRefreshDue = &m_bPumpDue;
    setWindowTitle(tr("Процес..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);

    m_pAnimation = new CWorkAnimation(this);
    m_pStatus = new QLabel(this);
    m_pStatus->setTextFormat(Qt::PlainText);
    // Long paths must not widen the dialog.
    m_pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pPercent = new QLabel(QStringLiteral(" 0 %"), this);
    m_pPercent->setAlignment(Qt::AlignCenter);
    // A fixed size keeps each new number from invalidating the dialog's layout.
    m_pPercent->setFixedSize(m_pPercent->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 8,
                             m_pPercent->fontMetrics().height());
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, kBarScale);
    m_pBar->setValue(0);
    m_pBar->setTextVisible(false);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setDefault(true);
    connect(m_pCancel, &QPushButton::clicked, this, [this] { m_bCancel = true; });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->addWidget(m_pAnimation, 0, Qt::AlignHCenter);
    layout->addWidget(m_pStatus);
    layout->addWidget(m_pPercent, 0, Qt::AlignHCenter);
    layout->addWidget(m_pBar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CProgressDlg::~CProgressDlg()
{
    DestroyWindow();
}

CProgressDlg* CProgressDlg::Current()
{
    return g_pCurrent;
}

bool CProgressDlg::OpenModeless(CWnd* parent)
{
    if (m_bOpen)
        return true;
    QWidget* owner = m_pOwner;
    if (auto* widget = dynamic_cast<QWidget*>(parent))
        owner = widget->window();
    if (owner == this)
        owner = nullptr;
    // A child of the owner's window stays above it.
    if (owner && parentWidget() != owner)
        setParent(owner, windowFlags());

    m_bOwnerDisabled = false;
    m_pBlocked = nullptr;
    if (owner && IsWindowInputEnabled(owner)) {
        SetWindowInputEnabled(owner, false);
        m_pBlocked = owner;
        m_bOwnerDisabled = true;
    }

    m_bOpen = true;
    if (g_pCurrent != this) {
        m_pPrevious = g_pCurrent;
        g_pCurrent = this;
    }
    show();
    m_pAnimation->Start();
    // Painted at once, before the first unit of work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_pTicker->Pumped();
    return true;
}

void CProgressDlg::SetWindowText(const std::string& caption)
{
    // The caption is a marked text of the core.
    setWindowTitle(QCoreApplication::translate(kCoreTextContext, caption.c_str()));
}

void CProgressDlg::SetBounds(std::int32_t lower, std::int32_t upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    m_nPercentFrom = 1;
    m_nPercentTo = 0;
    // Like a native bar: the position is kept inside the new range.
    if (m_nPos > upper)
        m_nPos = upper;
    if (m_nPos < lower)
        m_nPos = lower;
}

void CProgressDlg::SetStatusLine(std::string_view text, bool rawArchiveName)
{
    // Called once per unit of work: only keep the bytes; decoding waits for a pump.
    if (text.size() > m_pendingStatus.size())
        m_pendingStatus.resize(std::max<std::size_t>(text.size(), 256));
    if (!text.empty())
        std::memcpy(m_pendingStatus.data(), text.data(), text.size());
    m_nPendingLength = text.size();
    m_bPendingRaw = rawArchiveName;
    m_bStatusDirty = true;
}

std::int32_t CProgressDlg::Advance()
{
    if (m_bPumpDue.load(std::memory_order_relaxed))
        Pump();
    const std::int32_t previous = m_nPos;
    const qint64 next = qint64(previous) + m_nStep;
    m_nPos = next > m_nUpper ? m_nLower : std::int32_t(next);
    // Most steps leave the number as it is: skip the division for them.
    if (next < m_nPercentFrom || next >= m_nPercentTo)
        RefreshPercent(next);
    return previous;
}

std::int32_t CProgressDlg::AdvanceBy(std::int32_t units)
{
    if (units <= 0)
        return m_nPos;
    // Without a wrap the steps add up; a wrap is left to the single steps.
    const qint64 end = qint64(m_nPos) + qint64(m_nStep) * units;
    if (m_nStep <= 0 || end > m_nUpper) {
        std::int32_t previous = m_nPos;
        for (std::int32_t i = 0; i < units; ++i)
            previous = Advance();
        return previous;
    }
    if (m_bPumpDue.load(std::memory_order_relaxed))
        Pump();
    const std::int32_t previous = std::int32_t(end - m_nStep);
    m_nPos = std::int32_t(end);
    if (end < m_nPercentFrom || end >= m_nPercentTo)
        RefreshPercent(end);
    return previous;
}

bool CProgressDlg::PollCancel()
{
    if (m_bPumpDue.load(std::memory_order_relaxed))
        Pump();
    const bool cancel = m_bCancel;
    m_bCancel = false;
    return cancel;
}

void CProgressDlg::DestroyWindow()
{
    if (m_bOwnerDisabled && m_pBlocked)
        SetWindowInputEnabled(m_pBlocked, true);
    m_bOwnerDisabled = false;
    m_pBlocked = nullptr;
    m_pAnimation->Stop();
    if (m_bOpen) {
        m_bOpen = false;
        hide();
    }
    if (g_pCurrent == this)
        g_pCurrent = m_pPrevious;
    m_pPrevious = nullptr;
}

QString CProgressDlg::PercentText() const
{
    return m_pPercent->text();
}

QString CProgressDlg::StatusText() const
{
    return m_strStatus;
}

bool CProgressDlg::IsAnimating() const
{
    return m_pAnimation->IsRunning();
}

void CProgressDlg::reject()
{
    m_bCancel = true;
}

void CProgressDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_bCancel = true;
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    if (m_bOpen) {
        m_bCancel = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CProgressDlg::Pump()
{
    ApplyPending();
    QCoreApplication::processEvents();
    m_pTicker->Pumped();
}

void CProgressDlg::ApplyPending()
{
    if (m_bStatusDirty) {
        m_bStatusDirty = false;
        const std::string_view text(m_pendingStatus.data(), m_nPendingLength);
        if (m_bPendingRaw)
            m_strStatus = QString::fromStdU16String(DecodeToUtf16(text));
        else
            m_strStatus = QString::fromUtf8(text.data(), qsizetype(text.size()));
        const int width = m_pStatus->contentsRect().width();
        m_pStatus->setText(width > 0 ? m_pStatus->fontMetrics().elidedText(m_strStatus, Qt::ElideMiddle, width)
                                     : m_strStatus);
    }
    const qint64 range = qint64(m_nUpper) - m_nLower;
    if (range > 0) {
        const qint64 done = qint64(m_nPos) - m_nLower;
        const int value = int(std::clamp<qint64>(done * kBarScale / range, 0, kBarScale));
        if (value != m_nShownBar) {
            m_nShownBar = value;
            m_pBar->setValue(value);
        }
    }
}

void CProgressDlg::RefreshPercent(qint64 pos)
{
    const qint64 range = qint64(m_nUpper) - m_nLower;
    if (range == 0)
        return;
    const qint64 offset = pos - m_nLower;
    const qint64 quotient = offset * 100 / range;
    if (offset >= 0 && range > 0) {
        // The positions sharing this quotient: [ceil(q*range/100), ceil((q+1)*range/100)).
        m_nPercentFrom = m_nLower + (quotient * range + 99) / 100;
        m_nPercentTo = m_nLower + ((quotient + 1) * range + 99) / 100;
    } else {
        m_nPercentFrom = 1;
        m_nPercentTo = 0;
    }
    // A wrapped bar starts again from a small number; the last step shows 100.
    const qint64 percent = quotient == 100 ? quotient : quotient % 100;
    if (percent == m_nShownPercent)
        return;
    m_nShownPercent = percent;
    m_pPercent->setText(QString::number(percent) + QLatin1Char('%'));
}
