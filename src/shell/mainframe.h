#pragma once
// The main window: menu, toolbar, status bar and the three panes in two
// splitters; it routes commands and forwards the list's styles and autoshow.
#include "platform/ui/cmdtarget.h"
#include "shell/lockindicators.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <vector>

class CDATFileDoc;
class CDATFoldersList;
class CDATFileList;
class CDATFileViewer;
class CView;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

class CMainFrame : public QMainWindow, public CCmdTarget
{
    Q_OBJECT
public:
    // app: the last target of the command chain; docCommands: the document's.
    CMainFrame(CDATFileDoc* doc, CCmdTarget* docCommands, CCmdTarget* app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CDATFoldersList* GetFoldersList() const { return m_pFolders; }
    CDATFileList* GetFileList() const { return m_pList; }
    CDATFileViewer* GetFileViewer() const { return m_pViewer; }
    QSplitter* OuterSplitter() const { return m_pOuter; }
    QSplitter* InnerSplitter() const { return m_pInner; }

    bool OnCmdMsg(unsigned id, CCmdUI* ui) override;
    // The whole chain: active view, document, frame, application.
    bool RouteCommand(unsigned id, CCmdUI* ui);
    void ExecuteCommand(unsigned id);
    CCmdUI QueryCommand(unsigned id);
    void UpdateCommandUI();
    // UpdateCommandUI once the events now queued are handled.
    void RequestCommandUI();

    QAction* Action(unsigned id) const;
    QMenu* Menu(int index) const;
    CView* ActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view) { m_pActiveView = view; }

    void UpdateTitle();
    void SetRecentFiles(const QStringList& files);
    QString IdleStatusText() const;
    QLabel* Indicator(int index) const { return m_indicators[std::size_t(index)]; }
    void RefreshIndicators();
    // Where the lock states come from; the keyboard's by default.
    using LockStateSource = std::function<SLockState()>;
    void SetLockStateSource(LockStateSource source) { m_lockSource = std::move(source); }

    // A file dropped on the window opens as the archive.
    using OpenHandler = std::function<void(const QString&)>;
    void SetOpenHandler(OpenHandler handler) { m_openHandler = std::move(handler); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateClient();
    void FollowStateChanges();
    QAction* MakeAction(unsigned id, const QString& text, const QString& prompt);

    CDATFileDoc* m_pDoc;
    CCmdTarget* m_pDocCommands;
    CCmdTarget* m_pApp;
    CView* m_pActiveView = nullptr;
    QSplitter* m_pOuter = nullptr;
    QSplitter* m_pInner = nullptr;
    CDATFoldersList* m_pFolders = nullptr;
    CDATFileList* m_pList = nullptr;
    CDATFileViewer* m_pViewer = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentPlaceholder = nullptr;
    std::vector<QAction*> m_recentActions;
    std::map<unsigned, QAction*> m_actions;
    std::vector<QMenu*> m_menus;
    std::array<QLabel*, 3> m_indicators{};
    bool m_bCommandUIPending = false;
    OpenHandler m_openHandler;
    LockStateSource m_lockSource = QueryLockState;
};
