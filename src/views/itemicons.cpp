#include "views/itemicons.h"

#include <QString>

CItemIcons& CItemIcons::Instance()
{
    static CItemIcons icons;
    return icons;
}

CItemIcons::CItemIcons()
{
    for (int i = 0; i < kCount; ++i) {
        m_large.emplace_back(QStringLiteral(":/icons/item%1_32.png").arg(i));
        m_small.emplace_back(QStringLiteral(":/icons/item%1_16.png").arg(i));
    }
}

const QPixmap& CItemIcons::Pixmap(int image, bool large) const
{
    if (image < 0 || image >= kCount)
        return m_none;
    return large ? m_large[std::size_t(image)] : m_small[std::size_t(image)];
}

QIcon CItemIcons::Icon(int image) const
{
    QIcon icon;
    if (image >= 0 && image < kCount) {
        icon.addPixmap(m_small[std::size_t(image)]);
        icon.addPixmap(m_large[std::size_t(image)]);
    }
    return icon;
}
