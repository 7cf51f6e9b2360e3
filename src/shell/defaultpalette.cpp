#include "shell/defaultpalette.h"

#include "archive/datfiledoc.h"
#include "platform/profile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString PaletteFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/palettes");
}

} // namespace

std::string LoadDefaultPalettePath()
{
    return CProfile::GetProfileString(QStringLiteral("Settings"), QStringLiteral("DefaultPalette")).toStdString();
}

void StoreDefaultPalettePath(const std::string& path)
{
    CProfile::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("DefaultPalette"),
                                 QString::fromStdString(path));
}

void RememberArchivePalette(const CDATFileDoc& doc)
{
    if (!doc.m_pPaletteEntry || doc.ArchivePath().empty())
        return;
    const QString name = QFileInfo(QString::fromStdString(doc.ArchivePath())).fileName() + QStringLiteral(" color.pal");
    const QString path = PaletteFolder() + QLatin1Char('/') + name;
    if (QFileInfo(path).size() == qint64(doc.m_pPaletteEntry->m_nRealSize))
        return;
    QDir().mkpath(PaletteFolder());
    // A damaged palette entry is simply not remembered.
    try {
        SaveEntryTo(doc.Context(), *doc.m_pPaletteEntry, path.toStdString());
    } catch (const std::exception&) {
    }
}

QStringList RememberedPalettes()
{
    QStringList paths;
    const QFileInfoList files =
        QDir(PaletteFolder()).entryInfoList({QStringLiteral("*.pal")}, QDir::Files, QDir::Time);
    for (const QFileInfo& f : files)
        paths << f.absoluteFilePath();
    return paths;
}
