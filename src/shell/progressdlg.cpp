#include "shell/progressdlg.h"

namespace {
CProgressDlg* g_pCurrent = nullptr;
}

CProgressDlg::CProgressDlg(QWidget* owner, unsigned) : QDialog(owner), m_pOwner(owner) {}
CProgressDlg::~CProgressDlg()
{
    DestroyWindow();
}
CProgressDlg* CProgressDlg::Current()
{
    return g_pCurrent;
}
bool CProgressDlg::OpenModeless(CWnd*)
{
    return true;
}
void CProgressDlg::SetWindowText(const std::string&) {}
void CProgressDlg::SetBounds(std::int32_t lower, std::int32_t upper)
{
    m_nLower = lower;
    m_nUpper = upper;
}
void CProgressDlg::SetStatusLine(std::string_view, bool) {}
std::int32_t CProgressDlg::Advance()
{
    return m_nPos++;
}
bool CProgressDlg::PollCancel()
{
    bool c = m_bCancel;
    m_bCancel = false;
    return c;
}
void CProgressDlg::DestroyWindow() {}
QString CProgressDlg::PercentText() const
{
    return {};
}
QString CProgressDlg::StatusText() const
{
    return {};
}
void CProgressDlg::reject() {}
void CProgressDlg::keyPressEvent(QKeyEvent*) {}
void CProgressDlg::closeEvent(QCloseEvent*) {}
void CProgressDlg::Pump(bool) {}
void CProgressDlg::RefreshPercent(std::int32_t) {}
