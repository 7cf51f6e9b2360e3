#pragma once
// The one progress window: modeless, its owner blocked while it is up, a
// one-shot cancel latch, the percentage of the bar, a looping animation.
#include "platform/progress.h"

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class CWorkAnimation;
class CPumpTicker;

class CProgressDlg : public QDialog, public IProgress
{
    Q_OBJECT
public:
    // owner: the window blocked while the dialog is up (the main window).
    explicit CProgressDlg(QWidget* owner = nullptr);
    ~CProgressDlg() override;

    bool OpenModeless(CWnd* parent) override;
    void SetWindowText(const std::string& caption) override;
    void SetBounds(std::int32_t lower, std::int32_t upper) override;
    void SetStatusLine(std::string_view text, bool rawArchiveName) override;
    std::int32_t Advance() override;
    std::int32_t AdvanceBy(std::int32_t units) override;
    bool PollCancel() override;
    // Unblocks the owner and closes the window; the destructor calls it too.
    void DestroyWindow();

    QString PercentText() const;
    // The status line as shown; a newer text reaches it at the next pump.
    QString StatusText() const;
    std::int32_t Position() const { return m_nPos; }
    bool IsOwnerBlocked() const { return m_bOwnerDisabled; }
    bool IsOpen() const { return m_bOpen; }
    bool IsAnimating() const;
    void RequestCancel() { m_bCancel = true; }
    QPushButton* CancelButton() const { return m_pCancel; }
    // Pumps now, whatever the time budget says.
    void PumpNow() { Pump(); }
    // Shows the latest status line and position without pumping: a question
    // asked over the dialog must not leave it stale while it waits.
    void ShowLatest() { ApplyPending(); }
    // The dialog that is up, if any.
    static CProgressDlg* Current();

    // Pumping waits at least this long after the previous pump.
    static constexpr qint64 kPumpIntervalMs = 30;

protected:
    void reject() override;   // Esc, close box: a cancel request only
    void accept() override {} // nothing closes the dialog
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Pump();
    void RefreshPercent(qint64 pos);
    void ApplyPending();

    QPointer<QWidget> m_pOwner;
    QPointer<QWidget> m_pBlocked; // the owner this dialog blocked
    CProgressDlg* m_pPrevious = nullptr;
    QLabel* m_pPercent;
    QLabel* m_pStatus;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    CWorkAnimation* m_pAnimation;
    std::int32_t m_nLower = 0;
    std::int32_t m_nUpper = 100;
    std::int32_t m_nStep = 1;
    std::int32_t m_nPos = 0;
    qint64 m_nShownPercent;
    // Positions that give the percentage shown; empty when unknown.
    qint64 m_nPercentFrom = 1;
    qint64 m_nPercentTo = 0;
    int m_nShownBar = -1;
    bool m_bCancel = false;
    bool m_bOwnerDisabled = false;
    bool m_bOpen = false;
    // The latest status text, applied to the label when a pump is due.
    std::vector<char> m_pendingStatus; // grows, never shrinks: a copy is one memcpy
    std::size_t m_nPendingLength = 0;
    bool m_bPendingRaw = false;
    bool m_bStatusDirty = false;
    QString m_strStatus;
    // Raised by the ticker when a pump is due, so the per-unit calls need not
    // read the clock.
    std::atomic<bool> m_bPumpDue{false};
    std::unique_ptr<CPumpTicker> m_pTicker;
};
