#include "views/fileviewer.h"

#include "archive/datfiledoc.h"
#include "platform/cdc.h"
#include "platform/codepage.h"
#include "platform/ui/qtdc.h"
#include "platform/ui/guarded.h"

#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kBandHeight = 40;
constexpr std::uint32_t kBandColor = RGB(160, 200, 255);

} // namespace

CDATFileViewer::CDATFileViewer(CDATFileDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(doc)
{
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    doc->AddView(this);
}

void CDATFileViewer::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
    SetScrollSizes(100, 100);
}

void CDATFileViewer::OnUpdate(CView*, long, void*)
{
    m_pItem = nullptr;
    viewport()->update();
}

void CDATFileViewer::SetItem(CDATItem* item)
{
    // Autoshow reports the same row more than once: that must cost nothing.
    if (item == m_pItem)
        return;
    // Disabling would hand the focus on; keep it here.
    const bool hadFocus = hasFocus() || viewport()->hasFocus();
    setEnabled(false);
    SetScrollSizes(0, 0);
    m_pItem = item;
    setEnabled(true);
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

void CDATFileViewer::SetScrollSizes(int cx, int cy)
{
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    if (cx == m_nScrollWidth && cy == m_nScrollHeight)
        return;
    m_nScrollWidth = cx;
    m_nScrollHeight = cy;
    // Handlers set the extent while they paint: moving the scroll bars then
    // would resize the viewport under the painter, so that waits for the paint's end.
    if (m_bPainting) {
        if (!m_bScrollBarsPending) {
            m_bScrollBarsPending = true;
            QMetaObject::invokeMethod(this, [this] {
                m_bScrollBarsPending = false;
                UpdateScrollBars();
            }, Qt::QueuedConnection);
        }
        return;
    }
    UpdateScrollBars();
}

RECT CDATFileViewer::GetClientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}

void CDATFileViewer::OnDraw(CDC& dc)
{
    const RECT client = GetClientRect();
    RECT band = client;
    band.bottom = kBandHeight;
    dc.FillSolidRect(band, kBandColor);
    dc.MoveTo(client.left, kBandHeight);
    dc.LineTo(client.right, kBandHeight);
    if (!m_pItem)
        return;
    dc.DrawItemIcon(m_pItem->GetImage(), client.left + 2, client.top + 2, true);
    dc.SetBkModeTransparent(true);
    dc.TextOut(client.left + 40, 10, DecodeToUtf8(m_pItem->GetName()));
    RECT content = client;
    content.top += kBandHeight;
    m_pItem->Draw(&dc, &content);
}

void CDATFileViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    CPaintScope scope;
    m_bPainting = true;
    GuardedCall("", [&] {
        // Logical coordinates are those of the scrolled area.
        painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
        CQtDC dc(painter, this);
        OnDraw(dc);
    });
    m_bPainting = false;
}

void CDATFileViewer::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CDATFileViewer::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CDATFileViewer::UpdateScrollBars()
{
    // A bar that appears narrows the viewport for the other: read its size anew
    // each time, and do the horizontal bar again after the vertical one.
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, m_nScrollWidth - viewport()->width()));
    v->setRange(0, std::max(0, m_nScrollHeight - viewport()->height()));
    h->setRange(0, std::max(0, m_nScrollWidth - viewport()->width()));
    h->setPageStep(std::max(viewport()->width(), 1));
    v->setPageStep(std::max(viewport()->height(), 1));
}
