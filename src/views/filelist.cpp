#include "views/filelist.h"

#include "archive/datfiledoc.h"
#include "views/listingmodel.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

CDATFileList::CDATFileList(CDATFileDoc* doc, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_pModel(new CListingModel(doc, this)),
      m_pSelection(new QItemSelectionModel(m_pModel, this)), m_pStack(new QStackedWidget(this)),
      m_pIcons(new QListView), m_pDetails(new QTreeView)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pStack);
    m_pStack->addWidget(m_pIcons);
    m_pStack->addWidget(m_pDetails);
    m_pIcons->setModel(m_pModel);
    m_pDetails->setModel(m_pModel);
    m_pIcons->setSelectionModel(m_pSelection);
    m_pDetails->setSelectionModel(m_pSelection);
    doc->AddView(this);
}

void CDATFileList::OnUpdate(CView*, long, void*)
{
    m_pModel->Refresh();
}
bool CDATFileList::OnCmdMsg(unsigned, CCmdUI*)
{
    return false;
}
void CDATFileList::SetStyle(int style)
{
    m_nStyle = style & 3;
}
std::vector<int> CDATFileList::SelectedRows() const
{
    return {};
}
void CDATFileList::SelectRows(const std::vector<int>&) {}
int CDATFileList::FirstSelectedRow() const
{
    return -1;
}
QAbstractItemView* CDATFileList::CurrentView() const
{
    return m_pIcons;
}
QMenu* CDATFileList::BuildContextMenu()
{
    return new QMenu(this);
}
void CDATFileList::ShowContextMenu(const QPoint&) {}
void CDATFileList::OnOpen() {}
void CDATFileList::OnSaveAs() {}
void CDATFileList::OnProperties() {}
void CDATFileList::OnCopyTo() {}
void CDATFileList::OnShow() {}
void CDATFileList::OnDoubleClick(int) {}
void CDATFileList::OnItemChanged(int) {}
