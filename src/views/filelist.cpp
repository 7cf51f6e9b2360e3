#include "views/filelist.h"

#include "archive/datfiledoc.h"
#include "platform/codepage.h"
#include "views/commandids.h"
#include "views/prompts.h"
#include "platform/ui/guarded.h"
#include "views/copyto.h"
#include "views/dragout.h"
#include "views/exportpng.h"
#include "views/extractdirs.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/thumbnails.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMimeData>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

// The details style's cells with grid lines on their right and bottom edges.
class CGridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->restore();
    }
};

constexpr int kMaxDamagedNamesShown = 20;

} // namespace

CDATFileList::CDATFileList(CDATFileDoc* doc, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_pModel(new CListingModel(doc, this)),
      m_pSelection(new QItemSelectionModel(m_pModel, this)), m_pStack(new QStackedWidget(this)),
      m_pIcons(new QListView), m_pDetails(new QTreeView)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateFindBar(layout);
    layout->addWidget(m_pStack);
    m_pStack->addWidget(m_pIcons);
    m_pStack->addWidget(m_pDetails);
    m_pIcons->setModel(m_pModel);
    m_pDetails->setModel(m_pModel);
    m_pIcons->setSelectionModel(m_pSelection);
    m_pDetails->setSelectionModel(m_pSelection);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_pIcons),
                                    static_cast<QAbstractItemView*>(m_pDetails)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // Whole rows, so that a selection made in one style shows in the other.
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Entries are dragged out as files, never moved or dropped in.
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        view->setDefaultDropAction(Qt::CopyAction);
        view->setAcceptDrops(false);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        // doubleClicked, not activated: a single click must not open a folder.
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            GuardedCall("", [&] { OnDoubleClick(index.row()); });
        });
    }

    // A hundred thousand rows: every item the same size, laid out in batches.
    m_pIcons->setUniformItemSizes(true);
    m_pIcons->setLayoutMode(QListView::Batched);
    m_pIcons->setBatchSize(1000);
    m_pIcons->setTextElideMode(Qt::ElideRight);

    m_pDetails->setRootIsDecorated(false);
    m_pDetails->setIndentation(0);
    m_pDetails->setItemsExpandable(false);
    m_pDetails->setExpandsOnDoubleClick(false);
    m_pDetails->setUniformRowHeights(true);
    m_pDetails->setAllColumnsShowFocus(true);
    m_pDetails->setItemDelegate(new CGridDelegate(m_pDetails));
    m_pDetails->setIconSize(QSize(16, 16));
    QHeaderView* header = m_pDetails->header();
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetColumnWidths(width());

    // Autoshow follows the current entry, the one the user last clicked or
    // moved to; the selection around it does not matter.
    connect(m_pSelection, &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            GuardedCall("", [&] { OnItemChanged(current.row()); });
    });

    m_pModel->SetMimeSource([this](const std::vector<int>& rows) {
        QMimeData* files = nullptr;
        GuardedCall("", [&] { files = FilesOfRows(rows); });
        return files;
    });

    ApplyStyle();
    doc->AddView(this);
}

void CDATFileList::SetColumnWidths(int width)
{
    const int column = std::max(width / 5, 1);
    for (int i = 0; i < CListingModel::kColumnCount; ++i)
        m_pDetails->header()->resizeSection(i, column);
}

void CDATFileList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The columns take a fifth each of the first real size; later the user
    // sizes them.
    if (!m_bColumnsSized && width() > 0) {
        m_bColumnsSized = true;
        SetColumnWidths(width());
    }
}

void CDATFileList::OnUpdate(CView*, long, void*)
{
    OnListingChanged();
    m_pModel->Refresh();
    UpdateCellSizes();
    if (!m_pDoc->IsLoaded())
        return;
    m_pIcons->scrollToTop();
    m_pDetails->scrollToTop();
    if (m_pViewer)
        m_pViewer->SetItem(nullptr);
}

CDATItem* CDATFileList::ListingItem(int row) const
{
    if (row < 0 || std::size_t(row) >= m_pDoc->m_listing.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return m_pDoc->m_listing[std::size_t(row)];
}

bool CDATFileList::OnCmdMsg(unsigned id, CCmdUI* ui)
{
    switch (id) {
    case ID_FILE_OPENITEM:
    case ID_FILE_SAVEITEMAS:
    case ID_FILE_ITEMPROPERTIES:
        if (ui) {
            ui->Enable(SelectedCount() == 1);
            return true;
        }
        if (id == ID_FILE_OPENITEM)
            OnOpen();
        else if (id == ID_FILE_SAVEITEMAS)
            OnSaveAs();
        else
            OnProperties();
        return true;
    case ID_FILE_COPYTO:
    case ID_FILE_EXTRACTDIRS:
    case ID_FILE_EXPORTPNG:
    case ID_EDIT_COPY:
    case ID_FILE_SHOW:
    case ID_SHOW_BUTTON:
        if (ui) {
            ui->Enable(SelectedCount() >= 1);
            return true;
        }
        if (id == ID_FILE_COPYTO)
            OnCopyTo();
        else if (id == ID_FILE_EXTRACTDIRS)
            OnExtractWithFolders();
        else if (id == ID_FILE_EXPORTPNG)
            OnExportPng();
        else if (id == ID_EDIT_COPY)
            OnCopyToClipboard();
        else
            OnShow();
        return true;
    case ID_VIEW_AUTOSHOW:
        if (ui) {
            ui->Enable(true);
            ui->SetCheck(m_bAutoShow ? 1 : 0);
        } else {
            OnAutoShow();
        }
        return true;
    case ID_VIEW_THUMBNAILS:
        if (ui) {
            ui->Enable(true);
            ui->SetCheck(Thumbnails() && m_nStyle == LVS_ICON ? 1 : 0);
        } else {
            // Asked for in another style, they come with the large icons.
            SetThumbnails(!(Thumbnails() && m_nStyle == LVS_ICON));
            SetStyle(LVS_ICON);
        }
        return true;
    default:
        return OnFindCmdMsg(id, ui);
    }
}

bool CDATFileList::Thumbnails() const
{
    return m_pModel->Thumbnails();
}

void CDATFileList::SetThumbnails(bool on)
{
    if (on == Thumbnails())
        return;
    m_pModel->SetThumbnails(on);
    ApplyStyle();
}

int CDATFileList::LargeIconSide() const
{
    return m_pModel->Thumbnails() ? CThumbnailCache::kSide : 32;
}

void CDATFileList::SetStyle(int style)
{
    style &= 3;
    if (style == m_nStyle)
        return;
    QAbstractItemView* before = CurrentView();
    const bool hadFocus = before->hasFocus();
    m_nStyle = style;
    ApplyStyle();
    QAbstractItemView* after = CurrentView();
    if (hadFocus && after != before)
        after->setFocus(Qt::OtherFocusReason);
    if (m_pSelection->currentIndex().isValid())
        after->scrollTo(m_pSelection->currentIndex());
}

void CDATFileList::ApplyStyle()
{
    m_pModel->SetLargeIcons(m_nStyle == LVS_ICON);
    if (m_nStyle == LVS_REPORT) {
        m_pModel->SetCellSize(QSize());
        m_pStack->setCurrentWidget(m_pDetails);
        return;
    }
    // setViewMode resets flow, wrapping and movement; they follow it.
    if (m_nStyle == LVS_ICON) {
        m_pIcons->setViewMode(QListView::IconMode);
        m_pIcons->setIconSize(QSize(LargeIconSide(), LargeIconSide()));
        m_pIcons->setFlow(QListView::LeftToRight);
        m_pIcons->setWordWrap(true);
    } else {
        m_pIcons->setViewMode(QListView::ListMode);
        m_pIcons->setIconSize(QSize(16, 16));
        m_pIcons->setFlow(m_nStyle == LVS_SMALLICON ? QListView::LeftToRight : QListView::TopToBottom);
        m_pIcons->setWordWrap(false);
    }
    m_pIcons->setWrapping(true);
    m_pIcons->setMovement(QListView::Static);
    m_pIcons->setResizeMode(QListView::Adjust);
    m_pIcons->setSelectionRectVisible(true);
    // Entries are dragged out, never moved about.
    m_pIcons->setDragEnabled(true);
    m_pIcons->setDragDropMode(QAbstractItemView::DragOnly);
    m_pIcons->viewport()->setAcceptDrops(false);
    UpdateCellSizes();
    m_pStack->setCurrentWidget(m_pIcons);
}

void CDATFileList::UpdateCellSizes()
{
    m_pModel->SetCellSize(QSize());
    if (m_nStyle == LVS_REPORT)
        return;
    // One cell size for all rows, from the widest name; only the longest names
    // are measured: measuring every one of 100,000 would stall the update.
    const QFontMetrics metrics(m_pIcons->font());
    const auto& listing = m_pDoc->m_listing;
    const int rows = m_pModel->rowCount();
    std::size_t longest = 0;
    for (int row = 0; row < rows; ++row)
        longest = std::max(longest, listing[std::size_t(row)]->GetName().size());
    int widestRow = -1;
    int widest = 0;
    int measured = 0;
    for (int row = 0; row < rows && measured < 256; ++row) {
        const std::string& raw = listing[std::size_t(row)]->GetName();
        if (raw.size() + 2 < longest)
            continue;
        ++measured;
        const std::u16string name = DecodeToUtf16(raw);
        const int width = metrics.horizontalAdvance(QString::fromUtf16(name.data(), qsizetype(name.size())));
        if (width > widest) {
            widest = width;
            widestRow = row;
        }
    }
    int cell = widestRow >= 0 ? m_pIcons->sizeHintForIndex(m_pModel->index(widestRow, 0)).width() + 8 : 0;
    if (m_nStyle == LVS_ICON) {
        // Longer names are cut; the tooltip shows them whole.
        const int icon = LargeIconSide();
        cell = std::clamp(cell, icon + 48, 160);
        m_pModel->SetCellSize(QSize(cell - 4, icon + 2 * metrics.height() + 8));
        m_pIcons->setGridSize(QSize(cell, icon + 2 * metrics.height() + 12));
        return;
    }
    m_nListCellWidth = std::clamp(cell, 80, 480);
    const int height = std::max(18, metrics.height() + 4);
    m_pModel->SetCellSize(QSize(m_nListCellWidth, height));
    m_pIcons->setGridSize(QSize(m_nListCellWidth, height));
}

std::vector<std::pair<int, int>> CDATFileList::SelectedRanges() const
{
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : m_pSelection->selection())
        if (range.isValid())
            ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& r : ranges) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    return merged;
}

std::vector<int> CDATFileList::SelectedRows() const
{
    std::vector<int> rows;
    for (const auto& [top, bottom] : SelectedRanges())
        for (int row = top; row <= bottom; ++row)
            rows.push_back(row);
    return rows;
}

int CDATFileList::SelectedCount() const
{
    int count = 0;
    for (const auto& [top, bottom] : SelectedRanges())
        count += bottom - top + 1;
    return count;
}

int CDATFileList::FirstSelectedRow() const
{
    const auto ranges = SelectedRanges();
    return ranges.empty() ? -1 : ranges.front().first;
}

void CDATFileList::SelectRows(const std::vector<int>& wanted)
{
    std::vector<int> rows;
    const int count = m_pModel->rowCount();
    for (int row : wanted)
        if (row >= 0 && row < count)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QItemSelection selection;
    const int lastColumn = CListingModel::kColumnCount - 1;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(m_pModel->index(rows[i], 0), m_pModel->index(rows[j], lastColumn));
        i = j + 1;
    }
    m_pSelection->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        m_pSelection->setCurrentIndex(m_pModel->index(rows.back(), 0), QItemSelectionModel::NoUpdate);
}

QAbstractItemView* CDATFileList::CurrentView() const
{
    if (m_nStyle == LVS_REPORT)
        return m_pDetails;
    return m_pIcons;
}

QMenu* CDATFileList::BuildContextMenu()
{
    auto* menu = new QMenu(this);
    auto add = [this, menu](unsigned id, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        action->setStatusTip(CommandStatusText(id));
        CCmdUI ui(id);
        OnCmdMsg(id, &ui);
        action->setEnabled(ui.m_bEnabled);
        connect(action, &QAction::triggered, this, [this, id] { GuardedCall("", [&] { OnCmdMsg(id, nullptr); }); });
        return action;
    };
    menu->setDefaultAction(add(ID_FILE_OPENITEM, tr("&Открыть")));
    menu->addSeparator();
    add(ID_FILE_SHOW, tr("&Показать"));
    menu->addSeparator();
    add(ID_FILE_SAVEITEMAS, tr("&Сохранить как ..."));
    add(ID_FILE_COPYTO, tr("С&копировать в ..."));
    add(ID_FILE_EXTRACTDIRS, tr("Извлечь с &папками..."));
    add(ID_FILE_EXPORTPNG, tr("&Экспорт в PNG..."));
    menu->addSeparator();
    add(ID_FILE_ITEMPROPERTIES, tr("С&войства"));
    return menu;
}

void CDATFileList::ShowContextMenu(const QPoint& globalPos)
{
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    menu->exec(globalPos);
}

bool CDATFileList::eventFilter(QObject* watched, QEvent* event)
{
    const bool onView = watched == m_pIcons || watched == m_pDetails;
    const bool onViewport = watched == m_pIcons->viewport() || watched == m_pDetails->viewport();
    if ((onView || watched == m_pFind) && event->type() == QEvent::KeyPress) {
        bool handled = false;
        GuardedCall("", [&] { handled = OnNavigationKey(*static_cast<QKeyEvent*>(event), watched == m_pFind); });
        if (handled)
            return true;
    }
    if (onView && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        // The entries as files, not the view's own copy of a name as text.
        if (key->matches(QKeySequence::Copy)) {
            GuardedCall("", [this] { OnCopyToClipboard(); });
            return true;
        }
        if (menuKey || shiftF10) {
            // From the keyboard the menu opens at the list's corner, in every
            // style (the details header does not move it down).
            const QPoint at = mapToGlobal(QPoint(5, 5));
            GuardedCall("", [&] { ShowContextMenu(at); });
            return true;
        }
    }
    if (onViewport && event->type() == QEvent::ContextMenu) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        // The keyboard's own request was served by the key press above.
        if (menuEvent->reason() != QContextMenuEvent::Keyboard) {
            // The frame routes commands to the view with the focus.
            CurrentView()->setFocus(Qt::MouseFocusReason);
            const QPoint at = menuEvent->globalPos();
            GuardedCall("", [&] { ShowContextMenu(at); });
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CDATFileList::OnOpen()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    CDATItem* item = ListingItem(row);
    if (auto* file = dynamic_cast<CDATInternalFile*>(item)) {
        if (file->m_pType)
            file->m_pType->Open(m_pDoc->Context(), file, this);
    } else if (auto* folder = dynamic_cast<CDATFolder*>(item); folder && m_pFoldersList) {
        m_pFoldersList->SelectChildFolder(folder);
    }
}

void CDATFileList::OnSaveAs()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    if (auto* file = dynamic_cast<CDATInternalFile*>(ListingItem(row)); file && file->m_pType)
        file->m_pType->SaveAs(m_pDoc->Context(), file, this);
}

void CDATFileList::OnProperties()
{
    const int row = FirstSelectedRow();
    if (row >= 0)
        ListingItem(row)->ShowProperties(m_pDoc->Context(), this);
}

void CDATFileList::OnCopyTo()
{
    const SCopyResult result = CopySelectedFiles(*m_pDoc, SelectedRows(), this);
    ReportDamaged(result.m_damaged, tr("Повреждённые файлы не скопированы:"));
}

void CDATFileList::ReportDamaged(const std::vector<std::string>& names, const QString& intro)
{
    if (names.empty())
        return;
    std::string text = intro.toStdString() + "\n";
    const int total = int(names.size());
    for (int i = 0; i < total && i < kMaxDamagedNamesShown; ++i)
        text += DecodeToUtf8(names[std::size_t(i)]) + "\n";
    if (total > kMaxDamagedNamesShown)
        text += tr("... и ещё %1").arg(total - kMaxDamagedNamesShown).toStdString() + "\n";
    text.pop_back();
    m_pDoc->Context().Ui().MessageBox(this, text, tr("Предупреждение").toStdString(), MB_OK | MB_ICONEXCLAMATION);
}

void CDATFileList::ShowStatus(const QString& text)
{
    if (auto* frame = qobject_cast<QMainWindow*>(window()))
        frame->statusBar()->showMessage(text);
}

void CDATFileList::OnExtractWithFolders()
{
    std::string folder;
    const SExtractDirsResult result = ExtractRowsWithFolders(*m_pDoc, SelectedRows(), this, &folder);
    if (folder.empty())
        return;
    ShowStatus(tr("Извлечено файлов: %1 в %2%3")
                   .arg(QString::number(result.m_nWritten), QString::fromStdString(folder),
                        result.m_bStopped ? tr(" (прервано)") : QString()));
    ReportDamaged(result.m_damaged, tr("Повреждённые файлы не извлечены:"));
}

void CDATFileList::OnExportPng()
{
    std::string folder;
    const SExtractDirsResult result = ExportRowsToPng(*m_pDoc, SelectedRows(), this, &folder);
    if (folder.empty())
        return;
    ShowStatus(tr("Экспортировано картинок: %1 в %2%3")
                   .arg(QString::number(result.m_nWritten), QString::fromStdString(folder),
                        result.m_bStopped ? tr(" (прервано)") : QString()));
    ReportDamaged(result.m_damaged, tr("Не удалось преобразовать в PNG:\n").toStdString().c_str());
}

QMimeData* CDATFileList::FilesOfRows(const std::vector<int>& rows)
{
    std::vector<const CDATItem*> items;
    for (int row : rows)
        items.push_back(ListingItem(row));
    SExtractDirsResult result;
    QMimeData* files = EntriesAsFiles(*m_pDoc, items, this, &result);
    if (!result.m_damaged.empty())
        ShowStatus(tr("Повреждённые файлы пропущены: %1").arg(result.m_damaged.size()));
    return files;
}

void CDATFileList::OnCopyToClipboard()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    if (QMimeData* files = FilesOfRows(rows))
        QApplication::clipboard()->setMimeData(files);
}

void CDATFileList::OnShow()
{
    const int row = FirstSelectedRow();
    if (row >= 0 && m_pViewer)
        m_pViewer->SetItem(ListingItem(row));
}

void CDATFileList::OnDoubleClick(int row)
{
    if (row < 0 || !m_pFoldersList)
        return;
    if (m_pDoc->m_nListingKind == CDATFileDoc::kListMatches)
        return GoToResult(row);
    if (auto* folder = dynamic_cast<CDATFolder*>(ListingItem(row)))
        m_pFoldersList->SelectChildFolder(folder);
}

void CDATFileList::OnAutoShow()
{
    m_bAutoShow = !m_bAutoShow;
    const QModelIndex current = m_pSelection->currentIndex();
    if (m_bAutoShow && current.isValid())
        OnItemChanged(current.row());
}

void CDATFileList::OnItemChanged(int row)
{
    if (row < 0 || !m_pViewer || !m_bAutoShow)
        return;
    m_pViewer->SetItem(ListingItem(row));
}
