#pragma once
// The archive's trailer and directory, parsed from memory through one
// bounds-checked cursor: bytes in, entries or a clear error out.
#include "archive/datitem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CFile;

constexpr std::uint32_t kMaxNameLength = 259;
constexpr std::uint32_t kMaxBackslashes = 98;
constexpr std::size_t kMinEntrySize = 17;
constexpr std::size_t kTrailerSize = 8;

struct SDatTrailer
{
    std::uint32_t m_nDirectorySize;
    std::uint32_t m_dwDataSize;
};

struct SRawEntry
{
    std::string_view m_name; // cut at the first zero byte
    std::uint8_t m_nFlag;
    std::uint32_t m_nRealSize;
    std::uint32_t m_nPackedSize;
    std::uint32_t m_nOffset;
    EEntryStorage m_storage = EEntryStorage::kBySizes;
};

SDatTrailer ParseTrailer(const unsigned char* bytes);

// Walks a directory (count field and entries) of `size` bytes. Raises
// CArchiveException(badIndex) naming `fileName`, the entry and the field for
// anything that breaks the format's limits or runs past the bytes given.
class CDirectoryParser
{
public:
    CDirectoryParser(const unsigned char* data, std::size_t size, std::string fileName);

    std::uint32_t GetCount() const { return m_nCount; }
    // Fills the next entry; false after the last one.
    bool Next(SRawEntry& entry);
    std::uint32_t GetIndex() const { return m_nIndex; }

private:
    [[noreturn]] void Fail(const std::string& what) const;
    [[noreturn]] void FailEntry(const std::string& what) const;
    std::uint32_t ReadU32();

    const unsigned char* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
    std::uint32_t m_nCount = 0;
    std::uint32_t m_nIndex = 0;
    std::string m_strFileName;
};

// An archive's trailer and the bytes of its directory, each read in one go.
// Raises CFileException naming the file when the sizes do not fit the file.
struct SDirectoryBytes
{
    SDatTrailer m_trailer{};
    std::unique_ptr<unsigned char[]> m_pData;
    std::size_t m_nSize = 0;
};
SDirectoryBytes ReadDirectoryBytes(CFile& file);

// Every entry's name exactly as the directory stores it, in directory order
// (the document keeps only each entry's own name under merged folders). The
// loader fills it when asked to; the names point into the directory it keeps.
class CStoredNames
{
public:
    std::size_t size() const { return m_names.size(); }
    std::string_view operator[](std::size_t i) const { return m_names[i]; }

    void Reset(std::size_t count)
    {
        m_names.clear();
        m_names.reserve(count);
    }
    void Add(std::string_view name) { m_names.push_back(name); }
    void Keep(SDirectoryBytes directory) { m_directory = std::move(directory); }

private:
    SDirectoryBytes m_directory;
    std::vector<std::string_view> m_names;
};
