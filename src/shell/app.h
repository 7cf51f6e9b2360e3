#pragma once
// The application: builds the document and the main window, opens the archive
// of the command line, and handles Open, the recent files, Help and About.
#include "platform/ui/cmdtarget.h"

#include <QString>
#include <QStringList>
#include <memory>

class CDATFileDoc;
class CMainFrame;
class COpenedFiles;
class CQtUiServices;
class CUiServices;
class QWidget;

// The document's own commands: the two view modes and the settings dialog.
class CDocCommands : public CCmdTarget
{
public:
    CDocCommands(CDATFileDoc& doc, QWidget* dialogOwner) : m_doc(doc), m_pOwner(dialogOwner) {}
    bool OnCmdMsg(unsigned id, CCmdUI* ui) override;
    void SetDialogOwner(QWidget* owner) { m_pOwner = owner; }

private:
    CDATFileDoc& m_doc;
    QWidget* m_pOwner;
};

class CDravikApp : public CCmdTarget
{
public:
    CDravikApp();
    ~CDravikApp() override;

    // False when the archive named on the command line could not be opened
    // (the error was reported); no window is shown then.
    // services: the user-interface services to use (tests give a fake); the
    // Qt ones by default.
    bool InitInstance(const QStringList& arguments, CUiServices* services = nullptr);
    bool OnCmdMsg(unsigned id, CCmdUI* ui) override;

    bool OpenDocumentFile(const QString& path);
    void OnFileOpenSet();
    // Compares what is open with an archive (or a folder) the user picks.
    void OnFileCompare(bool folder);
    void OnFileNew();
    void OnFileOpen();

    CDATFileDoc* Document() const { return m_pDoc.get(); }
    CMainFrame* Frame() const { return m_pFrame.get(); }
    CQtUiServices* Services() const { return m_pServices.get(); }

private:
    void OnOpenRecentFile(int index);
    void RefreshRecentFiles();

    // The files Open handed to the desktop are removed when the browser exits.
    std::unique_ptr<COpenedFiles> m_pOpenedFiles;
    std::unique_ptr<CQtUiServices> m_pServices;
    std::unique_ptr<CDATFileDoc> m_pDoc;
    std::unique_ptr<CDocCommands> m_pDocCommands;
    std::unique_ptr<CMainFrame> m_pFrame;
};
