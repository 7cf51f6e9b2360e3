#include "views/fileviewer.h"

#include "archive/datfiledoc.h"

CDATFileViewer::CDATFileViewer(CDATFileDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    doc->AddView(this);
}

void CDATFileViewer::OnInitialUpdate() {}
void CDATFileViewer::OnUpdate(CView*, long, void*) {}
void CDATFileViewer::SetItem(CDATItem* item)
{
    m_pItem = item;
}
void CDATFileViewer::SetScrollSizes(int cx, int cy)
{
    m_nScrollWidth = cx;
    m_nScrollHeight = cy;
}
RECT CDATFileViewer::GetClientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}
void CDATFileViewer::OnDraw(CDC&) {}
void CDATFileViewer::paintEvent(QPaintEvent*) {}
void CDATFileViewer::resizeEvent(QResizeEvent*) {}
void CDATFileViewer::scrollContentsBy(int, int) {}
void CDATFileViewer::UpdateScrollBars() {}
