#pragma once
// The lower right pane: the shown item's band with icon and name, and what
// its type draws below.
#include "archive/document.h"
#include "platform/cwnd.h"
#include "platform/ui/cmdtarget.h"

#include <QAbstractScrollArea>

class CDATFileDoc;
class CDATItem;
class CDC;

class CDATFileViewer : public QAbstractScrollArea, public CView, public CWnd, public CCmdTarget
{
    Q_OBJECT
public:
    explicit CDATFileViewer(CDATFileDoc* doc, QWidget* parent = nullptr);

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint, void* hintObject) override;
    bool OnCmdMsg(unsigned, CCmdUI*) override { return false; }

    // null shows nothing; the item already shown costs nothing.
    void SetItem(CDATItem* item);
    CDATItem* GetItem() const { return m_pItem; }

    void SetScrollSizes(int cx, int cy) override;
    bool IsScrollView() const override { return true; }
    RECT GetClientRect() const override;
    int ScrollWidth() const { return m_nScrollWidth; }
    int ScrollHeight() const { return m_nScrollHeight; }

    // Paints the layout into dc, scrolled (also used by tests).
    void OnDraw(CDC& dc);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();

    CDATFileDoc* m_pDoc;
    CDATItem* m_pItem = nullptr;
    int m_nScrollWidth = 0;
    int m_nScrollHeight = 0;
    bool m_bPainting = false;
    bool m_bScrollBarsPending = false;
};
