#pragma once
// The first game's directory, at the start of the archive: big-endian words,
// folder names, then each folder's entries. Every count, name, offset and
// size is checked against the file before it is used.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CFile;

// Attribute values, masked with 0xF0 as the engine does.
constexpr std::uint32_t kDat1Stored = 0x20;
constexpr std::uint32_t kDat1Blocks = 0x40;
constexpr std::uint32_t kDat1Stream = 0x10;

struct SDat1Entry
{
    std::uint32_t m_nFolder;
    std::uint32_t m_nNameAt;
    std::uint32_t m_nAttributes; // masked; 0 is read as kDat1Stream
    std::uint32_t m_nOffset;
    std::uint32_t m_nRealSize;
    std::uint32_t m_nPackedSize; // as stored: 0 for most stored entries
    std::uint8_t m_nNameLength;
};

struct SDat1Directory
{
    std::string m_bytes; // the directory as read; names point into it
    std::vector<std::uint32_t> m_folderNameAt;
    std::vector<std::uint8_t> m_folderNameLength;
    std::vector<SDat1Entry> m_entries;

    std::string_view FolderName(std::size_t i) const
    {
        return std::string_view(m_bytes).substr(m_folderNameAt[i], m_folderNameLength[i]);
    }
    std::string_view EntryName(const SDat1Entry& e) const
    {
        return std::string_view(m_bytes).substr(e.m_nNameAt, e.m_nNameLength);
    }
    // The entry's path as the command line shows it: FOLDER\NAME, or NAME in the root ".".
    std::size_t PathLength(const SDat1Entry& e) const;
    void AppendPath(const SDat1Entry& e, std::string& out) const;
};

// Parses out.m_bytes, the first bytes of a file of fileLength bytes. Returns
// false when the directory goes on past them (read more and call again);
// raises CArchiveException(badIndex) naming fileName for anything that breaks
// the format or points outside the file.
bool ParseDat1Directory(SDat1Directory& out, std::uint64_t fileLength, const std::string& fileName);

// Reads as much of the file's start as the directory needs and parses it.
SDat1Directory ReadDat1Directory(CFile& file);
