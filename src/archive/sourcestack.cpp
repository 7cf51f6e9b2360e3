#include "archive/sourcestack.h"

#include "archive/datfiledoc.h"
#include "archive/entryfeed.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/namecompare.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

inline unsigned char EntryNameByte(char c)
{
    return c == '/' ? '\\' : FoldAscii(static_cast<unsigned char>(c));
}

// Eight name bytes folded as EntryNameByte folds each: 'A'..'Z' to small
// letters, '/' to '\\'.
std::uint64_t FoldEntryWord(std::uint64_t v)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull, kLow = ~kHigh;
    const std::uint64_t low = v & kLow;
    const std::uint64_t capital = ((low + (0x80 - 'A') * kOnes) & ~(low + (0x80 - 'Z' - 1) * kOnes) & ~v) & kHigh;
    v |= capital >> 2;
    const std::uint64_t x = v ^ ('/' * kOnes);
    const std::uint64_t slash = ~(((x & kLow) + kLow) | x | kLow);
    return v + (slash >> 7) * std::uint64_t('\\' - '/');
}

// A hash of the name as the game compares it, eight bytes at a time.
std::uint64_t HashEntryName(std::string_view name)
{
    std::uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
    std::size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, name.data() + i, 8);
        h = (h ^ FoldEntryWord(v)) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    if (i < name.size()) {
        std::uint64_t v = 0;
        std::memcpy(&v, name.data() + i, name.size() - i);
        h = (h ^ FoldEntryWord(v)) * 0x9E3779B97F4A7C15ull;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

// Why a file's path under its folder (UTF-8, '/' between parts) cannot be
// an entry name, or null; stored receives the name as an archive holds it.
const char* RefusedLooseName(const std::string& relative, std::string& stored)
{
    for (char c : relative) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "the name holds a control character";
        if (c == '\\')
            return "the name holds a backslash, which archives take as a folder separator";
    }
    stored = EncodeCp1251(relative);
    if (DecodeToUtf8(stored) != relative)
        return "the name cannot be written in code page 1251";
    if (stored.size() > kMaxNameLength)
        return "the path is longer than an archive name can be";
    std::replace(stored.begin(), stored.end(), '/', '\\');
    if (std::size_t(std::count(stored.begin(), stored.end(), '\\')) > kMaxBackslashes)
        return "the path lies deeper than an archive's folders can";
    return nullptr;
}

[[noreturn]] void ThrowFolderError(const std::string& path, const std::error_code& ec)
{
    throw CFileException(CFileException::CauseFromErrno(ec.value()), ec.value(), path,
                         "the folder could not be read (" + ec.message() + ")");
}

} // namespace

bool SameEntryName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && EntryNameByte(a[i]) != EntryNameByte(b[i]))
            return false;
    return true;
}

int CompareEntryNames(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = EntryNameByte(a[i]), y = EntryNameByte(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

CStackSource::CStackSource(std::string label, std::string path, EKind kind)
    : m_strLabel(std::move(label)), m_strPath(std::move(path)), m_kind(kind)
{
}

CStackSource::~CStackSource() = default;

std::size_t CStackSource::Count() const
{
    return m_kind == EKind::kArchive ? m_entries.size() : m_loose.size();
}

CStackSource::SEntry CStackSource::Entry(std::size_t i) const
{
    if (m_kind == EKind::kArchive)
        return m_entries[i];
    const SLoose& l = m_loose[i];
    return {std::string_view(m_strLooseNames).substr(l.m_nNameStart, l.m_nNameLength), l.m_nSize, l.m_nSize, 0};
}

std::string CStackSource::FileOf(std::size_t i) const
{
    if (m_kind == EKind::kArchive)
        return m_strPath;
    std::string relative = DecodeToUtf8(Entry(i).m_name);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return (std::filesystem::path(m_strPath) / relative).string();
}

void CStackSource::LoadArchive()
{
    // The usual archive: its directory read as the loader reads it, entry by
    // entry as stored.
    try {
        CFile file(m_strPath, CFile::modeRead);
        SDirectoryBytes directory = ReadDirectoryBytes(file);
        CDirectoryParser parser(directory.m_pData.get(), directory.m_nSize, file.GetFilePath());
        std::vector<SEntry> entries;
        entries.reserve(parser.GetCount());
        SRawEntry raw;
        while (parser.Next(raw))
            entries.push_back({raw.m_name, raw.m_nRealSize, raw.m_nPackedSize, raw.m_nOffset, EEntryStorage::kBySizes});
        m_entries = std::move(entries);
        m_directory = std::move(directory);
    } catch (const std::exception&) {
        // Anything else (the first game's format, an empty or a damaged file)
        // goes through the loader, which knows it or names the fault.
        CDATFileDoc archive(false);
        LoadWithStoredNames(archive, m_names, m_strPath);
        m_entries.clear();
        m_entries.reserve(archive.m_files.size());
        for (std::size_t i = 0; i < archive.m_files.size(); ++i) {
            const CDATInternalFile& f = archive.m_files[i];
            m_entries.push_back({m_names[i], f.m_nRealSize, f.m_nPackedSize, f.m_nOffset, f.m_storage});
        }
    }
    m_file.Open(m_strPath, CFile::modeRead);
}

void CStackSource::ScanFolder(std::vector<std::string>& skipped)
{
    namespace fs = std::filesystem;
    struct SFound
    {
        std::string m_strName;
        std::uint32_t m_nSize;
    };
    std::vector<SFound> found;
    std::error_code ec;
    // Links to folders are not entered: a loop of links must not run forever.
    fs::recursive_directory_iterator it(m_strPath, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        ThrowFolderError(m_strPath, ec);
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec)
            ThrowFolderError(m_strPath, ec);
        std::error_code fileError;
        if (!it->is_regular_file(fileError))
            continue;
        const std::string relative = it->path().lexically_relative(m_strPath).generic_string();
        std::string stored;
        const std::uintmax_t size = it->file_size(fileError);
        const char* why = RefusedLooseName(relative, stored);
        if (!why && fileError)
            why = "its size could not be read";
        if (!why && size > UINT32_MAX)
            why = "the file is 4 GiB or larger, more than an archive entry can hold";
        if (why) {
            skipped.push_back(it->path().string() + ": left out: " + why);
            continue;
        }
        found.push_back({std::move(stored), std::uint32_t(size)});
    }
    if (ec)
        ThrowFolderError(m_strPath, ec);
    // Directory order is the file system's whim; names give a stable one.
    std::sort(found.begin(), found.end(),
              [](const SFound& a, const SFound& b) { return CompareEntryNames(a.m_strName, b.m_strName) < 0; });
    m_loose.reserve(found.size());
    for (const SFound& f : found) {
        m_loose.push_back({std::uint32_t(m_strLooseNames.size()), std::uint16_t(f.m_strName.size()), f.m_nSize});
        m_strLooseNames += f.m_strName;
    }
}

CSourceStack::CSourceStack() = default;

CSourceStack::~CSourceStack() = default;

void CSourceStack::Add(const std::string& label, const std::string& path, std::vector<std::string>& skipped)
{
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(path, ec);
    auto source = std::make_unique<CStackSource>(
        label, path, folder ? CStackSource::EKind::kFolder : CStackSource::EKind::kArchive);
    if (folder)
        source->ScanFolder(skipped);
    else
        source->LoadArchive();
    m_sources.push_back(std::move(source));
    m_sourceStart.clear();
    m_latest.clear();
}

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

} // namespace

SEntryCopy CSourceStack::CopyOf(std::uint32_t arrival) const
{
    const auto s = std::uint32_t(std::upper_bound(m_sourceStart.begin(), m_sourceStart.end(), arrival) -
                                 m_sourceStart.begin() - 1);
    return {s, arrival - m_sourceStart[s]};
}

void CSourceStack::Merge()
{
    m_sourceStart.assign(1, 0);
    for (const auto& s : m_sources)
        m_sourceStart.push_back(m_sourceStart.back() + std::uint32_t(s->Count()));
    const std::size_t total = m_sourceStart.back();
    std::size_t capacity = 16;
    while (capacity < total * 2)
        capacity <<= 1;
    // Open addressing over the merged entries; each holds its latest copy,
    // which links to the one it overrides: a few words per entry.
    // A slot holds the entry's number and the high half of its name's hash,
    // so that most slots of other names are passed without reading a name.
    std::vector<std::uint64_t> table(capacity, UINT64_MAX);
    m_latest.clear();
    m_overridden.assign(total, kNone);
    std::uint32_t arrival = 0;
    // The slots are far apart in a table of megabytes: each is fetched a few
    // names ahead, so that its load overlaps the work on the names before it.
    constexpr std::size_t kAhead = 16;
    std::vector<std::uint64_t> hashes;
    for (const auto& source : m_sources) {
        const std::uint32_t sourceStart = arrival;
        const std::size_t count = source->Count();
        hashes.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            hashes[i] = HashEntryName(source->Entry(i).m_name);
        for (std::uint32_t i = 0; i < count; ++i, ++arrival) {
            if (i + kAhead < count)
                __builtin_prefetch(&table[hashes[i + kAhead] & (capacity - 1)]);
            const std::string_view name = source->Entry(i).m_name;
            const std::uint64_t hash = hashes[i];
            const std::uint64_t tag = hash & 0xFFFFFFFF00000000ull;
            for (std::size_t slot = hash & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
                if (table[slot] == UINT64_MAX) {
                    table[slot] = tag | m_latest.size();
                    m_latest.push_back(arrival);
                    break;
                }
                if ((table[slot] & 0xFFFFFFFF00000000ull) != tag)
                    continue;
                const auto m = std::uint32_t(table[slot]);
                const std::uint32_t other = m_latest[m];
                const std::string_view otherName =
                    other >= sourceStart ? source->Entry(other - sourceStart).m_name : EntryOf(CopyOf(other)).m_name;
                if (SameEntryName(otherName, name)) {
                    m_overridden[arrival] = other;
                    m_latest[m] = arrival;
                    break;
                }
            }
        }
    }
}

std::vector<SEntryCopy> CSourceStack::Copies(std::size_t i) const
{
    std::vector<SEntryCopy> copies;
    for (std::uint32_t a = m_latest[i]; a != kNone; a = m_overridden[a])
        copies.push_back(CopyOf(a));
    return copies;
}

void CSourceStack::Build(CDATArchive& merged, CStoredNames* names)
{
    if (m_sourceStart.size() != m_sources.size() + 1)
        Merge();
    // The winning copies go to the loader as an archive's entries do; it makes
    // the folders, types and indexes.
    m_slashedNames.clear();
    std::size_t next = 0;
    auto feed = [&](SRawEntry& raw) {
        if (next == Count())
            return false;
        const CStackSource::SEntry e = EntryOf(Winner(next++));
        raw.m_name = e.m_name;
        if (e.m_name.find('/') != std::string_view::npos) {
            // A name stored with '/' goes under its folders like the others.
            std::string& slashed = m_slashedNames.emplace_back(e.m_name);
            std::replace(slashed.begin(), slashed.end(), '/', '\\');
            raw.m_name = slashed;
        }
        raw.m_nFlag = e.m_nRealSize != e.m_nPackedSize ? 1 : 0;
        raw.m_nRealSize = e.m_nRealSize;
        raw.m_nPackedSize = e.m_nPackedSize;
        raw.m_nOffset = e.m_nOffset;
        raw.m_storage = e.m_storage;
        return true;
    };
    merged.Clear();
    merged.KeepStoredNames(names);
    try {
        // A data size of 0 would mean "nothing open".
        LoadEntries(merged, std::uint32_t(Count()), feed, 1,
                    m_sources.empty() ? std::string() : m_sources.front()->Path());
    } catch (...) {
        merged.KeepStoredNames(nullptr);
        merged.Clear();
        throw;
    }
    merged.KeepStoredNames(nullptr);
}

CDATInternalFile CSourceStack::Record(const CStackSource::SEntry& entry)
{
    CDATInternalFile record(nullptr, 1, std::string(entry.m_name), entry.m_nRealSize, entry.m_nOffset,
                            entry.m_nPackedSize, nullptr);
    record.m_storage = entry.m_storage;
    return record;
}

CCopyFile CSourceStack::Open(const SEntryCopy& copy) const
{
    CStackSource& source = *m_sources[copy.m_nSource];
    if (source.Kind() == CStackSource::EKind::kArchive)
        return CCopyFile(&source.m_file);
    try {
        return CCopyFile(CFile(source.FileOf(copy.m_nIndex), CFile::modeRead));
    } catch (CFileException& e) {
        e.m_side = CFileException::archiveSide; // the source's failure, not the output's
        throw;
    }
}

std::string CSourceStack::ReadEntry(std::size_t i) const
{
    const SEntryCopy winner = Winner(i);
    CCopyFile file = Open(winner);
    return ReadEntryData(*file, Record(EntryOf(winner)));
}
