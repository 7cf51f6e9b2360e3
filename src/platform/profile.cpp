#include "platform/profile.h"

#include <QFileInfo>
#include <QSettings>

const char* const g_szAppTitle = "Ashmoor 2 DAT file browser";


QString CProfile::GetProfileString(const QString& section, const QString& entry, const QString& def)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DravikInc"),
                QString::fromUtf8(g_szAppTitle));
    return s.value(section + QLatin1Char('/') + entry, def).toString();
}

void CProfile::WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DravikInc"),
                QString::fromUtf8(g_szAppTitle));
    s.setValue(section + QLatin1Char('/') + entry, value);
    s.sync();
}

QStringList CProfile::GetRecentFiles()
{
    QStringList list;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        QString path = GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i));
        if (!path.isEmpty())
            list << path;
    }
    return list;
}

void CProfile::AddRecentFile(const QString& path)
{
    QStringList list = GetRecentFiles();
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kRecentFileCount)
        list.removeLast();
    for (int i = 0; i < kRecentFileCount; ++i)
        WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i + 1),
                           i < list.size() ? list[i] : QString());
}

QString CProfile::GetLastFolder(const QString& dialog)
{
    const QString folder = GetProfileString(QStringLiteral("Folders"), dialog);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void CProfile::SetLastFolder(const QString& dialog, const QString& folder)
{
    WriteProfileString(QStringLiteral("Folders"), dialog, folder);
}
