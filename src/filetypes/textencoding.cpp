#include "filetypes/textencoding.h"

#include "platform/profile.h"

#include <QUrl>
#include <map>
#include <optional>

namespace {

ETextEncoding g_current = ETextEncoding::Automatic;
unsigned g_generation = 0;
// What the profile holds for each archive, once read; nothing: the global choice.
std::map<std::string, std::optional<ETextEncoding>> g_byArchive;

const QString kArchiveSection = QStringLiteral("TextEncodingByArchive");

QString ArchiveKey(const std::string& archivePath)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(archivePath)));
}

} // namespace

ETextEncoding CurrentTextEncoding(const std::string& archive)
{
    if (archive.empty())
        return g_current;
    auto it = g_byArchive.find(archive);
    if (it == g_byArchive.end()) {
        const QString key = CProfile::GetProfileString(kArchiveSection, ArchiveKey(archive));
        std::optional<ETextEncoding> own;
        if (!key.isEmpty())
            own = TextEncodingFromKey(key.toStdString());
        it = g_byArchive.emplace(archive, own).first;
    }
    return it->second.value_or(g_current);
}

void ChooseTextEncoding(ETextEncoding encoding, const std::string& archive)
{
    if (encoding == CurrentTextEncoding(archive))
        return;
    const QString key = QLatin1String(TextEncodingInfo(encoding).m_szKey);
    if (archive.empty()) {
        CProfile::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("TextEncoding"), key);
        SetCurrentTextEncoding(encoding);
        return;
    }
    CProfile::WriteProfileString(kArchiveSection, ArchiveKey(archive), key);
    g_byArchive[archive] = encoding;
    ++g_generation;
}

void SetCurrentTextEncoding(ETextEncoding encoding)
{
    if (encoding != g_current) {
        g_current = encoding;
        ++g_generation;
    }
}

unsigned TextEncodingGeneration()
{
    return g_generation;
}
