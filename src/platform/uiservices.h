#pragma once
// What the core asks of the user interface. The application installs the Qt
// implementation; tests install a scripted fake; with nothing installed the
// headless default answers every question with "No" and reports nothing.
#include <exception>
#include <string>

class CWnd; // a window of the user interface, opaque to the core
class CDATItem;

// Message-box flags and answers, with the values the Parts use.
enum : unsigned {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_YESNOCANCEL = 0x0003,
    MB_YESNO = 0x0004,
    MB_ICONERROR = 0x0010,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONINFORMATION = 0x0040,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class CUiServices
{
public:
    virtual ~CUiServices() = default;

    // Texts are UTF-8. Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(CWnd* parent, const std::string& text, const std::string& caption, unsigned flags) = 0;

    // The standard error report for a failure that reached a command,
    // notification or paint entry point.
    virtual void ReportException(const std::exception& e, const std::string& context) = 0;

    // The properties dialog of an item, modal over parent.
    virtual void ShowProperties(CDATItem* item, CWnd* parent) = 0;
};

CUiServices& UiServices();
// Installs services (not owned); null restores the headless default.
void SetUiServices(CUiServices* services);
