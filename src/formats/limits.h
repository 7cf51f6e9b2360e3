#pragma once
#include <cstdint>

// The largest picture the system ever allocates, in either direction.
constexpr std::uint32_t kMaxPictureSide = 16384;
