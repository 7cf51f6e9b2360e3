#include "archive/filenames.h"

#include "platform/codepage.h"

#include <cstdint>
#include <cstdio>

std::string ReplaceExtension(const std::string& path, const std::string& ext)
{
    std::string::size_type slash = path.rfind('/');
    std::string::size_type start = slash == std::string::npos ? 0 : slash + 1;
    std::string::size_type dot = path.rfind('.');
    if (dot != std::string::npos && dot >= start)
        return path.substr(0, dot) + ext;
    return path + ext;
}

std::string EntryNameForDisk(const std::string& rawName)
{
    std::string safe = rawName;
    for (char& c : safe) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/')
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    std::string name = DecodeToUtf8(safe);
    // Keep within the 255 bytes a Linux file name may have: cut at a character
    // boundary and add a hash of the whole name so that long names stay apart.
    constexpr std::size_t kMax = 240;
    if (name.size() > kMax) {
        std::uint32_t hash = 2166136261u;
        for (unsigned char c : rawName)
            hash = (hash ^ c) * 16777619u;
        char tail[16];
        std::snprintf(tail, sizeof tail, "~%08X", hash);
        const std::string::size_type dot = name.rfind('.');
        const std::string ext = dot != std::string::npos && name.size() - dot <= 8 ? name.substr(dot) : std::string();
        std::size_t cut = kMax - ext.size() - 9;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name = name.substr(0, cut) + tail + ext;
    }
    return name;
}

std::string CacheNameForDisk(const std::string& rawName)
{
    std::string name = EntryNameForDisk(rawName);
    // Names the mapping folded together ("a/b" and "a_b"; "", "." and "..")
    // get a hash of the raw name, so their cache files stay apart.
    bool folded = rawName.empty() || rawName == "." || rawName == "..";
    for (char c : rawName)
        folded = folded || static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '/';
    if (!folded)
        return name;
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : rawName)
        hash = (hash ^ c) * 16777619u;
    char tail[16];
    std::snprintf(tail, sizeof tail, "~%08X", hash);
    return name + tail;
}
