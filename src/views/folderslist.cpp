#include "views/folderslist.h"

#include "archive/datfiledoc.h"
#include "platform/ui/guarded.h"
#include "platform/ui/itemicons.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QPainter>
#include <map>
#include <utility>

// The nodes of the last build; the model index's internal id is the node's
// position in CTreeModel::m_nodes.
class CFolderTreeModel : public QAbstractItemModel
{
public:
    static constexpr QRgb kChangedFolderColor = 0xB03A00;

    using QAbstractItemModel::QAbstractItemModel;

    void Rebuild(CTreeModel tree)
    {
        beginResetModel();
        m_tree = std::move(tree);
        m_rowOf.assign(m_tree.m_nodes.size(), 0);
        for (std::size_t i = 0; i < m_tree.m_roots.size(); ++i)
            m_rowOf[std::size_t(m_tree.m_roots[i])] = int(i);
        for (const CTreeNode& node : m_tree.m_nodes)
            for (std::size_t i = 0; i < node.m_children.size(); ++i)
                m_rowOf[std::size_t(node.m_children[i])] = int(i);
        m_icons.clear();
        endResetModel();
    }

    const std::vector<int>& ChildrenOf(const QModelIndex& parent) const
    {
        return parent.isValid() ? Node(parent).m_children : m_tree.m_roots;
    }

    const CTreeNode& Node(const QModelIndex& index) const { return m_tree.m_nodes[index.internalId()]; }

    QModelIndex IndexOfNode(int node) const
    {
        if (node < 0 || std::size_t(node) >= m_tree.m_nodes.size())
            return {};
        return createIndex(m_rowOf[std::size_t(node)], 0, quintptr(node));
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        const std::vector<int>& children = ChildrenOf(parent);
        if (column != 0 || row < 0 || std::size_t(row) >= children.size())
            return {};
        return createIndex(row, 0, quintptr(children[std::size_t(row)]));
    }

    QModelIndex parent(const QModelIndex& child) const override
    {
        if (!child.isValid())
            return {};
        return IndexOfNode(Node(child).m_nParent);
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        if (parent.isValid() && parent.column() != 0)
            return 0;
        return int(ChildrenOf(parent).size());
    }

    int columnCount(const QModelIndex& = {}) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const CTreeNode& node = Node(index);
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromUtf8(node.m_strLabel.data(), qsizetype(node.m_strLabel.size()));
        case Qt::DecorationRole:
            return Icon(node.m_nImage, node.m_nSelectedImage);
        case Qt::FontRole:
            return node.m_bChanged ? ChangedFont() : QVariant();
        case Qt::ForegroundRole:
            // Comparing: folders with changes below stand out in bold, in the changes' colour.
            return node.m_bChanged ? QVariant(QColor(kChangedFolderColor)) : QVariant();
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    CTreeModel m_tree;

private:
    static QFont ChangedFont()
    {
        QFont font;
        font.setBold(true);
        return font;
    }

    // The delegate draws the Selected mode while the node is selected, which is
    // the tree control's selected image.
    QIcon Icon(int image, int selectedImage) const
    {
        auto key = std::make_pair(image, selectedImage);
        auto it = m_icons.find(key);
        if (it != m_icons.end())
            return it->second;
        const CItemIcons& icons = CItemIcons::Instance();
        QIcon icon;
        icon.addPixmap(icons.Pixmap(image, false), QIcon::Normal);
        icon.addPixmap(icons.Pixmap(selectedImage, false), QIcon::Selected);
        icon.addPixmap(icons.Pixmap(image, false), QIcon::Active);
        m_icons.emplace(key, icon);
        return icon;
    }

    std::vector<int> m_rowOf;
    mutable std::map<std::pair<int, int>, QIcon> m_icons;
};

CDATFoldersList::CDATFoldersList(CDATFileDoc* doc, QWidget* parent)
    : QTreeView(parent), m_pDoc(doc), m_pModel(new CFolderTreeModel(this))
{
    setModel(m_pModel);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(false);
    setAcceptDrops(false);
    setIconSize(QSize(16, 16));
    setExpandsOnDoubleClick(true);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { GuardedCall("", [this] { OnSelectionChanged(); }); });
    doc->AddView(this);
}

CDATFoldersList::~CDATFoldersList() = default;

void CDATFoldersList::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CDATFoldersList::OnUpdate(CView*, long, void*)
{
    // Borrowed references die with the document's contents: drop the nodes
    // before anything else can read them. The reset neither expands nor
    // selects, and clears the selection without notifying.
    m_pModel->Rebuild(CTreeModel{});
    m_pModel->Rebuild(BuildTree(*m_pDoc));
    viewport()->update();
    // The top node open and selected, so the list shows something at once.
    if (m_pDoc->IsLoaded() && !m_pModel->m_tree.m_roots.empty()) {
        const QModelIndex top = IndexOfNode(m_pModel->m_tree.m_roots.front());
        expand(top);
        selectionModel()->setCurrentIndex(top, QItemSelectionModel::ClearAndSelect);
    }
}

QModelIndex CDATFoldersList::IndexOfNode(int node) const
{
    return m_pModel->IndexOfNode(node);
}

int CDATFoldersList::SelectedNode() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : int(selected.front().internalId());
}

void CDATFoldersList::SelectChildFolder(const CDATFolder* folder)
{
    if (!folder)
        return;
    const QModelIndex parent = IndexOfNode(SelectedNode());
    if (!parent.isValid())
        return;
    const int rows = m_pModel->rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex child = m_pModel->index(row, 0, parent);
        const CDATFolder* candidate = m_pModel->Node(child).m_pFolder;
        if (candidate && candidate->m_nID == folder->m_nID) {
            expand(parent);
            selectionModel()->setCurrentIndex(child, QItemSelectionModel::ClearAndSelect);
            scrollTo(child);
            return;
        }
    }
}

void CDATFoldersList::SelectNode(int node)
{
    const QModelIndex index = IndexOfNode(node);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void CDATFoldersList::ShowNodeOf(const CDATItem* item)
{
    const auto* file = dynamic_cast<const CDATInternalFile*>(item);
    const CDATFolder* folder = item ? item->m_pParent : nullptr;
    const auto& nodes = m_pModel->m_tree.m_nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const bool match = m_pDoc->m_nViewMode == 0
                               ? nodes[i].m_pFolder && folder && nodes[i].m_pFolder->m_nID == folder->m_nID
                               : nodes[i].m_pType && file && nodes[i].m_pType == file->m_pType;
        if (match) {
            const bool already = SelectedNode() == int(i);
            SelectNode(int(i));
            if (already)
                RelistSelection();
            return;
        }
    }
}

bool CDATFoldersList::CanGoUp() const
{
    const int node = SelectedNode();
    return node >= 0 && m_pModel->m_tree.m_nodes[std::size_t(node)].m_nParent >= 0;
}

void CDATFoldersList::GoUp()
{
    if (CanGoUp())
        SelectNode(m_pModel->m_tree.m_nodes[std::size_t(SelectedNode())].m_nParent);
}

void CDATFoldersList::RelistSelection()
{
    OnSelectionChanged();
}

const CTreeModel& CDATFoldersList::Tree() const
{
    return m_pModel->m_tree;
}

void CDATFoldersList::OnSelectionChanged()
{
    const int node = SelectedNode();
    if (node < 0)
        return;
    const CTreeNode& n = m_pModel->m_tree.m_nodes[std::size_t(node)];
    if (m_pDoc->m_nViewMode == 0) {
        if (n.m_pFolder)
            m_pDoc->ListFolder(n.m_pFolder, this);
    } else if (n.m_pType) {
        m_pDoc->ListFileType(n.m_pType, this);
    }
}

void CDATFoldersList::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    // Dotted connectors and +/- boxes, the top level included.
    const int indent = indentation();
    if (indent <= 0 || rect.width() < indent)
        return;
    painter->save();
    QPen dotted(palette().color(QPalette::Mid), 1, Qt::DotLine);
    painter->setPen(dotted);
    const int own = rect.left() + rect.width() - indent;
    const int cx = own + indent / 2;
    const int cy = rect.top() + rect.height() / 2;
    const bool above = index.row() > 0 || index.parent().isValid();
    const bool below = index.siblingAtRow(index.row() + 1).isValid();
    if (above || below)
        painter->drawLine(cx, above ? rect.top() : cy, cx, below ? rect.bottom() : cy);
    painter->drawLine(cx, cy, own + indent - 2, cy);
    int x = own - indent;
    for (QModelIndex ancestor = index.parent(); ancestor.isValid() && x >= rect.left();
         ancestor = ancestor.parent(), x -= indent) {
        if (ancestor.siblingAtRow(ancestor.row() + 1).isValid())
            painter->drawLine(x + indent / 2, rect.top(), x + indent / 2, rect.bottom());
    }
    if (model()->hasChildren(index)) {
        const QRect box(cx - 4, cy - 4, 8, 8);
        painter->fillRect(box, palette().color(QPalette::Base));
        painter->setPen(QPen(palette().color(QPalette::Dark), 1));
        painter->drawRect(box);
        painter->setPen(QPen(palette().color(QPalette::Text), 1));
        painter->drawLine(cx - 2, cy, cx + 2, cy);
        if (!isExpanded(index))
            painter->drawLine(cx, cy - 2, cx, cy + 2);
    }
    painter->restore();
}
