#include "views/listingmodel.h"

#include "archive/datfiledoc.h"

CListingModel::CListingModel(CDATFileDoc* doc, QObject* parent) : QAbstractTableModel(parent), m_pDoc(doc) {}

void CListingModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

int CListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pDoc->IsLoaded() ? 0 : int(m_pDoc->m_listing.size());
}

int CListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant CListingModel::data(const QModelIndex&, int) const
{
    return {};
}

QVariant CListingModel::headerData(int, Qt::Orientation, int) const
{
    return {};
}
