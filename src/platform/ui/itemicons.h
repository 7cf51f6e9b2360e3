#pragma once
// The item icons, 32 and 16 pixels, in the index order every pane uses
// (EItemImage): one index means the same picture in both sizes.
#include <QIcon>
#include <QPixmap>
#include <vector>

// Makes the program's pictures (icons, toolbar, about box) reachable as ":/...".
void RegisterResources();

class CItemIcons
{
public:
    static CItemIcons& Instance();
    static constexpr int kCount = 11;

    const QPixmap& Pixmap(int image, bool large) const;
    QIcon Icon(int image) const;

private:
    CItemIcons();
    std::vector<QPixmap> m_large, m_small;
    QPixmap m_none;
};
