#pragma once
// The file pane's rows: the document's listing, asked per row and column;
// nothing is held or cached here.
#include <QAbstractTableModel>
#include <QSize>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class CDATFileDoc;
class CDATItem;
class CDATInternalFile;
class CThumbnailCache;

class CListingModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The folder column shows only where a listing mixes folders (types, matches);
    // the source column only for a set of sources, the status column only
    // while comparing.
    enum EColumn {
        kColName, kColType, kColSize, kColPacked, kColOffset, kColFolder, kColSource, kColStatus, kColumnCount
    };

    explicit CListingModel(CDATFileDoc* doc, QObject* parent = nullptr);

    // The listing changed: rows are asked anew.
    void Refresh();

    // 32-pixel icons for the icon style, 16 for the others.
    void SetLargeIcons(bool large);
    bool LargeIcons() const { return m_bLargeIcons; }
    // Pictures show their thumbnails in place of their icons (large icons only).
    void SetThumbnails(bool on);
    bool Thumbnails() const { return m_bThumbnails; }
    bool ShowsThumbnails() const { return m_bThumbnails && m_bLargeIcons; }
    CThumbnailCache* ThumbnailCache() const { return m_pThumbnails; }
    // The one size of every name cell in the list styles (uniform item
    // sizes take the first row's); empty: the delegate's own.
    void SetCellSize(const QSize& size);

    // What the source or status column shows for item (UTF-8), for sorting.
    std::string ColumnText(const CDATItem& item, int column) const
    {
        return (column == kColSource ? SourceText(item) : StatusText(item)).toStdString();
    }

    // The listing's entry of a row, or null outside it.
    CDATItem* ItemAt(int row) const;

    // Without the base's checks through virtual calls: a view asks for every
    // row of a 200,000-row listing after each reset.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        return !parent.isValid() && row >= 0 && column >= 0 && column < kColumnCount &&
                       std::size_t(row) < ListingSize()
                   ? createIndex(row, column)
                   : QModelIndex();
    }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows dragged out become what source makes of them (null: no drag);
    // without a source nothing is dragged.
    using MimeSource = std::function<QMimeData*(const std::vector<int>& rows)>;
    void SetMimeSource(MimeSource source) { m_mimeSource = std::move(source); }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    std::size_t ListingSize() const;
    QString SourceText(const CDATItem& item) const;
    QString StatusText(const CDATItem& item) const;
    // The listing's pictures handed to the thumbnail workers, or nothing.
    void RestartThumbnails();
    QVariant ThumbnailOrIcon(const CDATItem& item) const;

    CDATFileDoc* m_pDoc;
    bool m_bLargeIcons = true;
    bool m_bThumbnails = false;
    CThumbnailCache* m_pThumbnails;
    std::unordered_map<const CDATInternalFile*, int> m_thumbnailRows;
    // The default palette the cached thumbnails were coloured by.
    std::string m_strThumbnailPalette;
    // The entries they were made of.
    std::pair<const void*, std::size_t> m_thumbnailFiles{};
    QSize m_cellSize;
    MimeSource m_mimeSource;
};
