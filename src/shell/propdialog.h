#pragma once
// Read-only properties of one item: icon, name, type, path in the archive,
// sizes, offset, cache file.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class CDATFileDoc;
class CDATItem;

class CFilePropDialog : public QDialog
{
    Q_OBJECT
public:
    // doc: the document the item belongs to; a set's entries list their copies.
    CFilePropDialog(QWidget* parent, CDATItem* item, const CDATFileDoc* doc = nullptr);

    // The texts shown (UTF-8 decoded), for tests.
    QString m_strCache, m_strPath, m_strOffset, m_strPacked, m_strSize, m_strName, m_strType;
    int m_nImage = 0;
    // Every copy of a set's entry, the winning one first: source, size,
    // packed size, offset (empty for a loose file).
    std::vector<QStringList> m_copies;

    // The path of an item inside its archive: folders below the root, each
    // followed by a backslash, then the name (raw archive bytes).
    static std::string ArchivePath(const CDATItem& item);
};
