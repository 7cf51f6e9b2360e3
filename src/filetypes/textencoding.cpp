#include "filetypes/textencoding.h"

#include "platform/hostservices.h"

#include <map>
#include <optional>

namespace {

ETextEncoding g_current = ETextEncoding::Automatic;
unsigned g_generation = 0;
// What the profile holds for each archive, once read; nothing: the global choice.
std::map<std::string, std::optional<ETextEncoding>> g_byArchive;

constexpr std::string_view kArchiveSection = "TextEncodingByArchive";

// The path percent-encoded (all but letters, digits and "-._~"), so that no
// profile syntax can come from a file name.
std::string ArchiveKey(const std::string& archivePath)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string key;
    for (unsigned char c : archivePath) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            key += char(c);
        } else {
            key += '%';
            key += kHex[c >> 4];
            key += kHex[c & 15];
        }
    }
    return key;
}

} // namespace

ETextEncoding CurrentTextEncoding(const std::string& archive)
{
    if (archive.empty())
        return g_current;
    auto it = g_byArchive.find(archive);
    if (it == g_byArchive.end()) {
        const std::string key = ReadProfileString(kArchiveSection, ArchiveKey(archive));
        std::optional<ETextEncoding> own;
        if (!key.empty())
            own = TextEncodingFromKey(key);
        it = g_byArchive.emplace(archive, own).first;
    }
    return it->second.value_or(g_current);
}

void ChooseTextEncoding(ETextEncoding encoding, const std::string& archive)
{
    if (encoding == CurrentTextEncoding(archive))
        return;
    const std::string key = TextEncodingInfo(encoding).m_szKey;
    if (archive.empty()) {
        WriteProfileString("Settings", "TextEncoding", key);
        SetCurrentTextEncoding(encoding);
        return;
    }
    WriteProfileString(kArchiveSection, ArchiveKey(archive), key);
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
