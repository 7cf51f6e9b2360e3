#pragma once
// What the core asks of the user interface. The application installs the Qt
// implementation; tests install a scripted fake; with nothing installed the
// headless default answers every question with "No" and reports nothing.
#include "platform/progress.h"
#include "platform/uitext.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CWnd; // a window of the user interface, opaque to the core
class CDATItem;

// Message-box flags and answers, with the values the Parts use.
enum : unsigned {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_YESNOCANCEL = 0x0003,
    MB_YESNO = 0x0004,
    // Yes, Yes to all, No, No to all, Cancel: the question before a file of
    // many is replaced.
    MB_YESNOALLCANCEL = 0x0008,
    MB_ICONERROR = 0x0010,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONINFORMATION = 0x0040,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7, IDYESTOALL = 20, IDNOTOALL = 21 };

class CUiServices
{
public:
    virtual ~CUiServices() = default;

    // A text marked with DRAVIK_TR_NOOP in the user's language; as written
    // when nothing translates it.
    virtual std::string Translate(const char* text) { return text; }
    // Translates a template, then fills in its %1, %2...
    std::string Text(const char* text, std::initializer_list<std::string_view> args = {})
    {
        return FillText(Translate(text), args);
    }

    // Texts are UTF-8; marked texts are translated here. Returns IDOK, IDCANCEL, IDYES, IDNO, IDYESTOALL or IDNOTOALL.
    virtual int MessageBox(CWnd* parent, const std::string& text, const std::string& caption, unsigned flags) = 0;

    // The standard error report for a failure that reached a command,
    // notification or paint entry point.
    virtual void ReportException(const std::exception& e, const std::string& context) = 0;

    // The properties dialog of an item, modal over parent.
    virtual void ShowProperties(CDATItem* item, CWnd* parent) = 0;

    struct SSaveFileResult
    {
        std::string m_strPath; // absolute, UTF-8
        int m_nFilterIndex;    // 1-based
    };
    // A save-file dialog. filter is "Text|*.txt|All files (*.*)|*.*||"; the
    // user is asked before an existing file is replaced.
    virtual std::optional<SSaveFileResult> GetSaveFileName(CWnd* parent, const std::string& filter,
                                                           const std::string& initialName) = 0;

    // A folder chooser showing title (translated) as its instruction text: file-system
    // folders only; an absolute path without a trailing '/' (but "/"), or nothing.
    virtual std::optional<std::string> BrowseForFolder(CWnd* parent, const std::string& title) = 0;
    // An open-file dialog for a DAT archive, title (translated) its caption:
    // an absolute path, or nothing.
    virtual std::optional<std::string> GetOpenArchiveName(CWnd*, const std::string&) { return std::nullopt; }

    // Hands a file to the desktop's default program for its kind, or starts a
    // program file, detached and without arguments. False with a reason when the
    // desktop refused.
    virtual bool OpenWithDefaultProgram(CWnd* parent, const std::string& path, std::string* error) = 0;
    virtual bool StartProgram(CWnd* parent, const std::string& path, std::string* error) = 0;

    // A progress dialog for a long operation (the application's window is its owner).
    virtual std::unique_ptr<IProgress> CreateProgress() = 0;
};

CUiServices& UiServices();
// Installs services (not owned); null restores the headless default.
void SetUiServices(CUiServices* services);
