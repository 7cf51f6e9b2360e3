#pragma once
// The file pane's rows: the document's listing, asked per row and column;
// nothing is held or cached here.
#include <QAbstractTableModel>

class CDATFileDoc;

class CListingModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CListingModel(CDATFileDoc* doc, QObject* parent = nullptr);

    // The listing changed: rows are asked anew.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CDATFileDoc* m_pDoc;
};
