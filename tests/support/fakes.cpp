#include "fakes.h"

#include "platform/exceptions.h"

#include <algorithm>

int CFakeUiServices::MessageBox(CWnd*, const std::string& text, const std::string& caption, unsigned flags)
{
    m_messages.push_back({text, caption, flags});
    if (m_answers.empty())
        return (flags & 0x0F) == MB_OK ? IDOK : IDNO;
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void CFakeUiServices::ReportException(const std::exception& e, const std::string& context)
{
    m_reports.push_back(context + " " + DescribeException(e));
}

bool CScriptedProgress::PollCancel()
{
    int poll = m_log.polls++;
    return std::find(m_log.cancelAtPoll.begin(), m_log.cancelAtPoll.end(), poll) != m_log.cancelAtPoll.end();
}

std::unique_ptr<IProgress> CFakeUiServices::CreateProgress()
{
    if (!m_bProvideProgress)
        return nullptr;
    return std::make_unique<CScriptedProgress>(m_progressLog);
}

#include "filetypes/previews.h"
#include "helpers.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"

void ShowEntry(const CDATFileDoc& doc, CDATInternalFile& item, CDC& dc, RECT pane)
{
    std::unique_ptr<CPreview> preview = MakePreviewOrReport(doc.Context(), item);
    const CPreview::SExtent extent = preview->Layout(dc, pane);
    if (CWnd* wnd = dc.GetWindow(); wnd && wnd->IsScrollView())
        wnd->SetScrollSizes(extent.m_nWidth, extent.m_nHeight);
    preview->Draw(dc);
}
