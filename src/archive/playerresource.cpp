#include "archive/playerresource.h"

#include "platform/exceptions.h"

#include <cstring>

namespace {

PlayerResourceProvider& Provider()
{
    static PlayerResourceProvider provider;
    return provider;
}

std::string_view Resource()
{
    const PlayerResourceProvider& provider = Provider();
    std::optional<std::string_view> bytes = provider ? provider() : std::nullopt;
    if (!bytes)
        throw CResourceException("the movie player (LB #176)");
    return *bytes;
}

} // namespace

void SetPlayerResourceProvider(PlayerResourceProvider provider)
{
    Provider() = std::move(provider);
}

std::size_t GetPlayerResourceSize()
{
    return Resource().size();
}

std::size_t CopyPlayerResource(void* dest)
{
    std::string_view bytes = Resource();
    if (!bytes.empty())
        std::memcpy(dest, bytes.data(), bytes.size());
    return bytes.size();
}
