// The file list's Find field, its column sorting and its moves between
// folders (Enter, Esc, Up).
#include "views/filelist.h"

#include "archive/datfiledoc.h"
#include "platform/ui/guarded.h"
#include "views/commandids.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/listingsort.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QCoreApplication>
#include <QPointer>
#include <QTreeView>
#include <QVBoxLayout>
#include <unordered_map>

void CDATFileList::CreateFindBar(QVBoxLayout* layout)
{
    m_pFind = new QLineEdit(this);
    m_pFind->setObjectName(QStringLiteral("find"));
    m_pFind->setPlaceholderText(tr("Имя файла, часть пути или маска (*.frm)"));
    m_pFind->setClearButtonEnabled(true);
    m_pFind->hide();
    layout->addWidget(m_pFind);
    connect(m_pFind, &QLineEdit::textChanged, this, [this](const QString& text) {
        GuardedCall("", [&] {
            // An emptied field shows again what the tree has selected.
            if (!text.isEmpty()) {
                m_pDoc->ListMatches(text.toStdString(), m_pFoldersList, MatchesReadyNotice());
            } else {
                m_pDoc->DropWaitingMatches();
                if (m_pDoc->m_nListingKind == CDATFileDoc::kListMatches && m_pFoldersList)
                    m_pFoldersList->RelistSelection();
            }
        });
    });
    connect(m_pFind, &QLineEdit::returnPressed, this, [this] {
        // From the field to the results, the first one selected.
        if (m_pModel->rowCount() > 0 && FirstSelectedRow() < 0)
            SelectRows({0});
        CurrentView()->setFocus(Qt::OtherFocusReason);
    });
    m_pFind->installEventFilter(this);

    QHeaderView* header = m_pDetails->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { GuardedCall("", [&] { OnHeaderClicked(column); }); });
}

std::function<void()> CDATFileList::MatchesReadyNotice()
{
    // Called on the worker that folded the paths; the waiting query's matches
    // show on the window's thread, if this list is still there.
    return [list = QPointer<CDATFileList>(this)] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [list] {
            if (list)
                GuardedCall("", [&] { list->m_pDoc->ListWaitingMatches(list->m_pFoldersList); });
        }, Qt::QueuedConnection);
    };
}

bool CDATFileList::IsFinding() const
{
    return !m_pFind->isHidden();
}

void CDATFileList::StartFind()
{
    if (!m_pDoc->IsLoaded())
        return;
    m_pDoc->PrepareSearch(MatchesReadyNotice());
    m_pFind->show();
    m_pFind->setFocus(Qt::ShortcutFocusReason);
    m_pFind->selectAll();
}

void CDATFileList::EndFind()
{
    const bool relist = m_pDoc->m_nListingKind == CDATFileDoc::kListMatches;
    m_pDoc->DropWaitingMatches();
    {
        const QSignalBlocker quiet(m_pFind);
        m_pFind->clear();
    }
    const bool hadFocus = m_pFind->hasFocus();
    m_pFind->hide();
    if (relist && m_pFoldersList)
        m_pFoldersList->RelistSelection();
    if (hadFocus)
        CurrentView()->setFocus(Qt::OtherFocusReason);
}

void CDATFileList::GoToResult(int row)
{
    CDATItem* item = ListingItem(row);
    if (!m_pFoldersList)
        return;
    {
        const QSignalBlocker quiet(m_pFind);
        m_pFind->clear();
    }
    m_pFind->hide();
    m_pFoldersList->ShowNodeOf(item);
    const auto& listing = m_pDoc->m_listing;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        if (listing[i] == item) {
            SelectRows({int(i)});
            CurrentView()->scrollTo(m_pModel->index(int(i), 0));
            break;
        }
    }
    CurrentView()->setFocus(Qt::OtherFocusReason);
}

bool CDATFileList::CanGoUp() const
{
    return IsFinding() || (m_pFoldersList && m_pFoldersList->CanGoUp());
}

void CDATFileList::GoUp()
{
    if (IsFinding()) {
        EndFind();
        return;
    }
    if (!m_pFoldersList || !m_pFoldersList->CanGoUp())
        return;
    // As in a file manager, the folder just left is selected in its parent.
    const CDATFolder* left = m_pFoldersList->Tree().m_nodes[std::size_t(m_pFoldersList->SelectedNode())].m_pFolder;
    m_pFoldersList->GoUp();
    const auto& listing = m_pDoc->m_listing;
    for (std::size_t i = 0; left && i < listing.size(); ++i) {
        const auto* folder = dynamic_cast<const CDATFolder*>(listing[i]);
        if (folder && folder->m_nID == left->m_nID) {
            SelectRows({int(i)});
            CurrentView()->scrollTo(m_pModel->index(int(i), 0));
            break;
        }
    }
}

bool CDATFileList::OnFindCmdMsg(unsigned id, CCmdUI* ui)
{
    switch (id) {
    case ID_EDIT_FIND:
        if (ui)
            ui->Enable(m_pDoc->IsLoaded());
        else
            StartFind();
        return true;
    case ID_GO_UP:
        if (ui)
            ui->Enable(CanGoUp());
        else
            GoUp();
        return true;
    default:
        return false;
    }
}

bool CDATFileList::OnNavigationKey(const QKeyEvent& key, bool inFindField)
{
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    if (key.key() == Qt::Key_Escape && IsFinding()) {
        EndFind();
        return true;
    }
    if (inFindField || (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter))
        return false;
    const QModelIndex current = m_pSelection->currentIndex();
    if (!current.isValid())
        return false;
    CDATItem* item = ListingItem(current.row());
    if (m_pDoc->m_nListingKind == CDATFileDoc::kListMatches) {
        GoToResult(current.row());
        return true;
    }
    if (dynamic_cast<CDATFolder*>(item)) {
        OnDoubleClick(current.row());
        return true;
    }
    return false;
}

void CDATFileList::OnListingChanged()
{
    // A listing that is not one of matches ends the search that made them.
    if (m_pDoc->m_nListingKind != CDATFileDoc::kListMatches && !m_pFind->text().isEmpty()) {
        const QSignalBlocker quiet(m_pFind);
        m_pFind->clear();
        m_pFind->hide();
    }
    m_archiveOrder = m_pDoc->m_listing;
    if (m_nSortColumn >= 0)
        SortListingBy(m_pDoc->m_listing, ESortKey(m_nSortColumn), m_bSortDescending);
    m_pDetails->setColumnHidden(CListingModel::kColFolder, m_pDoc->m_nListingKind == CDATFileDoc::kListFolder);
    m_pDetails->setColumnHidden(CListingModel::kColSource, !m_pDoc->Stack() || m_pDoc->Comparison());
    m_pDetails->setColumnHidden(CListingModel::kColStatus, !m_pDoc->Comparison());
}

void CDATFileList::OnHeaderClicked(int column)
{
    if (column < 0 || column >= CListingModel::kColumnCount)
        return;
    if (column != m_nSortColumn) {
        m_nSortColumn = column;
        m_bSortDescending = false;
    } else if (!m_bSortDescending) {
        m_bSortDescending = true;
    } else {
        m_nSortColumn = -1;
    }
    Resort();
}

void CDATFileList::Resort()
{
    QHeaderView* header = m_pDetails->header();
    header->setSortIndicatorShown(m_nSortColumn >= 0);
    if (m_nSortColumn >= 0)
        header->setSortIndicator(m_nSortColumn, m_bSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    auto& listing = m_pDoc->m_listing;
    if (m_archiveOrder.size() != listing.size())
        return;
    // The selection and the current entry follow their items to the new rows.
    std::vector<CDATItem*> selected;
    for (int row : SelectedRows())
        selected.push_back(listing[std::size_t(row)]);
    const QModelIndex current = m_pSelection->currentIndex();
    CDATItem* currentItem = current.isValid() ? listing[std::size_t(current.row())] : nullptr;

    listing = m_archiveOrder;
    if (m_nSortColumn == CListingModel::kColSource || m_nSortColumn == CListingModel::kColStatus)
        SortListingByText(
            listing, [&](const CDATItem& item) { return m_pModel->ColumnText(item, m_nSortColumn); },
            m_bSortDescending);
    else if (m_nSortColumn >= 0)
        SortListingBy(listing, ESortKey(m_nSortColumn), m_bSortDescending);
    std::unordered_map<const CDATItem*, int> rowOf;
    if (!selected.empty() || currentItem)
        for (std::size_t i = 0; i < listing.size(); ++i)
            rowOf.emplace(listing[i], int(i));
    m_pModel->Refresh();
    std::vector<int> rows;
    for (CDATItem* item : selected)
        rows.push_back(rowOf[item]);
    SelectRows(rows);
    if (currentItem) {
        const QModelIndex index = m_pModel->index(rowOf[currentItem], 0);
        m_pSelection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        CurrentView()->scrollTo(index);
    }
}
