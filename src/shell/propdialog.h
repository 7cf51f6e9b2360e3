#pragma once
// Read-only properties of one item: icon, name, type, path in the archive,
// sizes, offset, cache file.
#include <QDialog>
#include <QString>

class CDATItem;

class CFilePropDialog : public QDialog
{
    Q_OBJECT
public:
    CFilePropDialog(QWidget* parent, CDATItem* item);

    // The texts shown (UTF-8 decoded), for tests.
    QString m_strCache, m_strPath, m_strOffset, m_strPacked, m_strSize, m_strName, m_strType;
    int m_nImage = 0;
};
