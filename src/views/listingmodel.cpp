#include "views/listingmodel.h"

#include "archive/datfiledoc.h"
#include "views/listingsort.h"
#include "platform/codepage.h"
#include "platform/ui/itemicons.h"

#include <algorithm>

namespace {

QString FromRaw(const std::string& raw)
{
    const std::u16string text = DecodeToUtf16(raw);
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

} // namespace

CListingModel::CListingModel(CDATFileDoc* doc, QObject* parent) : QAbstractTableModel(parent), m_pDoc(doc) {}

void CListingModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

void CListingModel::SetLargeIcons(bool large)
{
    if (m_bLargeIcons == large)
        return;
    m_bLargeIcons = large;
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::DecorationRole});
}

void CListingModel::SetCellSize(const QSize& size)
{
    if (m_cellSize == size)
        return;
    m_cellSize = size;
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::SizeHintRole});
}

CDATItem* CListingModel::ItemAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_pDoc->m_listing[std::size_t(row)];
}

int CListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pDoc->IsLoaded() ? 0 : int(m_pDoc->m_listing.size());
}

int CListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CListingModel::data(const QModelIndex& index, int role) const
{
    const CDATItem* item = index.isValid() ? ItemAt(index.row()) : nullptr;
    if (!item)
        return {};
    switch (role) {
    case Qt::ToolTipRole:
        // Icon styles cut long names; the tip shows them whole.
        return index.column() == kColName ? FromRaw(item->GetName()) : QVariant();
    case Qt::DisplayRole: {
        // Texts are formatted at every request: the listing may hold 100,000 rows.
        char buffer[260];
        switch (index.column()) {
        case kColName: return FromRaw(item->GetName());
        case kColType: item->GetTypeText(buffer, int(sizeof buffer)); break;
        case kColSize: item->GetSizeText(buffer, int(sizeof buffer)); break;
        case kColPacked: item->GetPackedSizeText(buffer, int(sizeof buffer)); break;
        case kColOffset: item->GetOffsetText(buffer, int(sizeof buffer)); break;
        case kColFolder: return FromRaw(FolderPathOf(*item));
        default: return {};
        }
        return FromRaw(buffer);
    }
    case Qt::DecorationRole:
        if (index.column() != kColName)
            return {};
        return CItemIcons::Instance().Pixmap(item->GetImage(), m_bLargeIcons);
    case Qt::SizeHintRole:
        if (index.column() != kColName || !m_cellSize.isValid())
            return {};
        return m_cellSize;
    default:
        return {};
    }
}

QVariant CListingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kColName: return tr("Файл");
    case kColType: return tr("Тип");
    case kColSize: return tr("Размер");
    case kColPacked: return tr("Сжатый");
    case kColOffset: return tr("Смещение");
    case kColFolder: return tr("Папка");
    default: return {};
    }
}

Qt::ItemFlags CListingModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags drag = m_mimeSource ? Qt::ItemIsDragEnabled : Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | drag;
}

QStringList CListingModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CListingModel::mimeData(const QModelIndexList& indexes) const
{
    if (!m_mimeSource)
        return nullptr;
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows.empty() ? nullptr : m_mimeSource(rows);
}
