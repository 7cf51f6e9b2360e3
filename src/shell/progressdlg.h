#pragma once
// The one progress window: modeless, its owner blocked while it is up, a
// one-shot cancel latch, the percentage of the bar, a looping animation.
#include "platform/progress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class CWorkAnimation;

class CProgressDlg : public QDialog, public IProgress
{
    Q_OBJECT
public:
    // owner: the window blocked while the dialog is up (the main window).
    explicit CProgressDlg(QWidget* owner = nullptr, unsigned captionId = 0);
    ~CProgressDlg() override;

    bool OpenModeless(CWnd* parent) override;
    void SetWindowText(const std::string& caption) override;
    void SetBounds(std::int32_t lower, std::int32_t upper) override;
    void SetStatusLine(std::string_view text, bool rawArchiveName) override;
    std::int32_t Advance() override;
    bool PollCancel() override;
    // Unblocks the owner and closes the window; the destructor calls it too.
    void DestroyWindow();

    QString PercentText() const;
    QString StatusText() const;
    std::int32_t Position() const { return m_nPos; }
    bool IsOwnerBlocked() const { return m_bOwnerDisabled; }
    void RequestCancel() { m_bCancel = true; }
    // The dialog that is up, if any.
    static CProgressDlg* Current();

protected:
    void reject() override;   // Esc, close box: a cancel request only
    void accept() override {} // nothing closes the dialog
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Pump(bool force);
    void RefreshPercent(std::int32_t pos);

    QWidget* m_pOwner;
    QLabel* m_pPercent;
    QLabel* m_pStatus;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    CWorkAnimation* m_pAnimation;
    std::int32_t m_nLower = 0;
    std::int32_t m_nUpper = 100;
    std::int32_t m_nStep = 1;
    std::int32_t m_nPos = 0;
    bool m_bCancel = false;
    bool m_bOwnerDisabled = false;
    bool m_bOpen = false;
    QElapsedTimer m_lastPump;
};
