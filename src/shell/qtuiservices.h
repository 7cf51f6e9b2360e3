#pragma once
// The user-interface services of the application, over Qt's dialogs and the
// desktop. Errors raised while a pane paints are shown right after the paint.
#include "platform/uiservices.h"

#include <QStringList>

class CDATFileDoc;
class QWidget;

class CQtUiServices : public CUiServices
{
public:
    // mainWindow: the owner of dialogs given no parent.
    explicit CQtUiServices(QWidget* mainWindow = nullptr);
    ~CQtUiServices() override;
    void SetMainWindow(QWidget* mainWindow) { m_pMainWindow = mainWindow; }
    // The open document, whose sets' entries show their copies in Properties.
    void SetDocument(const CDATFileDoc* doc) { m_pDoc = doc; }

    std::string Translate(const char* text) override;
    int MessageBox(CWnd* parent, const std::string& text, const std::string& caption, unsigned flags) override;
    void ReportException(const std::exception& e, const std::string& context) override;
    void ShowProperties(CDATItem* item, CWnd* parent) override;
    std::optional<SSaveFileResult> GetSaveFileName(CWnd* parent, const std::string& filter,
                                                   const std::string& initialName) override;
    std::optional<std::string> BrowseForFolder(CWnd* parent, const std::string& title) override;
    std::optional<std::string> GetOpenArchiveName(CWnd* parent, const std::string& title) override;
    bool OpenWithDefaultProgram(CWnd* parent, const std::string& path, std::string* error) override;
    bool StartProgram(CWnd* parent, const std::string& path, std::string* error) override;
    std::unique_ptr<IProgress> CreateProgress() override;

    // The dialog owner for a window of the core: the window itself when it is
    // a widget, else the main window.
    QWidget* OwnerOf(CWnd* wnd) const;

    // The standard report's text: "<context> <file>: <cause>".
    static QString ReportText(const std::exception& e, const std::string& context);

private:
    void ShowDeferredReports();

    QWidget* m_pMainWindow;
    const CDATFileDoc* m_pDoc = nullptr;
    QStringList m_deferred;
};
