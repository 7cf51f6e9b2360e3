#include "shell/mainframe.h"

#include "archive/datfiledoc.h"
#include "platform/profile.h"
#include "platform/ui/inputblock.h"
#include "filetypes/textencoding.h"
#include "views/commandids.h"
#include "shell/lockindicators.h"
#include "shell/progressdlg.h"
#include "views/prompts.h"
#include "platform/ui/guarded.h"
#include "shell/qtuiservices.h"
#include "shell/savedchoices.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "platform/ui/itemicons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include "shell/sourcesetdlg.h"
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeView>
#include <QToolBar>
#include <algorithm>

CMainFrame::CMainFrame(CDATFileDoc* doc, CCmdTarget* docCommands, CCmdTarget* app, QWidget* parent)
    : QMainWindow(parent), m_pDoc(doc), m_pDocCommands(docCommands), m_pApp(app)
{
    RegisterResources();
    resize(960, 640);
    SetCurrentTextEncoding(TextEncodingFromKey(
        CProfile::GetProfileString(QStringLiteral("Settings"), QStringLiteral("TextEncoding")).toStdString()));
    setWindowIcon(QIcon(QStringLiteral(":/icons/item7_32.png")));
    setAcceptDrops(true);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateClient();
    RestoreSavedChoices(*this, *m_pDoc);
    UpdateTitle();

    // Command states follow what changes them: the selection, the listing, the
    // focus and every command run. Lock lights follow the keys that toggle them.
    FollowStateChanges();
    qApp->installEventFilter(this);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (QWidget* w = now; w; w = w->parentWidget()) {
            if (w == m_pFolders)
                m_pActiveView = m_pFolders;
            else if (w == m_pList)
                m_pActiveView = m_pList;
            else if (w == m_pViewer)
                m_pActiveView = m_pViewer;
            else
                continue;
            break;
        }
        RequestCommandUI();
    });
}

CMainFrame::~CMainFrame()
{
    // The panes go after this body: focus moves and events they cause must
    // not reach a frame that is half gone.
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

QAction* CMainFrame::MakeAction(unsigned id, const QString& text, const QString& prompt)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    const QString status = prompt.section(QLatin1Char('\n'), 0, 0);
    action->setStatusTip(status);
    if (prompt.contains(QLatin1Char('\n')))
        action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions[id] = action;
    return action;
}

void CMainFrame::CreateMenus()
{
    auto item = [this](QMenu* menu, unsigned id, const QString& text) {
        QAction* action = MakeAction(id, text, CommandPrompt(id));
        menu->addAction(action);
        return action;
    };
    auto addMenu = [this](const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        m_menus.push_back(menu);
        return menu;
    };

    m_pFileMenu = addMenu(tr("&Файл"));
    item(m_pFileMenu, ID_FILE_OPEN, tr("&Открыть..."))->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    item(m_pFileMenu, ID_FILE_OPENSET, tr("Открыть &набор..."));
    item(m_pFileMenu, ID_FILE_COMPARE, tr("&Сравнить с..."));
    item(m_pFileMenu, ID_FILE_COMPAREFOLDER, tr("Сравнить с &папкой..."));
    item(m_pFileMenu, ID_FILE_ENDCOMPARE, tr("&Завершить сравнение"));
    item(m_pFileMenu, ID_FILE_EXPORTPNG, tr("&Экспорт в PNG..."));
    m_pFileMenu->addSeparator();
    m_pRecentPlaceholder = new QAction(tr("Recent File"), this);
    m_pRecentPlaceholder->setEnabled(false);
    m_pRecentPlaceholder->setStatusTip(CommandStatusText(ID_FILE_MRU_FILE1));
    m_pFileMenu->addAction(m_pRecentPlaceholder);
    m_pFileMenu->addSeparator();
    item(m_pFileMenu, ID_APP_EXIT, tr("&Выход"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));

    QMenu* edit = addMenu(tr("&Правка"));
    item(edit, ID_EDIT_FIND, tr("&Найти"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    item(edit, ID_GO_UP, tr("&Вверх"))->setShortcuts({QKeySequence(Qt::Key_Backspace),
                                                       QKeySequence(QStringLiteral("Alt+Up"))});
    item(edit, ID_FILE_REOPEN, tr("&Открыть заново"))->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu* view = addMenu(tr("&Вид"));
    item(view, ID_VIEW_TOOLBAR, tr("&Toolbar"))->setCheckable(true);
    item(view, ID_VIEW_STATUS_BAR, tr("&Status Bar"))->setCheckable(true);
    view->addSeparator();
    item(view, ID_VIEW_FOLDERS, tr("&Папки"))->setCheckable(true);
    item(view, ID_VIEW_TYPES, tr("&Типы"))->setCheckable(true);
    view->addSeparator();
    QAction* autoshow = item(view, ID_VIEW_AUTOSHOW, tr("&Автопоказ"));
    autoshow->setCheckable(true);
    autoshow->setChecked(true);
    item(view, ID_VIEW_THUMBNAILS, tr("&Миниатюры"))->setCheckable(true);
    item(view, ID_VIEW_SHOWUNCHANGED, tr("Показывать &неизменённые"))->setCheckable(true);
    view->addSeparator();
    item(view, ID_VIEW_TRANSPARENCY, tr("&Прозрачность"))->setCheckable(true);
    item(view, ID_VIEW_PALETTE_ANIMATION, tr("&Анимация палитры"))->setCheckable(true);
    item(view, ID_VIEW_FIXED_FONT, tr("&Моноширинный шрифт"))->setCheckable(true);
    view->addSeparator();
    QMenu* encodings = view->addMenu(tr("&Кодировка"));
    connect(encodings, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    const auto& list = TextEncodings();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const unsigned id = ID_ENCODING_FIRST + unsigned(i);
        QAction* action = MakeAction(id, QCoreApplication::translate(kCoreTextContext, list[i].m_szMenuText),
                                     tr("Кодировка текстовых файлов"));
        action->setCheckable(true);
        encodings->addAction(action);
        if (i == 0)
            encodings->addSeparator();
    }

    QMenu* settings = addMenu(tr("&Настройка"));
    item(settings, ID_SETTINGS, tr("&Свойства ..."));

    QMenu* help = addMenu(tr("&Помощь"));
    item(help, ID_APP_HELPDIALOG, tr("&Справка ..."));
    item(help, ID_APP_ABOUT, tr("&О ..."));

    // F1 and Shift+F1 open the help dialog.
    QAction* f1 = MakeAction(ID_HELP, QString(), QString());
    f1->setShortcuts({QKeySequence(Qt::Key_F1)});
    addAction(f1);
    QAction* shiftF1 = MakeAction(ID_CONTEXT_HELP, QString(), QString());
    shiftF1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addAction(shiftF1);
}

void CMainFrame::CreateToolBar()
{
    m_pToolBar = addToolBar(tr("Toolbar"));
    m_pToolBar->setObjectName(QStringLiteral("toolbar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    auto button = [this](unsigned id, const char* image) {
        QAction* action = m_actions.count(id) ? m_actions[id] : MakeAction(id, QString(), CommandPrompt(id));
        action->setIcon(QIcon(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(image))));
        if (action->toolTip().isEmpty() || action->toolTip() == action->text())
            action->setToolTip(CommandToolTip(id));
        m_pToolBar->addAction(action);
    };
    button(ID_FILE_OPEN, "open");
    button(ID_GO_UP, "up");
    button(ID_EDIT_FIND, "find");
    m_pToolBar->addSeparator();
    button(ID_SHOW_BUTTON, "show");
    m_pToolBar->addSeparator();
    button(ID_VIEW_LARGEICON, "largeicons");
    button(ID_VIEW_SMALLICON, "smallicons");
    button(ID_VIEW_LIST, "list");
    button(ID_VIEW_DETAILS, "details");
    m_pToolBar->addSeparator();
    button(ID_APP_ABOUT, "about");
    for (unsigned id : {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS})
        m_actions[id]->setCheckable(true);
    // The toolbar's own tooltip for Open is the text after the line break.
    m_actions[ID_FILE_OPEN]->setToolTip(CommandToolTip(ID_FILE_OPEN));
    m_actions[ID_APP_ABOUT]->setToolTip(CommandToolTip(ID_APP_ABOUT));
}

void CMainFrame::CreateStatusBar()
{
    auto* idle = new QLabel(IdleStatusText(), this);
    statusBar()->addWidget(idle, 1);
    const char* const names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(names[i]));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
        m_indicators[std::size_t(i)] = label;
    }
    RefreshIndicators();
}

QString CMainFrame::IdleStatusText() const
{
    return tr("For Help, press F1");
}

void CMainFrame::RefreshIndicators()
{
    const SLockState state = m_lockSource ? m_lockSource() : SLockState{};
    const bool on[] = {state.m_bCaps, state.m_bNum, state.m_bScroll};
    const char* const texts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        const QString text = state.m_bKnown && on[i] ? QLatin1String(texts[i]) : QString();
        if (m_indicators[std::size_t(i)]->text() != text)
            m_indicators[std::size_t(i)]->setText(text);
    }
}

void CMainFrame::CreateClient()
{
    m_pOuter = new QSplitter(Qt::Horizontal, this);
    m_pOuter->setObjectName(QStringLiteral("outerSplitter"));
    m_pOuter->setChildrenCollapsible(false);
    m_pFolders = new CDATFoldersList(m_pDoc, m_pOuter);
    m_pInner = new QSplitter(Qt::Vertical, m_pOuter);
    m_pInner->setObjectName(QStringLiteral("innerSplitter"));
    m_pInner->setChildrenCollapsible(false);
    m_pList = new CDATFileList(m_pDoc, m_pInner);
    m_pViewer = new CDATFileViewer(m_pDoc, m_pInner);
    setCentralWidget(m_pOuter);

    m_pList->m_pViewer = m_pViewer;
    m_pList->m_pFoldersList = m_pFolders;
    m_pViewer->setFont(m_pList->font());
    m_pActiveView = m_pFolders;

    // The tree takes a third of the width, the list half of the height.
    const QSize client = size();
    const int w = client.width();
    const int h = client.height();
    m_pOuter->setSizes({w / 3, w - w / 3});
    m_pInner->setSizes({h / 2, h - h / 2});
}

QAction* CMainFrame::Action(unsigned id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* CMainFrame::Menu(int index) const
{
    return index >= 0 && std::size_t(index) < m_menus.size() ? m_menus[std::size_t(index)] : nullptr;
}

bool CMainFrame::RouteCommand(unsigned id, CCmdUI* ui)
{
    if (auto* view = dynamic_cast<CCmdTarget*>(m_pActiveView); view && view->OnCmdMsg(id, ui))
        return true;
    if (m_pDocCommands && m_pDocCommands->OnCmdMsg(id, ui))
        return true;
    if (OnCmdMsg(id, ui))
        return true;
    return m_pApp && m_pApp->OnCmdMsg(id, ui);
}

void CMainFrame::ExecuteCommand(unsigned id)
{
    if (!IsWindowInputEnabled(this))
        return;
    GuardedCall("", [&] { RouteCommand(id, nullptr); });
    UpdateCommandUI();
}

CCmdUI CMainFrame::QueryCommand(unsigned id)
{
    CCmdUI ui(id);
    if (!RouteCommand(id, &ui))
        ui.Enable(false);
    return ui;
}

void CMainFrame::FollowStateChanges()
{
    auto request = [this] { RequestCommandUI(); };
    const QAbstractItemView* lists[] = {m_pList->DetailsView(), m_pFolders};
    for (const QAbstractItemView* view : lists) {
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, request);
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, request);
        connect(view->model(), &QAbstractItemModel::modelReset, this, request);
        connect(view->model(), &QAbstractItemModel::layoutChanged, this, request);
    }
}

void CMainFrame::RequestCommandUI()
{
    // A burst of changes costs one update, after the burst.
    if (m_bCommandUIPending)
        return;
    m_bCommandUIPending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_bCommandUIPending = false;
        UpdateCommandUI();
    }, Qt::QueuedConnection);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            RefreshIndicators();
            break;
        default:
            break;
        }
        break;
    case QEvent::ApplicationActivate:
        // The keys may have been pressed in another program meanwhile.
        RefreshIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateCommandUI()
{
    GuardedCall("", [&] {
        for (auto& [id, action] : m_actions) {
            if (id == ID_HELP || id == ID_CONTEXT_HELP)
                continue;
            const CCmdUI ui = QueryCommand(id);
            if (action->isEnabled() != ui.m_bEnabled)
                action->setEnabled(ui.m_bEnabled);
            if (action->isCheckable() && action->isChecked() != (ui.m_nCheck != 0))
                action->setChecked(ui.m_nCheck != 0);
        }
    });
}

bool CMainFrame::OnCmdMsg(unsigned id, CCmdUI* ui)
{
    if (id >= ID_ENCODING_FIRST && id < ID_ENCODING_FIRST + TextEncodings().size()) {
        const ETextEncoding encoding = TextEncodings()[id - ID_ENCODING_FIRST].m_id;
        if (ui) {
            ui->SetRadio(CurrentTextEncoding(m_pDoc->ArchivePath()) == encoding);
        } else if (CurrentTextEncoding(m_pDoc->ArchivePath()) != encoding) {
            ChooseTextEncoding(encoding, m_pDoc->ArchivePath()); // for the open archive
            if (m_pViewer)
                m_pViewer->RefreshPreview();
        }
        return true;
    }
    if (m_pViewer && m_pViewer->OnPictureCommand(id, ui))
        return true;
    switch (id) {
    case ID_VIEW_SMALLICON:
    case ID_VIEW_LARGEICON:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS: {
        const int style = id == ID_VIEW_SMALLICON  ? CDATFileList::LVS_SMALLICON
                          : id == ID_VIEW_LARGEICON ? CDATFileList::LVS_ICON
                          : id == ID_VIEW_LIST      ? CDATFileList::LVS_LIST
                                                    : CDATFileList::LVS_REPORT;
        if (!m_pList) {
            if (ui)
                ui->Enable(false);
            return true;
        }
        if (ui) {
            ui->Enable(true);
            ui->SetRadio(m_pList->GetStyle() == style);
        } else {
            m_pList->SetStyle(style);
        }
        return true;
    }
    case ID_VIEW_AUTOSHOW:
        if (m_pList) {
            if (ui)
                ui->SetCheck(m_pList->m_bAutoShow ? 1 : 0);
            else
                m_pList->OnAutoShow();
        }
        return true;
    case ID_SHOW_BUTTON:
    case ID_FILE_SHOW:
    case ID_EDIT_FIND:
    case ID_GO_UP:
    case ID_VIEW_THUMBNAILS:
    case ID_FILE_EXPORTPNG:
        // Show, Find, Up and Export work whichever pane has the focus.
        return m_pList && m_pList->OnCmdMsg(id, ui);
    case ID_VIEW_SHOWUNCHANGED: {
        const SComparison* comparison = m_pDoc->Comparison();
        if (ui) {
            ui->Enable(comparison != nullptr);
            ui->SetCheck(comparison && comparison->m_bShowUnchanged ? 1 : 0);
        } else if (comparison) {
            m_pDoc->SetShowUnchanged(!comparison->m_bShowUnchanged);
            if (m_pFolders)
                m_pFolders->RelistSelection();
        }
        return true;
    }
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR: {
        QWidget* bar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget*>(m_pToolBar) : statusBar();
        if (ui)
            ui->SetCheck(bar->isVisible() ? 1 : 0);
        else
            bar->setVisible(!bar->isVisible());
        return true;
    }
    case ID_HELP:
    case ID_CONTEXT_HELP:
    case ID_HELP_INDEX:
    case ID_DEFAULT_HELP:
        return m_pApp && m_pApp->OnCmdMsg(ID_APP_HELPDIALOG, ui);
    default:
        return false;
    }
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(QCoreApplication::translate(kCoreTextContext, m_pDoc->GetTitle().c_str()) + QStringLiteral(" - ") +
                   QString::fromUtf8(g_szAppTitle));
    RequestCommandUI();
}

namespace {

// A recent file as the File menu shows it: a long path shortened in the
// middle, keeping its start and its file name, so the menu keeps its width;
// '&' doubled, or it would underline the next letter.
QString RecentFileLabel(const QString& path)
{
    constexpr qsizetype kMaxChars = 60;
    if (path.contains(QLatin1Char('\n'))) {
        // A set: its sources' names, in order.
        QStringList names;
        for (const QString& s : path.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            names << QFileInfo(s).fileName();
        return names.join(QStringLiteral(" + ")).replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    QString shown = path;
    if (path.size() > kMaxChars) {
        const qsizetype name = path.size() - path.lastIndexOf(QLatin1Char('/'));
        const qsizetype tail = std::clamp<qsizetype>(name, kMaxChars / 2, kMaxChars - 12);
        shown = path.left(kMaxChars - 1 - tail) + QChar(0x2026) + path.right(tail);
    }
    return shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void CMainFrame::SetRecentFiles(const QStringList& files)
{
    for (QAction* action : m_recentActions) {
        m_pFileMenu->removeAction(action);
        m_actions.erase(action->data().toUInt());
        action->deleteLater();
    }
    m_recentActions.clear();
    m_pRecentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        const unsigned id = ID_FILE_MRU_FILE1 + unsigned(i);
        QAction* action = MakeAction(id, QStringLiteral("&%1 %2").arg(i + 1).arg(RecentFileLabel(files[i])), QString());
        action->setStatusTip(files[i]);
        m_pFileMenu->insertAction(m_pRecentPlaceholder, action);
        m_recentActions.push_back(action);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // While an operation shows progress, closing asks it to cancel instead.
    if (!IsWindowInputEnabled(this)) {
        if (CProgressDlg* progress = CProgressDlg::Current())
            progress->RequestCancel();
        event->ignore();
        return;
    }
    SaveChoices(*this, *m_pDoc);
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    // Entries dragged out of our own list are not archives to open.
    if (IsWindowInputEnabled(this) && event->mimeData()->hasUrls() && !event->source())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    if (!IsWindowInputEnabled(this))
        return;
    QStringList dropped;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            dropped << url.toLocalFile();
    if (dropped.isEmpty())
        return;
    event->acceptProposedAction();
    // Several archives dropped at once open as a set, in the order given.
    const QString path = SourceSetPath(dropped);
    // Open after the drop has finished, not inside it.
    QTimer::singleShot(0, this, [this, path] {
        if (m_openHandler)
            m_openHandler(path);
    });
}
