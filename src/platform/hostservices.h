#pragma once
// What the code below the window gets from Qt alone: the per-user profile,
// the per-user cache folder, text codecs beyond the code pages and letter
// classes. The Qt library installs them (platform/profile.cpp); the command
// line runs without: no profile, the XDG cache folder, and code pages only.
#include <string>
#include <string_view>

struct SHostServices
{
    std::string (*m_pfnReadProfile)(std::string_view section, std::string_view entry);
    void (*m_pfnWriteProfile)(std::string_view section, std::string_view entry, const std::string& value);
    std::string (*m_pfnUserCacheFolder)();
    // bytes in the named codec (an ICU name) to UTF-8; false for an unknown codec.
    bool (*m_pfnDecode)(const char* codec, std::string_view bytes, std::string& utf8);
    bool (*m_pfnIsLetter)(char32_t c);
};

// Null until installed.
const SHostServices* HostServices();
void SetHostServices(const SHostServices* services);

// The profile's string, "" without a profile.
std::string ReadProfileString(std::string_view section, std::string_view entry);
// Stored in the profile; nothing happens without one.
void WriteProfileString(std::string_view section, std::string_view entry, const std::string& value);
// The per-user cache location, without a trailing '/'.
std::string UserCacheFolder();
