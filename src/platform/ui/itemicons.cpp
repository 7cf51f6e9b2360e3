#include "platform/ui/itemicons.h"

#include <QString>

// The resources live in a static library; without a reference from code the
// linker would drop their registration.
void RegisterResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

CItemIcons& CItemIcons::Instance()
{
    static CItemIcons icons;
    return icons;
}

CItemIcons::CItemIcons()
{
    RegisterResources();
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
