#include "platform/hostservices.h"

#include <cstdlib>

namespace {

const SHostServices* g_pHostServices = nullptr;

} // namespace

const SHostServices* HostServices()
{
    return g_pHostServices;
}

void SetHostServices(const SHostServices* services)
{
    g_pHostServices = services;
}

std::string ReadProfileString(std::string_view section, std::string_view entry)
{
    return g_pHostServices ? g_pHostServices->m_pfnReadProfile(section, entry) : std::string();
}

void WriteProfileString(std::string_view section, std::string_view entry, const std::string& value)
{
    if (g_pHostServices)
        g_pHostServices->m_pfnWriteProfile(section, entry, value);
}

std::string UserCacheFolder()
{
    if (g_pHostServices)
        return g_pHostServices->m_pfnUserCacheFolder();
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.cache";
}
