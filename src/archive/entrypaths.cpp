#include "archive/entrypaths.h"

#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/namecompare.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

void LoadWithStoredNames(CDATFileDoc& archive, CStoredNames& names, const std::string& path)
{
    struct SForget
    {
        CDATFileDoc& m_archive;
        ~SForget() { m_archive.KeepStoredNames(nullptr); }
    } forget{archive};
    archive.KeepStoredNames(&names);
    archive.LoadArchive(path);
}

namespace {

bool IsAscii(std::string_view raw)
{
    std::size_t i = 0;
    for (; i + 8 <= raw.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, raw.data() + i, 8);
        if (v & 0x8080808080808080ull)
            return false;
    }
    for (; i < raw.size(); ++i)
        if (static_cast<unsigned char>(raw[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string_view StoredPathText(std::string_view stored, std::string& scratch)
{
    if (IsAscii(stored))
        return stored;
    scratch = DecodeToUtf8(stored);
    return scratch;
}

SStoredPath SplitStoredPath(std::string_view path)
{
    const std::size_t split = path.rfind('\\') + 1; // 0 without folders
    return {path.substr(0, split), path.substr(split)};
}

void SplitStoredFolders(std::string_view folders, std::vector<std::string>& out)
{
    out.clear();
    if (folders.empty())
        return;
    folders.remove_suffix(1);
    for (std::size_t from = 0;;) {
        const std::size_t sep = folders.find('\\', from);
        out.emplace_back(folders.substr(from, sep == std::string_view::npos ? sep : sep - from));
        if (sep == std::string_view::npos)
            return;
        from = sep + 1;
    }
}

const CDATInternalFile* FindStoredEntry(const CDATArchive& archive, const CStoredNames& names,
                                        const std::string& path)
{
    std::string wanted = path;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    for (std::size_t i = 0; i < archive.m_files.size(); ++i)
        if (EqualNames(DecodeToUtf8(names[i]), wanted))
            return &archive.m_files[i];
    return nullptr;
}
