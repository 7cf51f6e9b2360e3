#pragma once
// The game's colour cycling: water, fire, screens and an alarm light are
// palette entries 229 to 254 whose colours the game rotates on a clock.
#include "formats/pal.h"

#include <cstddef>
#include <cstdint>

constexpr int kCycleFirstIndex = 229;
constexpr int kCycleLastIndex = 254;

// The cycling group (0 to 5, the alarm last) an entry belongs to; -1 for none.
int CycleGroupOf(int index);

// Whether a palette leaves entries 229 to 254 to the clock: all of them
// unmapped (a component above 63), as in the game palette.
bool PaletteCycles(const Palette768& palette);

// The cycling groups (bit per group) that pixels use; 0 costs nothing later.
unsigned CycleGroupsUsed(const std::uint8_t* pixels, std::size_t count);

// Entries of the groups in mask as the game shows them elapsedMs after
// cycling began, as 0x00RRGGBB into colors[229..254].
void CycleColorsAt(std::int64_t elapsedMs, unsigned groups, std::uint32_t* colors256);

// The first time after elapsedMs at which a group in mask changes; -1 for none.
std::int64_t NextCycleChange(std::int64_t elapsedMs, unsigned groups);
