#pragma once
// Writes DAT archives for tests, benchmarks and the demo archive. Every field
// the loader reads can be overridden, so damaged and hostile archives are as
// easy to make as well-formed ones. Standard library and zlib only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SDatEntryDef
{
    std::string name;  // raw bytes, backslash separated; nothing is checked or changed
    std::string data;  // the real (uncompressed) bytes
    // Store as a zlib stream (level 9) when that is smaller than the data;
    // with forceCompress, store it compressed even when it is not.
    bool compress = false;
    bool forceCompress = false;
    // Written instead of the true values; the data region itself is unaffected.
    std::optional<std::uint32_t> realSize, packedSize, offset, nameLength;
    // Written to the data region instead of the stored or compressed bytes; the
    // packed size then defaults to its length.
    std::optional<std::string> packedBytes;
    // 0xFF: 1 when the written real and packed sizes differ, else 0.
    std::uint8_t flag = 0xFF;
};

struct SDatOptions
{
    std::optional<std::uint32_t> fileCount;      // written instead of the real count
    std::optional<std::uint32_t> directorySize;  // written instead of the real size
    std::optional<std::uint32_t> dataSizeWord;   // default: the total file length
    std::string trailingDirectoryBytes;          // after the last entry, counted in the directory size
    bool reverseDataOrder = false;               // data laid out last entry first; offsets stay right
};

class CDatWriter
{
public:
    // Compresses at once, so Build is cheap and PackedBytes is known early.
    // Throws std::length_error for data of 4 GiB or more.
    void Add(SDatEntryDef e);
    void AddStored(std::string name, std::string data);
    // Always a zlib stream, even when it does not shrink the data.
    void AddCompressed(std::string name, std::string data);

    std::size_t Count() const { return m_items.size(); }

    // Throws std::length_error when the archive would not fit 32-bit offsets.
    std::string Build(const SDatOptions& opt = {}) const;
    // Throws std::runtime_error on I/O failure.
    void WriteTo(const std::string& path, const SDatOptions& opt = {}) const;

    // The bytes entry i puts in the data region, exactly as written.
    std::string PackedBytes(std::size_t i) const;

private:
    struct SItem
    {
        SDatEntryDef def;
        std::string zlib;  // empty when stored: a zlib stream never is
    };
    const std::string& Written(const SItem& item) const;

    std::vector<SItem> m_items;
};

// A directory-only archive for loader benchmarks: `count` stored entries named
// nameOf(i), all of size 0 at offset 0.
std::string BuildDirectoryOnlyArchive(std::size_t count, const std::function<std::string(std::size_t)>& nameOf);

// Every regular file under root as an entry, compressed when that shrinks it,
// named by its relative path with '\\' between components; unsorted. Symbolic
// links to folders are not followed; the file skipPath, if it exists, is left
// out. Throws std::runtime_error (std::filesystem_error included).
std::vector<SDatEntryDef> FolderEntries(const std::string& root, const std::string& skipPath = {});

// Sorts by case-folded name, the order the loader compares names in.
void SortEntries(std::vector<SDatEntryDef>& entries);

// FolderEntries(root, outPath), sorted, written to outPath.
void PackFolder(const std::string& root, const std::string& outPath);
