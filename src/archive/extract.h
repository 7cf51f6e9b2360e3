#pragma once
// An archive entry out to a file: stored bytes copied, compressed ones inflated.
// Every file written appears complete under its final name or not at all.
// An entry whose bytes lie beyond the archive's end raises CFileException
// (endOfFile, archiveSide) naming the archive, before anything is written.
// Callers write entries through Extract; the routines after it are the ways
// it picks from, and the pieces the movie commands build on.
#include "platform/atomicfile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CFile;
class CDATInternalFile;

// Largest entry that ExtractEntry holds in memory; the mapped path serves more.
constexpr std::uint32_t kMaxInMemoryEntry = 1u << 30;

// How a whole (padded) entry is unpacked.
enum class EWholeEntry {
    kBySize,   // in memory, through mappings above kMaxInMemoryEntry
    kInMemory, // in memory; a larger entry is refused (its file is read whole afterwards)
    kMapped,   // always through the packed copy and mappings, free space checked first
};

struct SExtractOptions
{
    // A damaged entry's file is kept; otherwise nothing is written and a file
    // already at the destination stays as it was.
    bool m_bKeepDamaged = false;
    // Padding allowed: the entry is unpacked whole and a damaged one's file
    // holds its real size, zeros after the part that inflated. Not allowed:
    // it is streamed a chunk at a time, never held whole in memory, and the
    // file holds only the bytes that came out of the archive.
    bool m_bPad = true;
    EWholeEntry m_whole = EWholeEntry::kBySize;
    // What can stand at the destination's name, as far as the caller knows.
    CAtomicFile::EPlace m_place = CAtomicFile::EPlace::kAnyFolder;
};

struct SExtractResult
{
    int m_nStatus = 0;              // 0, or zlib's negative status of a damaged stream
    std::uint64_t m_nStreamed = 0;  // without padding: the bytes that came out of the archive
    bool Ok() const { return m_nStatus == 0; }
};

// The entry's contents to destination, by the way options ask for. A
// CFileException it raises says in m_side whether the archive (the entry's
// bytes cannot be read: skip it) or the destination failed (stop).
SExtractResult Extract(CFile& archive, const CDATInternalFile& entry, const std::string& destination,
                       const SExtractOptions& options);

// Writes the entry's contents to path. Returns 0 for a good entry, otherwise
// zlib's negative status of a damaged stream; the file then holds real-size
// bytes, zero after the part that inflated, or, without keepDamaged, nothing
// is written and a file already at path stays as it was. A real size that
// its packed bytes cannot hold (over 1032 times their size) is damage too:
// Z_DATA_ERROR, and nothing is written.
int ExtractEntry(CFile& archive, const CDATInternalFile& entry, const std::string& path, bool keepDamaged = true);

// Receives an entry's contents piece by piece.
using EntrySink = std::function<void(const unsigned char* data, std::size_t size)>;

// Hands the entry's contents to sink as they are read and inflated, a chunk at
// a time: a thread holds at most a few MiB whatever sizes the directory
// claims, and sink only ever sees bytes that came out of the archive, never
// padding. Returns 0 when the stream was whole and gave exactly the real size;
// otherwise zlib's negative status (Z_DATA_ERROR also for a stream that ends
// short, Z_BUF_ERROR for one that runs past the real size, whose bytes stop
// there). Raises like ExtractEntry for an entry beyond the archive's end,
// before sink is called; exceptions from sink pass through.
int StreamEntryData(CFile& archive, const CDATInternalFile& entry, const EntrySink& sink);

// The entry's contents in memory; raises like ExtractEntry, and raises
// CArchiveException for a damaged entry.
std::string ReadEntryData(CFile& archive, const CDATInternalFile& entry);

// The entry's first min(count, real size) bytes, inflating no further than
// that; raises like ReadEntryData for damage within them.
std::string ReadEntryHead(CFile& archive, const CDATInternalFile& entry, std::size_t count);

// Plain words for a zlib status.
const char* ZlibStatusText(int status);
// Raises CArchiveException naming the archive and the entry for a damaged
// entry's status (anything but 0 or ExtractEntryMapped's 1).
void ThrowIfDamaged(int status, const CDATInternalFile& entry, const std::string& archivePath);

// Like ExtractEntry, through a packed copy at path + ".tmp" (refused when
// something already has that name) and memory mappings, after a free-space
// check of (real + packed) / 1024 KiB. Returns 1,
// or zlib's negative status of a damaged stream; damage leaves path as
// ExtractEntry's does.
int ExtractEntryMapped(CFile& archive, const CDATInternalFile& entry, const std::string& path,
                       bool keepDamaged = true);

// The stored bytes unchanged, after a free-space check of packed / 1024 KiB.
void CopyEntryBytes(CFile& archive, const CDATInternalFile& entry, const std::string& path);

// The movie player followed by the entry's inflated bytes, read from rawPath
// (a file holding exactly the entry's stored bytes). The file is executable.
// Returns 0, or zlib's negative status of a damaged stream; without
// keepDamaged a damaged movie writes nothing and an old file at path stays.
int ExtractMovieWithPlayer(const std::string& rawPath, const std::string& path, const CDATInternalFile& entry,
                           bool keepDamaged = true);
