#pragma once
// The carried movie player, the program's resource "LB" number 176. The
// application installs the real one; tests install a small fake.
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

// Returns the resource's bytes, or nothing when it is missing.
using PlayerResourceProvider = std::function<std::optional<std::string_view>()>;
void SetPlayerResourceProvider(PlayerResourceProvider provider);

// Raise CResourceException when the resource is missing.
std::size_t GetPlayerResourceSize();
std::size_t CopyPlayerResource(void* dest);
