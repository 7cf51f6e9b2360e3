#pragma once
// The left pane: the folder or type tree of the document, and the listing of
// the node the user selects.
#include "archive/document.h"
#include "platform/cwnd.h"
#include "platform/ui/cmdtarget.h"
#include "views/treebuild.h"

#include <QTreeView>

class CDATFileDoc;
class CDATFolder;
class CDATItem;
class CFolderTreeModel;

class CDATFoldersList : public QTreeView, public CView, public CWnd, public CCmdTarget
{
    Q_OBJECT
public:
    explicit CDATFoldersList(CDATFileDoc* doc, QWidget* parent = nullptr);
    ~CDATFoldersList() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint, void* hintObject) override;
    bool OnCmdMsg(unsigned, CCmdUI*) override { return false; }

    // Selects, among the children of the selected node, the one of folder
    // (matched by id), which lists that folder.
    void SelectChildFolder(const CDATFolder* folder);

    // Selects the node that lists item: its folder, or its type in the types
    // mode. The listing is made anew even when that node was selected.
    void ShowNodeOf(const CDATItem* item);
    // The selected node's parent.
    bool CanGoUp() const;
    void GoUp();
    // Lists the selected node again (after a search replaced its listing).
    void RelistSelection();
    // Selects a node, its ancestors expanded.
    void SelectNode(int node);

    const CTreeModel& Tree() const;
    CDATFileDoc* Document() const { return m_pDoc; }

    // The model index of a node of Tree(), and the selected node (-1: none).
    QModelIndex IndexOfNode(int node) const;
    int SelectedNode() const;

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void OnSelectionChanged();

    CDATFileDoc* m_pDoc;
    CFolderTreeModel* m_pModel;
};
