#include "datwriter.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();
// Count, name length, flag, real size, packed size, offset.
constexpr std::size_t kDirectoryHeader = 4;
constexpr std::size_t kEntryFixed = 4 + 1 + 4 + 4 + 4;
constexpr std::size_t kMaxNameLength = 259;

void PutU32(std::string& out, std::uint32_t v)
{
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    out.append(b, 4);
}

std::string Deflate(const std::string& data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                       static_cast<uLong>(data.size()), level);
    if (rc != Z_OK)
        throw std::runtime_error("compress2 failed: " + std::to_string(rc));
    out.resize(size);
    return out;
}

std::runtime_error IoError(const std::string& what, const std::string& path)
{
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

std::string ReadWholeFile(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw IoError("cannot open", path);
    std::string out;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        throw IoError("cannot read", path);
    return out;
}

// The loader's order: ASCII letters folded, other bytes unsigned. Raw bytes
// break ties so names differing only in case still sort the same every run.
bool FoldedLess(const std::string& a, const std::string& b)
{
    auto fold = [](char c) {
        auto u = static_cast<unsigned char>(c);
        return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
    };
    auto m = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                           [&](char x, char y) { return fold(x) == fold(y); });
    if (m.first != a.end() && m.second != b.end())
        return fold(*m.first) < fold(*m.second);
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

void CollectFiles(const fs::path& dir, const std::string& prefix, const fs::path& skip,
                  std::vector<std::pair<std::string, fs::path>>& out)
{
    for (const fs::directory_entry& de : fs::directory_iterator(dir)) {
        std::string name = prefix + de.path().filename().native();
        if (de.is_directory() && !de.is_symlink()) {
            CollectFiles(de.path(), name + '\\', skip, out);
        } else if (de.is_regular_file()) {
            std::error_code ec;
            if (!skip.empty() && fs::equivalent(de.path(), skip, ec))
                continue;
            if (name.size() > kMaxNameLength)
                throw std::runtime_error("name longer than " + std::to_string(kMaxNameLength) + " bytes: " + name);
            out.emplace_back(std::move(name), de.path());
        }
    }
}

} // namespace

void CDatWriter::Add(SDatEntryDef e)
{
    if (e.data.size() > kMaxU32)
        throw std::length_error("entry data of 4 GiB or more: " + e.name);
    SItem item{std::move(e), {}};
    const SDatEntryDef& s = item.def;
    if (s.compress && !s.packedBytes) {
        std::string z = Deflate(s.data, Z_BEST_COMPRESSION);
        if (z.size() < s.data.size()) {
            item.zlib = std::move(z);
        } else if (s.forceCompress) {
            // Equal sizes would read back as stored; a level 0 stream is always longer.
            item.zlib = z.size() == s.data.size() ? Deflate(s.data, Z_NO_COMPRESSION) : std::move(z);
        }
    }
    m_items.push_back(std::move(item));
}

void CDatWriter::AddStored(std::string name, std::string data)
{
    SDatEntryDef e;
    e.name = std::move(name);
    e.data = std::move(data);
    Add(std::move(e));
}

void CDatWriter::AddCompressed(std::string name, std::string data)
{
    SDatEntryDef e;
    e.name = std::move(name);
    e.data = std::move(data);
    e.compress = true;
    e.forceCompress = true;
    Add(std::move(e));
}

const std::string& CDatWriter::Written(const SItem& item) const
{
    if (item.def.packedBytes)
        return *item.def.packedBytes;
    return item.zlib.empty() ? item.def.data : item.zlib;
}

std::string CDatWriter::PackedBytes(std::size_t i) const
{
    return Written(m_items.at(i));
}

std::string CDatWriter::Build(const SDatOptions& opt) const
{
    const std::size_t n = m_items.size();
    std::uint64_t dataSize = 0;
    std::uint64_t directorySize = kDirectoryHeader + opt.trailingDirectoryBytes.size();
    for (const SItem& item : m_items) {
        dataSize += Written(item).size();
        directorySize += kEntryFixed + item.def.name.size();
    }
    const std::uint64_t total = dataSize + directorySize + 8;
    if (total > kMaxU32)
        throw std::length_error("archive of 4 GiB or more");

    std::string out;
    out.reserve(static_cast<std::size_t>(total));
    std::vector<std::uint32_t> offsets(n);
    auto place = [&](std::size_t i) {
        offsets[i] = static_cast<std::uint32_t>(out.size());
        out += Written(m_items[i]);
    };
    if (opt.reverseDataOrder) {
        for (std::size_t i = n; i-- > 0;)
            place(i);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            place(i);
    }

    PutU32(out, opt.fileCount.value_or(static_cast<std::uint32_t>(n)));
    for (std::size_t i = 0; i < n; ++i) {
        const SDatEntryDef& s = m_items[i].def;
        const auto real = s.realSize.value_or(static_cast<std::uint32_t>(s.data.size()));
        const auto packed = s.packedSize.value_or(static_cast<std::uint32_t>(Written(m_items[i]).size()));
        PutU32(out, s.nameLength.value_or(static_cast<std::uint32_t>(s.name.size())));
        out += s.name;
        out += static_cast<char>(s.flag != 0xFF ? s.flag : real != packed ? 1 : 0);
        PutU32(out, real);
        PutU32(out, packed);
        PutU32(out, s.offset.value_or(offsets[i]));
    }
    out += opt.trailingDirectoryBytes;
    PutU32(out, opt.directorySize.value_or(static_cast<std::uint32_t>(directorySize)));
    PutU32(out, opt.dataSizeWord.value_or(static_cast<std::uint32_t>(total)));
    return out;
}

void CDatWriter::WriteTo(const std::string& path, const SDatOptions& opt) const
{
    const std::string bytes = Build(opt);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw IoError("cannot create", path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    // fclose flushes, so a full disk shows up here.
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        throw IoError("cannot write", path);
}

std::string BuildDirectoryOnlyArchive(std::size_t count, const std::function<std::string(std::size_t)>& nameOf)
{
    CDatWriter w;
    for (std::size_t i = 0; i < count; ++i)
        w.AddStored(nameOf(i), {});
    return w.Build();
}

std::vector<SDatEntryDef> FolderEntries(const std::string& root, const std::string& skipPath)
{
    if (!fs::is_directory(root))
        throw std::runtime_error("not a folder: " + root);
    std::error_code ec;
    fs::path skip = !skipPath.empty() && fs::exists(skipPath, ec) ? fs::path(skipPath) : fs::path();

    std::vector<std::pair<std::string, fs::path>> files;
    CollectFiles(root, {}, skip, files);
    std::vector<SDatEntryDef> entries;
    entries.reserve(files.size());
    for (auto& [name, path] : files) {
        SDatEntryDef e;
        e.name = std::move(name);
        e.data = ReadWholeFile(path.native());
        e.compress = true;
        entries.push_back(std::move(e));
    }
    return entries;
}

void SortEntries(std::vector<SDatEntryDef>& entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const SDatEntryDef& a, const SDatEntryDef& b) { return FoldedLess(a.name, b.name); });
}

void PackFolder(const std::string& root, const std::string& outPath)
{
    std::vector<SDatEntryDef> entries = FolderEntries(root, outPath);
    SortEntries(entries);
    CDatWriter w;
    for (SDatEntryDef& e : entries)
        w.Add(std::move(e));
    w.WriteTo(outPath);
}
