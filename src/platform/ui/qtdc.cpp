#include "platform/ui/qtdc.h"

#include "filetypes/dib.h"
#include "platform/ui/itemicons.h"

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

namespace {

// The bitmap as a top-down QImage, built once per load.
std::shared_ptr<QImage> Prepare(const CDib& dib)
{
    const int width = int(dib.Width());
    const int height = int(dib.Height());
    const std::uint16_t bits = dib.BitCount();
    const std::uint32_t stride = dib.Stride();
    const std::uint8_t* rows = dib.Bits().data();
    std::shared_ptr<QImage> image;
    if (bits <= 8) {
        image = std::make_shared<QImage>(width, height, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (std::uint32_t c : dib.Palette())
            table << (0xFF000000u | c);
        while (table.size() < (1 << bits))
            table << 0xFF000000u;
        image->setColorTable(table);
        const int perByte = 8 / bits;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = rows + std::size_t(height - 1 - y) * stride;
            uchar* out = image->scanLine(y);
            if (bits == 8) {
                std::memcpy(out, row, std::size_t(width));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                out[x] = uchar((row[x / perByte] >> shift) & ((1 << bits) - 1));
            }
        }
    } else {
        image = std::make_shared<QImage>(width, height, QImage::Format_RGB32);
        const int step = bits / 8;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = rows + std::size_t(height - 1 - y) * stride;
            auto* out = reinterpret_cast<QRgb*>(image->scanLine(y));
            for (int x = 0; x < width; ++x)
                out[x] = qRgb(row[x * step + 2], row[x * step + 1], row[x * step]);
        }
    }
    return image;
}

} // namespace

void CQtDC::DrawDib(const CDib& dib, const RECT& dst, const RECT& src)
{
    if (dib.IsEmpty() || dib.Width() == 0 || dib.Height() == 0)
        return;
    if (!dib.m_pPrepared)
        dib.m_pPrepared = Prepare(dib);
    const auto* image = static_cast<const QImage*>(dib.m_pPrepared.get());
    const bool smooth = m_painter.testRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(ToQRect(dst), *image, ToQRect(src));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}
