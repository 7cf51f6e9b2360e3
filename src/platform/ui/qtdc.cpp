#include "platform/ui/qtdc.h"

#include "platform/bitmap.h"
#include "platform/ui/itemicons.h"

#include <QFontDatabase>
#include <QImage>
#include <memory>

#include <QPainter>
#include <cstring>

namespace {

QColor ToQColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QRect ToQRect(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

int CQtDC::DrawText(std::string_view text, RECT& rect, unsigned format)
{
    int flags = 0;
    flags |= (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : (format & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
    }
    if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    const QString s = ToQString(text);
    if (format & DT_CALCRECT) {
        QRect limit = ToQRect(rect);
        if (!(format & DT_WORDBREAK))
            limit.setWidth(1 << 20);
        limit.setHeight(1 << 24);
        QRect need = m_painter.fontMetrics().boundingRect(limit, flags, s);
        rect.right = rect.left + need.width();
        rect.bottom = rect.top + need.height();
        return need.height();
    }
    QRect used;
    m_painter.drawText(ToQRect(rect), flags, s, &used);
    return used.height();
}

void CQtDC::TextOut(int x, int y, std::string_view text)
{
    m_painter.drawText(QRect(x, y, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       ToQString(text));
}

void CQtDC::SetBkModeTransparent(bool transparent)
{
    m_painter.setBackgroundMode(transparent ? Qt::TransparentMode : Qt::OpaqueMode);
}

void CQtDC::FillSolidRect(const RECT& rect, std::uint32_t color)
{
    m_painter.fillRect(ToQRect(rect), ToQColor(color));
}

void CQtDC::FrameRect(const RECT& rect, std::uint32_t color)
{
    const QColor c = ToQColor(color);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return;
    m_painter.fillRect(QRect(rect.left, rect.top, w, 1), c);
    m_painter.fillRect(QRect(rect.left, rect.bottom - 1, w, 1), c);
    m_painter.fillRect(QRect(rect.left, rect.top, 1, h), c);
    m_painter.fillRect(QRect(rect.right - 1, rect.top, 1, h), c);
}

void CQtDC::MoveTo(int x, int y)
{
    m_nX = x;
    m_nY = y;
}

void CQtDC::LineTo(int x, int y)
{
    m_painter.drawLine(m_nX, m_nY, x, y);
    m_nX = x;
    m_nY = y;
}

void CQtDC::DrawItemIcon(int image, int x, int y, bool large)
{
    const QPixmap& pixmap = CItemIcons::Instance().Pixmap(image, large);
    if (!pixmap.isNull())
        m_painter.drawPixmap(x, y, pixmap);
}

void CQtDC::DrawBitmap(const SBitmap& bitmap, const RECT& dst, const RECT& src)
{
    if (bitmap.IsEmpty())
        return;
    if (!bitmap.m_pPrepared) {
        // Qt's own copy: the bitmap may be copied or moved after this.
        auto image = std::make_shared<QImage>(
            QImage(bitmap.m_bits.data(), bitmap.m_nWidth, bitmap.m_nHeight, bitmap.m_nStride,
                   bitmap.m_bIndexed ? QImage::Format_Indexed8 : QImage::Format_RGB32)
                .copy());
        if (bitmap.m_bIndexed) {
            QList<QRgb> table;
            for (std::uint32_t c : bitmap.m_palette)
                table << (0xFF000000u | c);
            table.resize(256, 0xFF000000u);
            if (bitmap.m_bKeyZero)
                table[0] = 0;
            image->setColorTable(table);
            // Converted once here, so that each paint is a plain copy.
            *image = image->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        bitmap.m_pPrepared = image;
    }
    const auto* image = static_cast<const QImage*>(bitmap.m_pPrepared.get());
    const bool smooth = m_painter.testRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(ToQRect(dst), *image, ToQRect(src));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

RECT CQtDC::GetClipBox() const
{
    const QPaintDevice* device = m_painter.device();
    const QRect r = m_painter.worldTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

void CQtDC::SelectFixedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (m_painter.font().pointSizeF() > 0)
        font.setPointSizeF(m_painter.font().pointSizeF());
    m_painter.setFont(font);
}
