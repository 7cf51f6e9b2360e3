#include "cli/casefold.h"

namespace {

// Blocks where capital and small letters alternate, the capital first on
// even or on odd code points.
struct SPairs
{
    char32_t m_first, m_last;
    bool m_bUpperOdd;
};
constexpr SPairs kPairs[] = {
    {0x0100, 0x012F, false}, {0x0132, 0x0137, false}, {0x0139, 0x0148, true},  {0x014A, 0x0177, false},
    {0x0179, 0x017E, true},  {0x03D8, 0x03EF, false}, {0x0460, 0x0481, false}, {0x048A, 0x04BF, false},
    {0x04C1, 0x04CE, true},  {0x04D0, 0x052F, false},
};

// Blocks whose small letters lie a fixed distance above their capitals.
struct SShift
{
    char32_t m_first, m_last; // the capitals
    char32_t m_nDistance;
    char32_t m_except;
};
constexpr SShift kShifts[] = {
    {U'A', U'Z', 0x20, 0},       {0x00C0, 0x00DE, 0x20, 0x00D7}, {0x0391, 0x03AB, 0x20, 0x03A2},
    {0x0400, 0x040F, 0x50, 0},   {0x0410, 0x042F, 0x20, 0},      {0x0531, 0x0556, 0x30, 0},
};

} // namespace

char32_t ToLowerCase(char32_t c)
{
    for (const SShift& s : kShifts)
        if (c >= s.m_first && c <= s.m_last && c != s.m_except)
            return c + s.m_nDistance;
    for (const SPairs& p : kPairs)
        if (c >= p.m_first && c <= p.m_last && bool(c & 1) == p.m_bUpperOdd)
            return c + 1;
    switch (c) {
    case 0x0178: return 0x00FF;
    case 0x0386: return 0x03AC;
    case 0x04C0: return 0x04CF;
    case 0x2126: return 0x03C9;
    case 0x212A: return U'k';
    case 0x212B: return 0x00E5;
    default: return c;
    }
}

char32_t ToUpperCase(char32_t c)
{
    for (const SShift& s : kShifts)
        if (c >= s.m_first + s.m_nDistance && c <= s.m_last + s.m_nDistance && c != s.m_except + s.m_nDistance)
            return c - s.m_nDistance;
    for (const SPairs& p : kPairs)
        if (c >= p.m_first && c <= p.m_last && bool(c & 1) != p.m_bUpperOdd)
            return c - 1;
    switch (c) {
    case 0x00B5: return 0x039C;
    case 0x00FF: return 0x0178;
    case 0x0131: return U'I';
    case 0x017F: return U'S';
    case 0x03AC: return 0x0386;
    case 0x03C2: return 0x03A3;
    case 0x04CF: return 0x04C0;
    default: return c;
    }
}

char32_t FoldCase(char32_t c)
{
    switch (c) {
    case 0x00B5: return 0x03BC;
    case 0x017F: return U's';
    case 0x03C2: return 0x03C3;
    default: return ToLowerCase(c);
    }
}
