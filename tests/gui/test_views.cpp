// The three panes on the offscreen platform: the tree, the file list with its
// commands, and the content viewer.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "helpers.h"
#include "platform/cdc.h"
#include "shell/commandids.h"
#include "shell/mainframe.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const QColor kBand(160, 200, 255);

void Pump()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QStringList Labels(const QAbstractItemModel* model, const QModelIndex& parent = {})
{
    QStringList out;
    for (int row = 0; row < model->rowCount(parent); ++row)
        out << model->data(model->index(row, 0, parent), Qt::DisplayRole).toString();
    return out;
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Click(QAbstractItemView* view, const QModelIndex& index, bool twice = false)
{
    const QPoint at = view->visualRect(index).center();
    SendMouse(view->viewport(), QEvent::MouseButtonPress, at);
    SendMouse(view->viewport(), QEvent::MouseButtonRelease, at);
    if (twice) {
        SendMouse(view->viewport(), QEvent::MouseButtonDblClick, at);
        SendMouse(view->viewport(), QEvent::MouseButtonRelease, at);
    }
}

// An item whose drawing the test chooses.
class CProbeItem : public CDATItem
{
public:
    explicit CProbeItem(std::string name) : CDATItem(nullptr, 1), m_strName(std::move(name)) {}
    const std::string& GetName() const override { return m_strName; }
    int GetImage() const override { return kImageText; }
    void Draw(CDC* dc, RECT* rect) override
    {
        if (m_draw)
            m_draw(dc, rect);
    }
    std::uint32_t GetTypeKey() const override { return 0; }
    void GetTypeText(char* buffer, int maxLength) const override { CopyTextTruncated(buffer, maxLength, "probe"); }
    void GetSizeText(char* buffer, int) const override { buffer[0] = '\0'; }
    void GetPackedSizeText(char* buffer, int) const override { buffer[0] = '\0'; }
    void GetOffsetText(char* buffer, int) const override { buffer[0] = '\0'; }

    std::string m_strName;
    std::function<void(CDC*, RECT*)> m_draw;
};

class ViewsTest : public ::testing::Test
{
protected:
    ViewsTest()
    {
        // Pictures drawn by autoshow cache into the test's folder.
        m_doc.m_CashPath.Set(m_dir / "cash");
        m_frame = std::make_unique<CMainFrame>(&m_doc, nullptr, nullptr);
        m_frame->show();
        Pump();
    }

    // The worked example, its root listed: art, text, readme.txt.
    void OpenExample(bool listRoot = true)
    {
        m_path = m_dir / "example.dat";
        ExampleArchive().WriteTo(m_path);
        ASSERT_TRUE(m_doc.OpenDocumentFile(m_path));
        Pump();
        if (listRoot)
            Select(RootNode());
    }

    CDATFoldersList* Tree() const { return m_frame->GetFoldersList(); }
    CDATFileList* List() const { return m_frame->GetFileList(); }
    CDATFileViewer* Viewer() const { return m_frame->GetFileViewer(); }
    QAbstractItemModel* TreeModel() const { return Tree()->model(); }
    QModelIndex RootNode() const { return TreeModel()->index(0, 0); }
    QString CurrentNode() const { return TreeModel()->data(Tree()->currentIndex(), Qt::DisplayRole).toString(); }

    void Select(const QModelIndex& node)
    {
        Tree()->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    }
    QStringList ListedNames() const { return Labels(List()->Model()); }
    QString Cell(int row, int column) const
    {
        return List()->Model()->data(List()->Model()->index(row, column), Qt::DisplayRole).toString();
    }
    bool Enabled(unsigned id)
    {
        CCmdUI ui(id);
        EXPECT_TRUE(List()->OnCmdMsg(id, &ui));
        return ui.m_bEnabled;
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_path;
    CDATFileDoc m_doc{false};
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(ViewsTest, FolderTreeIsOneCollapsedRootTypeTreeOneNodePerTypeChildFoldersOnlyFromTheSelectedNode)
{
    EXPECT_EQ(TreeModel()->rowCount(), 0);
    OpenExample(false);
    ASSERT_EQ(Labels(TreeModel()), QStringList{QString::fromStdString(m_path)});
    EXPECT_FALSE(Tree()->isExpanded(RootNode()) || Tree()->selectionModel()->hasSelection());
    EXPECT_TRUE(ListedNames().isEmpty()); // nothing was listed by the build
    const CDATFolder* intrface = &FindFolder(m_doc, "intrface");
    Tree()->SelectChildFolder(intrface); // nothing selected
    EXPECT_FALSE(Tree()->selectionModel()->hasSelection());
    Select(RootNode());
    for (const CDATFolder* folder : {intrface, static_cast<const CDATFolder*>(nullptr)}) {
        Tree()->SelectChildFolder(folder); // a grandchild, nothing: no match
        EXPECT_EQ(Tree()->currentIndex(), RootNode());
    }
    Tree()->SelectChildFolder(intrface->m_pParent);
    Tree()->SelectChildFolder(intrface);
    EXPECT_EQ(ListedNames(), QStringList({"a.frm", "b.frm"}));

    // A mode change rebuilds the tree only.
    m_doc.SetViewMode(1);
    Pump();
    EXPECT_EQ(Labels(TreeModel()), QStringList({"FRM files", "Msg files", "Text files"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(TreeModel()->data(TreeModel()->index(row, 0), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(ListedNames(), QStringList({"a.frm", "b.frm"}));
    EXPECT_FALSE(Tree()->selectionModel()->hasSelection());
    Select(TreeModel()->index(0, 0));
    EXPECT_EQ(ListedNames(), QStringList({"a.frm", "b.frm", "c.frm"}));
}

TEST_F(ViewsTest, SelectingANodeFillsTheListAndEmptiesTheViewer)
{
    OpenExample(false);
    CProbeItem probe("probe");
    Viewer()->SetItem(&probe);
    Select(RootNode());
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
    EXPECT_EQ(Viewer()->GetItem(), nullptr);
    const CDATInternalFile& readme = m_doc.m_files[4];
    ASSERT_NE(readme.m_nPackedSize, 9u);
    EXPECT_EQ(QStringList({Cell(0, 1), Cell(0, 2), Cell(2, 2), Cell(2, 3), Cell(2, 4)}),
              QStringList({"Folder", "", "9", QString::number(readme.m_nPackedSize),
                           QString::number(readme.m_nOffset)}));
    EXPECT_FALSE(List()->Model()->data(List()->Model()->index(7, 0), Qt::DisplayRole).isValid());
    // The same node again: no new listing, the shown item stays.
    Viewer()->SetItem(&probe);
    Select(RootNode());
    EXPECT_EQ(Viewer()->GetItem(), &probe);

    // Names are decoded from CP1251.
    CDatWriter w;
    w.AddStored("\xEF\xF0\xE8\xE2\xE5\xF2.txt", "x");
    w.WriteTo(m_dir / "ru.dat");
    ASSERT_TRUE(m_doc.OpenDocumentFile(m_dir / "ru.dat"));
    Select(RootNode());
    EXPECT_EQ(ListedNames(), QStringList({"привет.txt"}));
}

TEST_F(ViewsTest, CommandTableFollowsTheSelectionCountAndCommandsActOnTheSelection)
{
    OpenExample();
    const unsigned single[] = {ID_FILE_OPENITEM, ID_FILE_SAVEITEMAS, ID_FILE_ITEMPROPERTIES};
    const unsigned many[] = {ID_FILE_COPYTO, ID_FILE_SHOW, ID_SHOW_BUTTON};
    for (const std::vector<int>& rows : {std::vector<int>{}, {2}, {1, 2}}) {
        SCOPED_TRACE(rows.size());
        List()->SelectRows(rows);
        for (unsigned id : single)
            EXPECT_EQ(Enabled(id), rows.size() == 1) << id;
        for (unsigned id : many)
            EXPECT_EQ(Enabled(id), !rows.empty()) << id;
    }
    // Show works whichever pane is active, and gives the lower row.
    m_frame->SetActiveView(Tree());
    EXPECT_TRUE(m_frame->QueryCommand(ID_SHOW_BUTTON).m_bEnabled);
    EXPECT_FALSE(List()->OnCmdMsg(ID_APP_ABOUT, nullptr));
    Viewer()->SetItem(nullptr);
    List()->OnCmdMsg(ID_FILE_SHOW, nullptr);
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[1]);

    List()->SelectRows({2});
    List()->OnCmdMsg(ID_FILE_ITEMPROPERTIES, nullptr);
    ASSERT_EQ(m_ui.m_properties.size(), 1u);
    EXPECT_EQ(m_ui.m_properties[0], m_doc.m_listing[2]);
    List()->OnCmdMsg(ID_FILE_SAVEITEMAS, nullptr);
    ASSERT_EQ(m_ui.m_saveDialogs.size(), 1u);
    EXPECT_EQ(m_ui.m_saveDialogs[0].second, "readme.txt");

    // A folder: Save as does nothing, Open enters it.
    List()->SelectRows({0});
    List()->OnCmdMsg(ID_FILE_SAVEITEMAS, nullptr);
    EXPECT_EQ(m_ui.m_saveDialogs.size(), 1u);
    List()->OnCmdMsg(ID_FILE_OPENITEM, nullptr);
    EXPECT_EQ(ListedNames(), QStringList({"critters", "intrface"}));
    EXPECT_TRUE(Tree()->isExpanded(RootNode()));
    EXPECT_EQ(CurrentNode(), "art");
    EXPECT_TRUE(m_ui.m_reports.empty());
}

// Closes the pop-up menu that opens next, noting where it was.
struct SMenuCloser
{
    SMenuCloser()
    {
        QTimer::singleShot(0, [this] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                m_bSeen = true;
                m_pos = menu->pos();
                menu->close();
            }
        });
    }
    bool m_bSeen = false;
    QPoint m_pos;
};

TEST_F(ViewsTest, ContextMenuHasOpenAsDefaultRunsItsCommandsAndOpensWhereTheMouseIs)
{
    OpenExample();
    List()->SelectRows({0, 2});
    std::unique_ptr<QMenu> menu(List()->BuildContextMenu());
    EXPECT_EQ(menu->defaultAction()->data().toUInt(), unsigned(ID_FILE_OPENITEM));
    QAction* show = nullptr;
    for (QAction* action : menu->actions()) {
        const unsigned id = action->data().toUInt();
        if (id == ID_FILE_SHOW)
            show = action;
        if (!action->isSeparator())
            EXPECT_EQ(action->isEnabled(), id == ID_FILE_SHOW || id == ID_FILE_COPYTO) << id;
    }
    ASSERT_NE(show, nullptr);

    // Triggering runs the command; its failure goes to the error report.
    Viewer()->SetItem(nullptr);
    show->trigger();
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[0]);
    m_doc.m_listing.clear(); // the rows now name nothing
    show->trigger();
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("invalid vector<T> subscript"), std::string::npos);

    OpenExample();
    m_frame->activateWindow();
    Tree()->setFocus();
    Pump();
    QWidget* port = List()->CurrentView()->viewport();
    SMenuCloser closer;
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), port->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(port, &click);
    EXPECT_TRUE(closer.m_bSeen && closer.m_pos == port->mapToGlobal(QPoint(10, 10)));
    // The right click made the list the target of the frame's commands.
    Pump();
    EXPECT_EQ(m_frame->ActiveView(), static_cast<CView*>(List()));
}

TEST_F(ViewsTest, KeyboardMenuOpensAtTheListsCornerInEveryStyle)
{
    OpenExample();
    for (int style : {CDATFileList::LVS_ICON, CDATFileList::LVS_REPORT, CDATFileList::LVS_SMALLICON,
                      CDATFileList::LVS_LIST}) {
        List()->SetStyle(style);
        Pump();
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier},
                                             std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
            SMenuCloser closer;
            QKeyEvent press(QEvent::KeyPress, key, modifiers);
            QApplication::sendEvent(List()->CurrentView(), &press);
            EXPECT_TRUE(closer.m_bSeen) << style;
            EXPECT_EQ(closer.m_pos, List()->mapToGlobal(QPoint(5, 5))) << "style " << style << " key " << key;
        }
    }
}

TEST_F(ViewsTest, DoubleClickOnAFolderSelectsItInTheTreeEnterDoesNot)
{
    OpenExample();
    List()->SetStyle(CDATFileList::LVS_REPORT);
    Pump();
    QTreeView* details = List()->DetailsView();
    Click(details, List()->Model()->index(2, 0), true); // a file: nothing happens
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
    Click(details, List()->Model()->index(1, 0), true);
    EXPECT_EQ(ListedNames(), QStringList({"english"}));
    EXPECT_EQ(CurrentNode(), "text");
    Pump();
    List()->SelectRows({0});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(details, &enter);
    EXPECT_EQ(ListedNames(), QStringList({"english"}));
}

TEST_F(ViewsTest, AutoShowFollowsTheCurrentEntryOnlyWhenOnAndTogglesFromEitherPane)
{
    OpenExample();
    EXPECT_EQ(m_frame->QueryCommand(ID_VIEW_AUTOSHOW).m_nCheck, 1);
    List()->SelectRows({2});
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[2]);
    List()->CurrentView()->selectionModel()->setCurrentIndex(List()->Model()->index(0, 0),
                                                              QItemSelectionModel::NoUpdate);
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[0]);

    m_frame->SetActiveView(Tree()); // the tree forwards the command to the list
    m_frame->ExecuteCommand(ID_VIEW_AUTOSHOW);
    EXPECT_FALSE(List()->m_bAutoShow);
    EXPECT_EQ(m_frame->QueryCommand(ID_VIEW_AUTOSHOW).m_nCheck, 0);
    List()->SelectRows({1});
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[0]);
    List()->OnCmdMsg(ID_FILE_SHOW, nullptr);
    EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[1]);
    // The shown entry leaves the listing: the viewer empties.
    Select(TreeModel()->index(0, 0, RootNode()));
    EXPECT_EQ(Viewer()->GetItem(), nullptr);
    m_frame->SetActiveView(List());
    m_frame->ExecuteCommand(ID_VIEW_AUTOSHOW);
    EXPECT_TRUE(List()->m_bAutoShow);
}

TEST_F(ViewsTest, AClickAfterSelectAllShowsTheClickedEntryInEveryStyle)
{
    OpenExample();
    for (int style : {CDATFileList::LVS_ICON, CDATFileList::LVS_REPORT}) {
        List()->SetStyle(style);
        Pump();
        for (int row : {0, 1}) {
            QAbstractItemView* view = List()->CurrentView();
            view->setFocus();
            List()->SelectRows({0, 1, 2});
            ASSERT_EQ(Viewer()->GetItem(), m_doc.m_listing[2]);
            Click(view, List()->Model()->index(row, 0));
            EXPECT_EQ(List()->SelectedRows(), std::vector<int>({row}));
            EXPECT_EQ(Viewer()->GetItem(), m_doc.m_listing[std::size_t(row)]) << "style " << style << " row " << row;
        }
    }
}

TEST_F(ViewsTest, ListStylesShareOneSelectionAndTheRadioMarksFollowWhateverChangedThem)
{
    OpenExample();
    List()->SelectRows({0, 2});
    struct SCase
    {
        int style;
        unsigned id;
        QAbstractItemView* view;
        int iconWidth;
        bool byCommand;
    };
    const SCase cases[] = {{CDATFileList::LVS_REPORT, ID_VIEW_DETAILS, List()->DetailsView(), 16, true},
                           {CDATFileList::LVS_LIST, ID_VIEW_LIST, List()->IconView(), 16, false},
                           {CDATFileList::LVS_SMALLICON, ID_VIEW_SMALLICON, List()->IconView(), 16, true},
                           {CDATFileList::LVS_ICON, ID_VIEW_LARGEICON, List()->IconView(), 32, false}};
    for (const SCase& c : cases) {
        if (c.byCommand)
            m_frame->ExecuteCommand(c.id);
        else
            List()->SetStyle(c.style);
        EXPECT_TRUE(List()->GetStyle() == c.style && List()->CurrentView() == c.view) << c.style;
        EXPECT_EQ(List()->Model()->data(List()->Model()->index(0, 0), Qt::DecorationRole).value<QPixmap>().width(),
                  c.iconWidth) << c.style;
        EXPECT_EQ(List()->SelectedRows(), std::vector<int>({0, 2})) << c.style;
        EXPECT_FALSE(List()->IconView()->dragEnabled()) << c.style;
        for (const SCase& other : cases)
            EXPECT_EQ(m_frame->QueryCommand(other.id).m_nCheck, &other == &c ? 1 : 0) << c.style << other.style;
    }
}

TEST_F(ViewsTest, DetailsColumnsStartAtAFifthAndHeadersMoveButNeverSort)
{
    CDATFileDoc doc(false);
    CDATFileList list(&doc);
    list.resize(500, 300);
    list.show();
    Pump();
    list.resize(800, 300); // set once, at creation
    Pump();
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(list.DetailsView()->header()->sectionSize(c), 100) << c;

    OpenExample();
    List()->SetStyle(CDATFileList::LVS_REPORT);
    Pump();
    QHeaderView* header = List()->DetailsView()->header();
    EXPECT_TRUE(header->sectionsMovable());
    const QPoint at(header->sectionViewportPosition(0) + 5, header->height() / 2);
    for (int i = 0; i < 2; ++i) {
        SendMouse(header->viewport(), QEvent::MouseButtonPress, at);
        SendMouse(header->viewport(), QEvent::MouseButtonRelease, at);
    }
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
}

bool IsBand(const QImage& image, QRect r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y) != kBand)
                return false;
    return true;
}

TEST_F(ViewsTest, ViewerBandCarriesTheItemTheContentBelowItAndFailuresAreReported)
{
    QWidget* port = Viewer()->viewport();
    QImage image = port->grab().toImage();
    EXPECT_TRUE(IsBand(image, QRect(0, 0, port->width(), 40)));
    EXPECT_NE(image.pixelColor(150, 40), kBand); // the line below the band
    RECT seen{};
    CProbeItem folder("intrface");
    folder.m_draw = [&](CDC*, RECT* r) { seen = *r; };
    Viewer()->SetItem(&folder);
    image = port->grab().toImage();
    EXPECT_FALSE(IsBand(image, QRect(2, 2, 32, 32)));   // the icon
    EXPECT_FALSE(IsBand(image, QRect(40, 10, 120, 20))); // the name
    EXPECT_TRUE(IsBand(image, QRect(200, 0, 90, 40)));
    EXPECT_EQ(seen, (RECT{0, 40, port->width(), port->height()}));

    CProbeItem bad("bad");
    bad.m_draw = [](CDC*, RECT*) { throw std::runtime_error("cannot read the entry"); };
    Viewer()->SetItem(&bad);
    EXPECT_TRUE(IsBand(port->grab().toImage(), QRect(200, 0, 90, 40)));
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("cannot read the entry"), std::string::npos);
}

TEST_F(ViewsTest, ViewerBandScrollsAwayTheSameItemKeepsTheScrollPositionAnotherResetsIt)
{
    CProbeItem text("long.txt"), other("other");
    text.m_draw = [](CDC* dc, RECT*) { dc->GetWindow()->SetScrollSizes(250, 900); };
    QWidget* port = Viewer()->viewport();
    Viewer()->SetItem(&text);
    port->grab();
    Pump();
    QScrollBar* v = Viewer()->verticalScrollBar();
    EXPECT_EQ(v->maximum(), 900 - port->height());
    EXPECT_EQ(v->pageStep(), port->height());
    v->setValue(100);
    EXPECT_NE(port->grab().toImage().pixelColor(150, 20), kBand);

    Viewer()->SetItem(&text);
    EXPECT_EQ(v->value(), 100);
    Viewer()->SetItem(&other);
    EXPECT_EQ(v->value(), 0);
    EXPECT_EQ(Viewer()->ScrollHeight(), 0);
    Viewer()->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Viewer()->GetItem(), nullptr);
}

} // namespace
