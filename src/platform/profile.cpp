#include "platform/profile.h"

#include "platform/hostservices.h"

#include <QChar>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>


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

namespace {

QString FromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool DecodeWithQt(const char* codec, std::string_view bytes, std::string& utf8)
{
    QStringDecoder decoder(codec);
    if (!decoder.isValid())
        return false;
    utf8 = QString(decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())))).toStdString();
    return true;
}

const SHostServices kQtHostServices = {
    [](std::string_view section, std::string_view entry) {
        return CProfile::GetProfileString(FromView(section), FromView(entry)).toStdString();
    },
    [](std::string_view section, std::string_view entry, const std::string& value) {
        CProfile::WriteProfileString(FromView(section), FromView(entry), QString::fromStdString(value));
    },
    [] { return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString(); },
    &DecodeWithQt,
    [](char32_t c) { return QChar::isLetter(c); },
};

} // namespace

// Whatever links this library has the services from the start: the build
// names this symbol to the linker so that this file is always linked in.
extern "C" const bool g_bDravikQtHostServices = (SetHostServices(&kQtHostServices), true);
