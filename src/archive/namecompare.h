#pragma once
// The one name comparison of the system: ASCII A-Z fold to a-z, every other
// byte compares as an unsigned value, a prefix sorts first. Names themselves
// are never changed.
#include <string_view>

inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int CompareNames(std::string_view a, std::string_view b);
bool EqualNames(std::string_view a, std::string_view b);

struct NameLess
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareNames(a, b) < 0; }
};
