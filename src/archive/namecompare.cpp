#include "archive/namecompare.h"

#include <cstdint>
#include <cstring>

namespace {

// Eight bytes at a time: the common run of identical bytes is skipped without
// folding each one.
inline std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Bytes before the first position where a and b differ, a multiple of 8 at most n.
inline std::size_t SameWords(const char* a, const char* b, std::size_t n)
{
    std::size_t i = 0;
    while (i + 8 <= n && Load8(a + i) == Load8(b + i))
        i += 8;
    return i;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b)
{
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = SameWords(a.data(), b.data(), n); i < n; ++i) {
        unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool EqualNames(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = SameWords(a.data(), b.data(), a.size()); i < a.size(); ++i)
        if (a[i] != b[i] && FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
