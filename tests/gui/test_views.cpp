// The three panes on the offscreen platform: the tree, the file list with its
// commands, and the content viewer.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "frmwriter.h"
#include "helpers.h"
#include "platform/cdc.h"
#include "views/commandids.h"
#include "shell/mainframe.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/thumbnails.h"
#include "platform/ui/itemicons.h"

#include <QApplication>
#include <QHeaderView>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

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
        out << model->index(row, 0, parent).data().toString();
    return out;
}

// Left-button events at a point of target, in order.
void Mouse(QWidget* target, QPoint at, std::initializer_list<QEvent::Type> types)
{
    for (QEvent::Type type : types) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
}

void Click(QAbstractItemView* view, int row, bool twice = false)
{
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    Mouse(view->viewport(), at, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
    if (twice)
        Mouse(view->viewport(), at, {QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease});
}

bool IsBand(const QImage& image, QRect r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y) != kBand)
                return false;
    return true;
}

// An entry whose preview the test chooses: its layout sees the content
// rectangle and gives the scroll extent; a failure message makes it throw.
class CProbeItem : public CDATFileType, public CPreview
{
public:
    explicit CProbeItem(std::string name)
        : CDATFileType("Probe files", "probe", kImageText), m_root(std::string(), 0, nullptr, 0),
          m_entry(&m_root, 1, std::move(name), 0, 0, 0, this)
    {
    }
    operator CDATInternalFile*() { return &m_entry; }
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest&) const override
    {
        if (!m_strFailure.empty())
            throw std::runtime_error(m_strFailure);
        return std::make_unique<CForward>(const_cast<CProbeItem*>(this));
    }
    SExtent Layout(CDC&, const RECT& content) override
    {
        m_seen = content;
        return m_extent;
    }
    void Draw(CDC&) const override {}
    std::size_t Bytes() const override { return 1; }

    CDATFolder m_root;
    CDATInternalFile m_entry;
    std::string m_strFailure;
    SExtent m_extent;
    RECT m_seen{};

private:
    struct CForward : CPreview
    {
        explicit CForward(CProbeItem* probe) : m_pProbe(probe) {}
        SExtent Layout(CDC& dc, const RECT& content) override { return m_pProbe->Layout(dc, content); }
        void Draw(CDC& dc) const override { m_pProbe->Draw(dc); }
        std::size_t Bytes() const override { return 1; }
        CProbeItem* m_pProbe;
    };
};

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
    QString CurrentNode() const { return Tree()->currentIndex().data().toString(); }
    void Select(const QModelIndex& node) { Tree()->setCurrentIndex(node); }
    QStringList ListedNames() const { return Labels(List()->Model()); }
    CDATItem* Listed(int row) const { return m_doc.m_listing[std::size_t(row)]; }

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
    // Opened with the top node open and selected, so the list is not empty.
    EXPECT_TRUE(Tree()->isExpanded(RootNode()) && Tree()->currentIndex() == RootNode());
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
    const CDATFolder* intrface = &FindFolder(m_doc, "intrface");
    Tree()->SelectChildFolder(intrface); // a grandchild: no match
    EXPECT_EQ(Tree()->currentIndex(), RootNode());
    Tree()->SelectChildFolder(intrface->m_pParent);
    Tree()->SelectChildFolder(intrface);
    EXPECT_EQ(ListedNames(), QStringList({"a.frm", "b.frm"}));

    // A mode change rebuilds the tree only.
    m_doc.SetViewMode(1);
    Pump();
    EXPECT_EQ(Labels(TreeModel()), QStringList({"FRM files", "Msg files", "Text files"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(TreeModel()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(ListedNames(), QStringList({"a.frm", "b.frm", "c.frm"}));
    Select(TreeModel()->index(1, 0));
    EXPECT_EQ(ListedNames(), QStringList({"d.msg"}));
}

TEST_F(ViewsTest, SelectingANodeFillsTheListAndEmptiesTheViewer)
{
    OpenExample(false);
    Select(TreeModel()->index(0, 0, RootNode())); // art
    CProbeItem probe("probe");
    Viewer()->SetItem(probe);
    Select(RootNode());
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
    EXPECT_EQ(Viewer()->GetItem(), nullptr);
    const CDATInternalFile& readme = m_doc.m_files[4];
    ASSERT_NE(readme.m_nPackedSize, 9u);
    QStringList cells;
    for (const auto& [row, column] : {std::pair{0, 1}, {0, 2}, {2, 2}, {2, 3}, {2, 4}, {7, 0}})
        cells << List()->Model()->index(row, column).data().toString();
    EXPECT_EQ(cells, QStringList({"Folder", "", "9", QString::number(readme.m_nPackedSize),
                                  QString::number(readme.m_nOffset), ""}));
    // The same node again: no new listing, the shown item stays.
    Viewer()->SetItem(probe);
    Select(RootNode());
    EXPECT_EQ(Viewer()->GetItem(), static_cast<CDATInternalFile*>(probe));

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
    for (const std::vector<int>& rows : {std::vector<int>{}, {2}, {1, 2}}) {
        List()->SelectRows(rows);
        for (unsigned id : {ID_FILE_OPENITEM, ID_FILE_SAVEITEMAS, ID_FILE_ITEMPROPERTIES, ID_FILE_COPYTO,
                            ID_FILE_SHOW, ID_SHOW_BUTTON}) {
            CCmdUI ui(id);
            EXPECT_TRUE(List()->OnCmdMsg(id, &ui));
            const bool single = id == ID_FILE_OPENITEM || id == ID_FILE_SAVEITEMAS || id == ID_FILE_ITEMPROPERTIES;
            EXPECT_EQ(ui.m_bEnabled, single ? rows.size() == 1 : !rows.empty()) << id << " rows " << rows.size();
        }
    }
    // Show works whichever pane is active.
    m_frame->SetActiveView(Tree());
    EXPECT_TRUE(m_frame->QueryCommand(ID_SHOW_BUTTON).m_bEnabled);
    EXPECT_FALSE(List()->OnCmdMsg(ID_APP_ABOUT, nullptr));

    List()->SelectRows({2});
    List()->OnCmdMsg(ID_FILE_ITEMPROPERTIES, nullptr);
    List()->OnCmdMsg(ID_FILE_SAVEITEMAS, nullptr);
    EXPECT_EQ(m_ui.m_properties, std::vector<CDATItem*>{Listed(2)});
    ASSERT_EQ(m_ui.m_saveDialogs.size(), 1u);
    EXPECT_EQ(m_ui.m_saveDialogs[0].second, "readme.txt");
    // A folder: Save as does nothing, Open enters it.
    List()->SelectRows({0});
    List()->OnCmdMsg(ID_FILE_SAVEITEMAS, nullptr);
    List()->OnCmdMsg(ID_FILE_OPENITEM, nullptr);
    EXPECT_EQ(m_ui.m_saveDialogs.size(), 1u);
    EXPECT_EQ(ListedNames(), QStringList({"critters", "intrface"}));
    EXPECT_TRUE(Tree()->isExpanded(RootNode()) && CurrentNode() == "art" && m_ui.m_reports.empty());
}

TEST_F(ViewsTest, ContextMenuHasOpenAsDefaultRunsItsCommandsAndOpensWhereTheMouseIs)
{
    OpenExample();
    List()->SelectRows({0, 2});
    std::unique_ptr<QMenu> menu(List()->BuildContextMenu());
    EXPECT_EQ(menu->defaultAction()->data().toUInt(), unsigned(ID_FILE_OPENITEM));
    QAction* show = nullptr;
    for (QAction* action : menu->actions()) {
        const unsigned id = action->data().toUInt();
        show = id == ID_FILE_SHOW ? action : show;
        EXPECT_TRUE(action->isSeparator() || action->isEnabled() == (id == ID_FILE_SHOW || id == ID_FILE_COPYTO || id == ID_FILE_EXTRACTDIRS ||
                                                         id == ID_FILE_EXPORTPNG)) << id;
    }
    // Triggering runs the command; its failure goes to the error report.
    Viewer()->SetItem(nullptr);
    show->trigger();
    EXPECT_EQ(Viewer()->GetItem(), Listed(0));
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
            EXPECT_TRUE(closer.m_bSeen && closer.m_pos == List()->mapToGlobal(QPoint(5, 5)))
                << "style " << style << " key " << key;
        }
    }
}

TEST_F(ViewsTest, DoubleClickOrEnterOpensAFolderAndUpReturnsWithTheFolderLeftSelected)
{
    OpenExample();
    List()->SetStyle(CDATFileList::LVS_REPORT);
    Pump();
    QTreeView* details = List()->DetailsView();
    Click(details, 2, true); // a file: nothing happens
    EXPECT_EQ(ListedNames(), QStringList({"art", "text", "readme.txt"}));
    Click(details, 1, true);
    EXPECT_EQ(ListedNames(), QStringList({"english"}));
    EXPECT_EQ(CurrentNode(), "text");
    Pump();
    List()->SelectRows({0});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(details, &enter);
    EXPECT_EQ(ListedNames(), QStringList({"d.msg"}));
    for (const auto& [names, selected] : {std::pair{QStringList({"english"}), 0},
                                          std::pair{QStringList({"art", "text", "readme.txt"}), 1}}) {
        m_frame->ExecuteCommand(ID_GO_UP);
        EXPECT_EQ(ListedNames(), names);
        EXPECT_EQ(List()->SelectedRows(), std::vector<int>{selected});
    }
    EXPECT_FALSE(m_frame->QueryCommand(ID_GO_UP).m_bEnabled); // at the top
}

TEST_F(ViewsTest, FindListsMatchesOfTheWholeArchiveEnterGoesToOneEscReturnsToTheFolder)
{
    OpenExample();
    Tree()->SelectChildFolder(&FindFolder(m_doc, "text"));
    List()->SetStyle(CDATFileList::LVS_REPORT);
    m_frame->ExecuteCommand(ID_EDIT_FIND);
    QLineEdit* field = List()->FindField();
    ASSERT_TRUE(field->isVisible() && field->hasFocus());
    const struct { const char* text; QStringList names; } finds[] = {
        {"A.FRM", {"a.frm"}},                                // letter case ignored
        {"art/", {"b.frm", "a.frm", "c.frm"}},               // any part of the path, either separator
        {"NGLISH\\d", {"d.msg"}},
        {"*\\?.frm", {"b.frm", "a.frm", "c.frm"}},           // a pattern on the whole path
        {"*e.t?t", {"readme.txt"}},
        {"intrface*", {}},
    };
    for (const auto& f : finds) {
        field->setText(QString::fromUtf8(f.text));
        EXPECT_EQ(ListedNames(), f.names) << f.text;
    }
    EXPECT_EQ(CurrentNode(), "text");
    // Results tell their folders apart; Enter on one shows it in its folder.
    field->setText(QStringLiteral("frm"));
    EXPECT_FALSE(List()->DetailsView()->isColumnHidden(CListingModel::kColFolder));
    EXPECT_EQ(List()->Model()->index(2, CListingModel::kColFolder).data().toString(), "art\\critters");
    List()->SelectRows({2});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(List()->DetailsView(), &enter);
    EXPECT_EQ(CurrentNode(), "critters");
    EXPECT_EQ(ListedNames(), QStringList({"c.frm"}));
    EXPECT_EQ(List()->SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(List()->DetailsView()->isColumnHidden(CListingModel::kColFolder));
    EXPECT_FALSE(field->isVisible());
    // Esc in the field returns to the folder shown before the search.
    m_frame->ExecuteCommand(ID_EDIT_FIND);
    field->setText(QStringLiteral("msg"));
    EXPECT_EQ(ListedNames(), QStringList({"d.msg"}));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(field, &esc);
    EXPECT_EQ(ListedNames(), QStringList({"c.frm"}));
    EXPECT_FALSE(field->isVisible());
}

// A big archive's paths are folded away from the window: what is typed
// before they are shows once they are, and a field emptied meanwhile wants
// nothing shown.
TEST_F(ViewsTest, FindTypedWhilePathsAreFoldedListsMatchesOnceTheyAre)
{
    std::vector<std::string> names;
    for (int i = 0; i < 60000; ++i)
        names.push_back("d" + std::to_string(i % 7) + "\\f" + std::to_string(i));
    ASSERT_TRUE(m_doc.OpenDocumentFile(WriteNamesArchive(m_dir, names)));
    Pump();
    for (const bool erased : {false, true}) {
        Select(RootNode());
        m_frame->ExecuteCommand(ID_EDIT_FIND);
        List()->FindField()->setText(QStringLiteral("D3\\F5999"));
        if (erased)
            List()->FindField()->setText(QString());
        QElapsedTimer clock;
        clock.start();
        while (!erased && m_doc.m_nListingKind != CDATFileDoc::kListMatches && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        for (clock.start(); clock.elapsed() < 50;)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(ListedNames(), erased ? QStringList({"d0", "d1", "d2", "d3", "d4", "d5", "d6"})
                                        : QStringList({"f59993"}));
        List()->EndFind();
    }
}

TEST_F(ViewsTest, AutoShowFollowsTheCurrentEntryOnlyWhenOnAndTogglesFromEitherPane)
{
    OpenExample();
    EXPECT_EQ(m_frame->QueryCommand(ID_VIEW_AUTOSHOW).m_nCheck, 1);
    List()->SelectRows({2});
    EXPECT_EQ(Viewer()->GetItem(), Listed(2));
    List()->CurrentView()->selectionModel()->setCurrentIndex(List()->Model()->index(0, 0),
                                                              QItemSelectionModel::NoUpdate);
    EXPECT_EQ(Viewer()->GetItem(), Listed(0));

    m_frame->SetActiveView(Tree()); // the tree forwards the command to the list
    m_frame->ExecuteCommand(ID_VIEW_AUTOSHOW);
    EXPECT_TRUE(!List()->m_bAutoShow && m_frame->QueryCommand(ID_VIEW_AUTOSHOW).m_nCheck == 0);
    List()->SelectRows({1});
    EXPECT_EQ(Viewer()->GetItem(), Listed(0));
    List()->OnCmdMsg(ID_FILE_SHOW, nullptr);
    EXPECT_EQ(Viewer()->GetItem(), Listed(1));
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
            List()->SelectRows({0, 1, 2});
            ASSERT_EQ(Viewer()->GetItem(), Listed(2));
            Click(List()->CurrentView(), row);
            EXPECT_EQ(List()->SelectedRows(), std::vector<int>({row}));
            EXPECT_EQ(Viewer()->GetItem(), Listed(row)) << "style " << style << " row " << row;
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
    };
    const SCase cases[] = {{CDATFileList::LVS_REPORT, ID_VIEW_DETAILS, List()->DetailsView(), 16},
                           {CDATFileList::LVS_LIST, ID_VIEW_LIST, List()->IconView(), 16},
                           {CDATFileList::LVS_SMALLICON, ID_VIEW_SMALLICON, List()->IconView(), 16},
                           {CDATFileList::LVS_ICON, ID_VIEW_LARGEICON, List()->IconView(), 32}};
    for (const SCase& c : cases) {
        // By the frame's command, or by the list itself.
        if (c.style % 2)
            m_frame->ExecuteCommand(c.id);
        else
            List()->SetStyle(c.style);
        EXPECT_TRUE(List()->GetStyle() == c.style && List()->CurrentView() == c.view) << c.style;
        EXPECT_EQ(List()->Model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().width(), c.iconWidth);
        EXPECT_EQ(List()->SelectedRows(), std::vector<int>({0, 2})) << c.style;
        EXPECT_EQ(List()->IconView()->dragDropMode(), QAbstractItemView::DragOnly) << c.style;
        for (const SCase& other : cases)
            EXPECT_EQ(m_frame->QueryCommand(other.id).m_nCheck, &other == &c ? 1 : 0) << c.style << other.style;
    }
}

TEST_F(ViewsTest, DetailsColumnsStartAtAFifth)
{
    CDATFileDoc doc(false);
    CDATFileList list(&doc);
    list.resize(500, 300);
    list.show();
    Pump();
    list.resize(800, 300); // set once, at creation
    EXPECT_EQ(list.DetailsView()->header()->sectionSize(4), 100);
}

TEST_F(ViewsTest, HeaderClicksSortByTheColumnThenReversedThenInTheArchivesOrderKeepingTheSelection)
{
    OpenExample(false);
    List()->SetStyle(CDATFileList::LVS_REPORT);
    m_doc.SetViewMode(1);
    Pump();
    Select(TreeModel()->index(0, 0)); // FRM files, from two folders
    QTreeView* details = List()->DetailsView();
    EXPECT_FALSE(details->isColumnHidden(CListingModel::kColFolder));
    QHeaderView* header = details->header();
    for (int column = 0; column < CListingModel::kColumnCount; ++column)
        header->resizeSection(column, 50);
    List()->SelectRows({0}); // a.frm
    const struct { int column; QStringList names; } clicks[] = {
        {CListingModel::kColFolder, {"c.frm", "a.frm", "b.frm"}},
        {CListingModel::kColFolder, {"b.frm", "a.frm", "c.frm"}},
        {CListingModel::kColFolder, {"a.frm", "b.frm", "c.frm"}},
        {CListingModel::kColSize, {"c.frm", "b.frm", "a.frm"}},
    };
    for (const auto& c : clicks) {
        const QPoint at(header->sectionViewportPosition(c.column) + 5, header->height() / 2);
        Mouse(header->viewport(), at, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
        EXPECT_EQ(ListedNames(), c.names) << c.column;
        EXPECT_EQ(List()->SelectedRows(), std::vector<int>{int(c.names.indexOf("a.frm"))});
    }
    m_doc.SetViewMode(0);
    Pump();
    EXPECT_TRUE(details->isColumnHidden(CListingModel::kColFolder));
}

TEST_F(ViewsTest, ViewerBandCarriesTheItemTheContentBelowItAndFailuresAreReported)
{
    QWidget* port = Viewer()->viewport();
    QImage image = port->grab().toImage();
    EXPECT_TRUE(IsBand(image, QRect(0, 0, port->width(), 40)));
    EXPECT_NE(image.pixelColor(150, 40), kBand); // the line below the band
    CProbeItem folder("intrface");
    Viewer()->SetItem(folder);
    image = port->grab().toImage();
    EXPECT_FALSE(IsBand(image, QRect(2, 2, 32, 32)));   // the icon
    EXPECT_FALSE(IsBand(image, QRect(40, 10, 120, 20))); // the name
    EXPECT_TRUE(IsBand(image, QRect(200, 0, 90, 40)));
    EXPECT_EQ(folder.m_seen, (RECT{0, 40, port->width(), port->height()}));

    CProbeItem bad("bad");
    bad.m_strFailure = "cannot read the entry";
    Viewer()->SetItem(bad);
    EXPECT_TRUE(IsBand(port->grab().toImage(), QRect(200, 0, 90, 40)));
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("cannot read the entry"), std::string::npos);
}

TEST_F(ViewsTest, ViewerBandScrollsAwayTheSameItemKeepsTheScrollPositionAnotherResetsIt)
{
    CProbeItem text("long.txt"), other("other");
    text.m_extent = {250, 900};
    QWidget* port = Viewer()->viewport();
    Viewer()->SetItem(text);
    port->grab();
    Pump();
    QScrollBar* v = Viewer()->verticalScrollBar();
    EXPECT_TRUE(v->maximum() == 900 - port->height() && v->pageStep() == port->height());
    v->setValue(100);
    EXPECT_NE(port->grab().toImage().pixelColor(150, 20), kBand);
    Viewer()->SetItem(text);
    EXPECT_EQ(v->value(), 100);
    Viewer()->SetItem(other);
    EXPECT_TRUE(v->value() == 0 && Viewer()->ScrollHeight() == 0);
    Viewer()->OnUpdate(nullptr, 0, nullptr);
    EXPECT_EQ(Viewer()->GetItem(), nullptr);
}

} // namespace

TEST_F(ViewsTest, ThumbnailsShowTheFirstFrameFittedAndDamagedPicturesKeepTheirIcon)
{
    const std::uint8_t red = DemoIndex(kRed, 12), blue = DemoIndex(kBlue, 12);
    Palette63 own = DemoPalette();
    own[blue] = {10, 50, 20};
    CDatWriter w;
    w.AddStored("color.pal", BuildPalette(DemoPalette()));
    w.AddCompressed("critters\\walker.frm", BuildFrm(120, 60, std::vector<std::uint8_t>(120 * 60, red), 3));
    w.AddStored("critters\\tall.frm", BuildFrm(30, 300, std::vector<std::uint8_t>(30 * 300, red)));
    w.AddStored("critters\\tiny.frm", BuildFrm(20, 10, std::vector<std::uint8_t>(200, red)));
    w.AddStored("critters\\title.rix", BuildRix(200, 100, own, std::vector<std::uint8_t>(200 * 100, blue)));
    w.AddStored("critters\\broken.frm", std::string(70, '\x04'));
    w.AddStored("critters\\notes.txt", "text");
    w.WriteTo(m_dir / "critters.dat");
    ASSERT_TRUE(m_doc.OpenDocumentFile(m_dir / "critters.dat"));
    Pump();
    Tree()->SelectChildFolder(&FindFolder(m_doc, "critters"));
    ASSERT_EQ(ListedNames().size(), 6);

    List()->SetStyle(CDATFileList::LVS_REPORT);
    m_frame->OnCmdMsg(ID_VIEW_THUMBNAILS, nullptr); // from the details style too
    EXPECT_EQ(List()->GetStyle(), CDATFileList::LVS_ICON);
    CThumbnailCache* cache = List()->Model()->ThumbnailCache();
    QElapsedTimer clock;
    clock.start();
    while (cache->Finished() < 5 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);

    const QRgb redRgb = qRgb(DemoPalette()[red][0] * 4, DemoPalette()[red][1] * 4, DemoPalette()[red][2] * 4);
    struct SCase
    {
        const char* name;
        QSize picture; // empty: the type icon
        QRgb colour;
    };
    for (const SCase& c : {SCase{"walker.frm", {96, 48}, redRgb}, SCase{"tall.frm", {9, 96}, redRgb},
                           SCase{"tiny.frm", {20, 10}, redRgb}, SCase{"title.rix", {96, 48}, qRgb(40, 200, 80)},
                           SCase{"broken.frm", {}, 0}, SCase{"notes.txt", {}, 0}}) {
        SCOPED_TRACE(c.name);
        const int row = int(ListedNames().indexOf(QString::fromLatin1(c.name)));
        const QModelIndex index = List()->Model()->index(row, 0);
        const QImage cell = index.data(Qt::DecorationRole).value<QPixmap>().toImage().convertToFormat(
            QImage::Format_ARGB32);
        ASSERT_EQ(cell.size(), QSize(96, 96));
        if (c.picture.isEmpty()) {
            const QImage icon = CItemIcons::Instance().Pixmap(Listed(row)->GetImage(), true).toImage();
            EXPECT_EQ(cell.copy(32, 32, 32, 32), icon.convertToFormat(QImage::Format_ARGB32));
            continue;
        }
        QRect opaque;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x)
                if (qAlpha(cell.pixel(x, y)) == 255) {
                    opaque |= QRect(x, y, 1, 1);
                    EXPECT_EQ(cell.pixel(x, y), c.colour | 0xFF000000u);
                }
        EXPECT_EQ(opaque.size(), c.picture);
    }
    EXPECT_TRUE(m_ui.m_messages.empty() && m_ui.m_reports.empty());

    // Off again: the type icons, at their own size.
    m_frame->OnCmdMsg(ID_VIEW_THUMBNAILS, nullptr);
    EXPECT_EQ(List()->Model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().size(), QSize(32, 32));
}
