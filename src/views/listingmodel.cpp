#include "views/listingmodel.h"

#include "archive/datfiledoc.h"
#include "archive/sourcestack.h"
#include "views/listingsort.h"
#include "views/thumbnails.h"
#include "platform/codepage.h"
#include "platform/ui/itemicons.h"

#include <QPainter>
#include <algorithm>

namespace {

QString FromRaw(const std::string& raw)
{
    const std::u16string text = DecodeToUtf16(raw);
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// A type icon in the middle of a thumbnail's cell, so that every cell lines
// up whether its thumbnail is there yet or not.
const QPixmap& PaddedIcon(int image)
{
    static std::vector<QPixmap> padded(CItemIcons::kCount + 1);
    QPixmap& cell = padded[std::size_t(std::clamp(image, 0, CItemIcons::kCount))];
    if (cell.isNull()) {
        const int side = CThumbnailCache::kSide;
        const QPixmap& icon = CItemIcons::Instance().Pixmap(image, true);
        cell = QPixmap(side, side);
        cell.fill(Qt::transparent);
        QPainter painter(&cell);
        painter.drawPixmap((side - icon.width()) / 2, (side - icon.height()) / 2, icon);
    }
    return cell;
}

} // namespace

CListingModel::CListingModel(CDATFileDoc* doc, QObject* parent)
    : QAbstractTableModel(parent), m_pDoc(doc), m_pThumbnails(new CThumbnailCache(doc, this))
{
    m_pThumbnails->m_onReady = [this](const std::vector<const CDATInternalFile*>& entries) {
        for (const CDATInternalFile* entry : entries) {
            const auto it = m_thumbnailRows.find(entry);
            if (it != m_thumbnailRows.end())
                emit dataChanged(index(it->second, 0), index(it->second, 0), {Qt::DecorationRole});
        }
    };
}

void CListingModel::Refresh()
{
    beginResetModel();
    endResetModel();
    RestartThumbnails();
}

void CListingModel::SetThumbnails(bool on)
{
    if (m_bThumbnails == on)
        return;
    m_bThumbnails = on;
    RestartThumbnails();
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::DecorationRole});
}

void CListingModel::RestartThumbnails()
{
    m_thumbnailRows.clear();
    // Thumbnails belong to the entries of one archive: a set reopened in
    // place of another brings new entries without an empty moment between.
    const std::pair<const void*, std::size_t> files{m_pDoc->m_files.data(), m_pDoc->m_files.size()};
    if (!m_pDoc->IsLoaded() || m_strThumbnailPalette != m_pDoc->m_strDefaultPalette || files != m_thumbnailFiles) {
        m_pThumbnails->Forget();
        m_strThumbnailPalette = m_pDoc->m_strDefaultPalette;
        m_thumbnailFiles = files;
    }
    if (!ShowsThumbnails() || !m_pDoc->IsLoaded()) {
        m_pThumbnails->Stop();
        return;
    }
    std::vector<const CDATInternalFile*> pictures;
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        if (const auto* file = dynamic_cast<const CDATInternalFile*>(m_pDoc->m_listing[std::size_t(row)])) {
            m_thumbnailRows.emplace(file, row);
            pictures.push_back(file);
        }
    m_pThumbnails->ShowFolder(std::move(pictures));
}

QVariant CListingModel::ThumbnailOrIcon(const CDATItem& item) const
{
    if (const auto* file = dynamic_cast<const CDATInternalFile*>(&item)) {
        const QPixmap thumbnail = m_pThumbnails->Lookup(*file);
        if (!thumbnail.isNull())
            return thumbnail;
    }
    return PaddedIcon(item.GetImage());
}

void CListingModel::SetLargeIcons(bool large)
{
    if (m_bLargeIcons == large)
        return;
    m_bLargeIcons = large;
    RestartThumbnails();
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

std::size_t CListingModel::ListingSize() const
{
    return m_pDoc->IsLoaded() ? m_pDoc->m_listing.size() : 0;
}

int CListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(ListingSize());
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
        case kColOffset:
            // A loose file of a folder source has no offset.
            if (const auto* file = dynamic_cast<const CDATInternalFile*>(item); file && m_pDoc->IsLoose(*file))
                return QString();
            item->GetOffsetText(buffer, int(sizeof buffer));
            break;
        case kColFolder: return FromRaw(FolderPathOf(*item));
        case kColSource: return SourceText(*item);
        case kColStatus: return StatusText(*item);
        default: return {};
        }
        return FromRaw(buffer);
    }
    case Qt::DecorationRole:
        if (index.column() != kColName)
            return {};
        if (ShowsThumbnails())
            return ThumbnailOrIcon(*item);
        return CItemIcons::Instance().Pixmap(item->GetImage(), m_bLargeIcons);
    case Qt::SizeHintRole:
        if (index.column() != kColName || !m_cellSize.isValid())
            return {};
        return m_cellSize;
    default:
        return {};
    }
}

QString CListingModel::SourceText(const CDATItem& item) const
{
    const CSourceStack* stack = m_pDoc->Stack();
    const auto* file = dynamic_cast<const CDATInternalFile*>(&item);
    if (!stack || !file || file < m_pDoc->m_files.data() || file >= m_pDoc->m_files.data() + m_pDoc->m_files.size())
        return {};
    const std::vector<SEntryCopy> copies = stack->Copies(std::size_t(file - m_pDoc->m_files.data()));
    const QString winner = QString::fromStdString(stack->Source(copies.front().m_nSource).Label());
    if (copies.size() == 1)
        return winner;
    // The copies it overrides, latest first: the mark of an overridden entry.
    QStringList under;
    for (std::size_t i = 1; i < copies.size(); ++i)
        under << QString::fromStdString(stack->Source(copies[i].m_nSource).Label());
    return tr("%1 (поверх %2)").arg(winner, under.join(QStringLiteral(", ")));
}

QString CListingModel::StatusText(const CDATItem& item) const
{
    if (!m_pDoc->Comparison() || !dynamic_cast<const CDATInternalFile*>(&item))
        return {};
    switch (m_pDoc->ChangeOf(item)) {
    case EEntryChange::kAdded: return tr("добавлен");
    case EEntryChange::kRemoved: return tr("удалён");
    case EEntryChange::kChanged: return tr("изменён");
    case EEntryChange::kDamaged: return tr("повреждён");
    case EEntryChange::kSame: break;
    }
    return tr("без изменений");
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
    case kColSource: return tr("Источник");
    case kColStatus: return tr("Состояние");
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
