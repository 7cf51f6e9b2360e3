#include "formats/palcycle.h"

#include <algorithm>
#include <array>

namespace {

struct SGroup
{
    int m_nFirst;
    int m_nCount;
    int m_nPeriodMs;
    std::array<std::uint32_t, 6> m_colors; // 8-bit source values; the game keeps 6 bits
};

// The alarm light (254) is a ramp, not a rotation: it comes last.
constexpr std::array<SGroup, 5> kGroups{{
    {229, 4, 200, {0x006C00, 0x0B7307, 0x1B7B0F, 0x2B831B}},
    {233, 5, 100, {0x6B6B6F, 0x63677F, 0x576B8F, 0x0093A3, 0x6BBBFF}},
    {238, 5, 200, {0xFF0000, 0xD70000, 0x932B0B, 0xFF7700, 0xFF3B00}},
    {243, 5, 142, {0x470000, 0x7B0000, 0xB30000, 0x7B0000, 0x470000}},
    {248, 6, 200, {0x533F2B, 0x4B3B2B, 0x43372B, 0x3F3327, 0x372F23, 0x332B23}},
}};
constexpr int kAlarmGroup = 5;
constexpr int kAlarmPeriodMs = 33;

int GroupOf(int index)
{
    if (index == kCycleLastIndex)
        return kAlarmGroup;
    for (int g = 0; g < int(kGroups.size()); ++g)
        if (index >= kGroups[g].m_nFirst && index < kGroups[g].m_nFirst + kGroups[g].m_nCount)
            return g;
    return -1;
}

int PeriodOf(int group)
{
    return group == kAlarmGroup ? kAlarmPeriodMs : kGroups[group].m_nPeriodMs;
}

} // namespace

int CycleGroupOf(int index)
{
    return GroupOf(index);
}

bool PaletteCycles(const Palette768& palette)
{
    for (int i = kCycleFirstIndex; i <= kCycleLastIndex; ++i)
        if (std::max({palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]}) <= 63)
            return false;
    return true;
}

unsigned CycleGroupsUsed(const std::uint8_t* pixels, std::size_t count)
{
    std::array<bool, 256> seen{};
    for (std::size_t i = 0; i < count; ++i)
        seen[pixels[i]] = true;
    unsigned groups = 0;
    for (int i = kCycleFirstIndex; i <= kCycleLastIndex; ++i)
        if (seen[std::size_t(i)])
            groups |= 1u << GroupOf(i);
    return groups;
}

void CycleColorsAt(std::int64_t elapsedMs, unsigned groups, std::uint32_t* colors)
{
    elapsedMs = std::max<std::int64_t>(elapsedMs, 0);
    // The first step comes at once; each colour then moves up one entry a step.
    for (int g = 0; g < int(kGroups.size()); ++g) {
        if (!(groups & (1u << g)))
            continue;
        const SGroup& group = kGroups[g];
        const std::int64_t step = elapsedMs / group.m_nPeriodMs;
        for (int j = 0; j < group.m_nCount; ++j)
            colors[group.m_nFirst + j] = group.m_colors[std::size_t(((j - step) % group.m_nCount + group.m_nCount) %
                                                                    group.m_nCount)] & 0xFCFCFC;
    }
    if (groups & (1u << kAlarmGroup)) {
        // Red 4, 8 ... 60 and back to 0 in steps of 4 (six bits), thirty steps a cycle.
        const int m = int((elapsedMs / kAlarmPeriodMs + 1) % 30);
        const std::uint32_t red = std::uint32_t(m <= 15 ? 4 * m : 4 * (30 - m)) << 2;
        colors[kCycleLastIndex] = red << 16;
    }
}

std::int64_t NextCycleChange(std::int64_t elapsedMs, unsigned groups)
{
    std::int64_t next = -1;
    for (int g = 0; g <= kAlarmGroup; ++g) {
        if (!(groups & (1u << g)))
            continue;
        const std::int64_t period = PeriodOf(g);
        const std::int64_t at = (std::max<std::int64_t>(elapsedMs, 0) / period + 1) * period;
        next = next < 0 ? at : std::min(next, at);
    }
    return next;
}
