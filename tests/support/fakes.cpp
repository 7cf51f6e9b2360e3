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

std::optional<CUiServices::SSaveFileResult> CFakeUiServices::GetSaveFileName(CWnd*, const std::string& filter,
                                                                             const std::string& initialName)
{
    m_saveDialogs.emplace_back(filter, initialName);
    return m_saveAnswer;
}

std::optional<std::string> CFakeUiServices::BrowseForFolder(CWnd*, const std::string& title)
{
    m_folderTitles.push_back(title);
    return m_folderAnswer;
}

bool CFakeUiServices::OpenWithDefaultProgram(CWnd*, const std::string& path, std::string* error)
{
    m_opened.push_back(path);
    if (!m_bDesktopWorks && error)
        *error = "no program for this kind of file";
    return m_bDesktopWorks;
}

bool CFakeUiServices::StartProgram(CWnd*, const std::string& path, std::string* error)
{
    m_started.push_back(path);
    if (!m_bDesktopWorks && error)
        *error = "cannot start";
    return m_bDesktopWorks;
}

std::unique_ptr<IProgress> CFakeUiServices::CreateProgress()
{
    if (!m_bProvideProgress)
        return nullptr;
    return std::make_unique<CScriptedProgress>(m_progressLog);
}
