#include "views/folderslist.h"

#include "archive/datfiledoc.h"

#include <QAbstractItemModel>

class CFolderTreeModel : public QAbstractItemModel
{
public:
    using QAbstractItemModel::QAbstractItemModel;
    CTreeModel m_tree;
    QModelIndex index(int, int, const QModelIndex& = {}) const override { return {}; }
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& = {}) const override { return 0; }
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    QVariant data(const QModelIndex&, int) const override { return {}; }
};

CDATFoldersList::CDATFoldersList(CDATFileDoc* doc, QWidget* parent)
    : QTreeView(parent), m_pDoc(doc), m_pModel(new CFolderTreeModel(this))
{
    setModel(m_pModel);
    doc->AddView(this);
}

CDATFoldersList::~CDATFoldersList() = default;

void CDATFoldersList::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CDATFoldersList::OnUpdate(CView*, long, void*) {}

void CDATFoldersList::SelectChildFolder(const CDATFolder*) {}

const CTreeModel& CDATFoldersList::Tree() const
{
    return m_pModel->m_tree;
}

void CDATFoldersList::OnSelectionChanged() {}
