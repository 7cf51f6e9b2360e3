#pragma once
// Scripted stand-ins for the user interface, the progress dialog and a view.
#include "archive/document.h"
#include "platform/progress.h"
#include "platform/uiservices.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Presses Cancel before the polls listed in m_cancelAtPoll (0-based poll numbers).
class CScriptedProgress : public IProgress
{
public:
    struct SLog
    {
        bool opened = false;
        std::string caption;
        std::int32_t lower = 0, upper = 0;
        int polls = 0, advances = 0;
        std::vector<std::string> statusLines;
        std::vector<int> cancelAtPoll;
    };
    explicit CScriptedProgress(SLog& log) : m_log(log) {}
    bool OpenModeless(CWnd*) override { return m_log.opened = true; }
    void SetWindowText(const std::string& caption) override { m_log.caption = caption; }
    void SetBounds(std::int32_t lower, std::int32_t upper) override
    {
        m_log.lower = lower;
        m_log.upper = upper;
    }
    void SetStatusLine(std::string_view text, bool) override { m_log.statusLines.emplace_back(text); }
    std::int32_t Advance() override { return m_log.lower + m_log.advances++; }
    bool PollCancel() override;

private:
    SLog& m_log;
};

class CFakeUiServices : public CUiServices
{
public:
    CFakeUiServices() { SetUiServices(this); }
    ~CFakeUiServices() override { SetUiServices(nullptr); }

    struct SMessage
    {
        std::string text, caption;
        unsigned flags;
    };
    int MessageBox(CWnd*, const std::string& text, const std::string& caption, unsigned flags) override;
    void ReportException(const std::exception& e, const std::string& context) override;
    void ShowProperties(CDATItem* item, CWnd*) override { m_properties.push_back(item); }
    std::optional<SSaveFileResult> GetSaveFileName(CWnd*, const std::string& filter,
                                                   const std::string& initialName) override
    {
        m_saveDialogs.emplace_back(filter, initialName);
        return m_saveAnswer;
    }
    std::optional<std::string> BrowseForFolder(CWnd*, const std::string& title) override
    {
        m_folderTitles.push_back(title);
        return m_folderAnswer;
    }
    std::optional<std::string> GetOpenArchiveName(CWnd*, const std::string&) override { return m_openAnswer; }
    bool OpenWithDefaultProgram(CWnd*, const std::string& path, std::string* error) override
    {
        return Desktop(m_opened, path, error, "no program for this kind of file");
    }
    bool StartProgram(CWnd*, const std::string& path, std::string* error) override
    {
        return Desktop(m_started, path, error, "cannot start");
    }
    std::unique_ptr<IProgress> CreateProgress() override;

    std::deque<int> m_answers; // next answers; IDNO when empty
    std::vector<SMessage> m_messages;
    std::vector<std::string> m_reports; // context + " " + message
    std::vector<CDATItem*> m_properties;

    // Save dialog: the next answer (nothing = cancel) and what it was asked.
    std::optional<SSaveFileResult> m_saveAnswer;
    std::vector<std::pair<std::string, std::string>> m_saveDialogs; // filter, initial name
    std::optional<std::string> m_folderAnswer;
    std::optional<std::string> m_openAnswer;
    std::vector<std::string> m_folderTitles;
    bool m_bDesktopWorks = true;
    std::vector<std::string> m_opened, m_started;
    // Progress dialogs made through CreateProgress write here.
    CScriptedProgress::SLog m_progressLog;
    bool m_bProvideProgress = true;

private:
    bool Desktop(std::vector<std::string>& log, const std::string& path, std::string* error, const char* refusal)
    {
        log.push_back(path);
        if (!m_bDesktopWorks && error)
            *error = refusal;
        return m_bDesktopWorks;
    }
};

class CCountingView : public CView
{
public:
    void OnUpdate(CView* sender, long hint, void* hintObject) override
    {
        ++m_nUpdates;
        m_lastSender = sender;
        m_lastHint = hint;
        m_lastObject = hintObject;
    }
    int m_nUpdates = 0;
    CView* m_lastSender = nullptr;
    long m_lastHint = -1;
    void* m_lastObject = nullptr;
};
