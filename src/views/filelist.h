#pragma once
// The upper right pane: the document's listing in icon, small-icon, list or
// details style (one model, one selection), and the commands on its items.
#include "archive/document.h"
#include "platform/cwnd.h"
#include "platform/ui/cmdtarget.h"

#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CDATFileDoc;
class CDATItem;
class CDATFileViewer;
class CDATFoldersList;
class CListingModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QTreeView;
class QMenu;
class QKeyEvent;
class QLineEdit;
class QMimeData;
class QVBoxLayout;

class CDATFileList : public QWidget, public CView, public CWnd, public CCmdTarget
{
    Q_OBJECT
public:
    // List view styles (the view-type bits).
    enum EStyle { LVS_ICON = 0, LVS_REPORT = 1, LVS_SMALLICON = 2, LVS_LIST = 3 };

    explicit CDATFileList(CDATFileDoc* doc, QWidget* parent = nullptr);

    void OnUpdate(CView* sender, long hint, void* hintObject) override;
    bool OnCmdMsg(unsigned id, CCmdUI* ui) override;

    int GetStyle() const { return m_nStyle; }
    void SetStyle(int style);
    // Thumbnails in place of the pictures' icons, in the large-icon style.
    bool Thumbnails() const;
    void SetThumbnails(bool on);

    // Selected rows, ascending, and how many there are.
    std::vector<int> SelectedRows() const;
    int SelectedCount() const;
    void SelectRows(const std::vector<int>& rows);
    int FirstSelectedRow() const;

    QAbstractItemView* CurrentView() const;
    QTreeView* DetailsView() const { return m_pDetails; }
    QListView* IconView() const { return m_pIcons; }
    CListingModel* Model() const { return m_pModel; }
    // The pop-up menu as it would open now (tests look at it).
    QMenu* BuildContextMenu();
    void ShowContextMenu(const QPoint& globalPos);

    void OnOpen();
    void OnSaveAs();
    void OnProperties();
    void OnCopyTo();
    void OnExtractWithFolders();
    void OnExportPng();
    void OnCopyToClipboard();
    // The selected rows as files for another program (a drag, the clipboard).
    QMimeData* FilesOfRows(const std::vector<int>& rows);
    void OnShow();
    void OnAutoShow();
    void OnDoubleClick(int row);

    // Find: a field above the list; results come from the whole archive.
    void StartFind();
    // Clears the field and lists again what the tree has selected.
    void EndFind();
    bool IsFinding() const;
    QLineEdit* FindField() const { return m_pFind; }
    // Selects a result's folder (its type in the types mode) in the tree, and
    // the result in that listing.
    void GoToResult(int row);
    // Up: ends a search, else selects the tree's parent node.
    bool CanGoUp() const;
    void GoUp();
    // A column header's click: sorted by it, then reversed, then the archive's order.
    void OnHeaderClicked(int column);
    int SortColumn() const { return m_nSortColumn; }

    CDATFileViewer* m_pViewer = nullptr;
    CDATFoldersList* m_pFoldersList = nullptr;
    bool m_bAutoShow = true;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateFindBar(QVBoxLayout* layout);
    bool OnFindCmdMsg(unsigned id, CCmdUI* ui);
    // Looks again shortly for matches still waiting for the folded paths.
    std::function<void()> MatchesReadyNotice();
    // A new listing: sorted as the header says, the folder column where it helps.
    void OnListingChanged();
    void Resort();
    // Enter opens a folder or goes to a result, Esc ends a search.
    bool OnNavigationKey(const QKeyEvent& key, bool inFindField);
    void OnItemChanged(int row);
    void ReportDamaged(const std::vector<std::string>& names, const QString& intro);
    void ShowStatus(const QString& text);
    // The listing's entry of a row; a row outside it is refused.
    CDATItem* ListingItem(int row) const;
    std::vector<std::pair<int, int>> SelectedRanges() const;
    void ApplyStyle();
    // The large-icon style's icon side: thumbnails or type icons.
    int LargeIconSide() const;
    void UpdateCellSizes();
    void SetColumnWidths(int width);

    CDATFileDoc* m_pDoc;
    CListingModel* m_pModel;
    QItemSelectionModel* m_pSelection;
    QStackedWidget* m_pStack;
    QListView* m_pIcons;
    QTreeView* m_pDetails;
    int m_nStyle = LVS_ICON;
    bool m_bColumnsSized = false;
    int m_nListCellWidth = 0;
    QLineEdit* m_pFind = nullptr;
    int m_nSortColumn = -1;
    bool m_bSortDescending = false;
    std::vector<CDATItem*> m_archiveOrder; // the listing before sorting
};
