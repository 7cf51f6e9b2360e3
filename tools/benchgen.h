#pragma once
// Deterministic archives shaped like the game's, for the benchmarks only:
//   kGame30k   30,000 entries, about 1.08 GB unpacked and 300 MB packed (zlib
//              level 9), mostly FRM pictures, a color.pal, the entries of each
//              folder together (sorted by name), one folder of 10,000 entries.
//   kTiny200k  200,000 tiny stored entries in 134 folders.
//   kGame30kPatched  kGame30k with one entry in a hundred drawn afresh (the
//              same names; new pixels, sizes or text), for comparisons.
// The same kind always gives the same bytes; the compression is spread over
// threads without changing them. Standard library and zlib only.
#include <cstdint>
#include <string>

enum class EBenchArchive { kGame30k, kTiny200k, kGame30kPatched };

struct SBenchArchiveFacts
{
    std::uint32_t m_nEntries = 0;
    std::uint32_t m_nFolders = 0;
    std::uint64_t m_nPackedBytes = 0; // the data region
    std::uint64_t m_nRealBytes = 0;   // all entries unpacked
    std::uint64_t m_nFileBytes = 0;
};

// Entries the benchmarks reach for (raw names, '\\' between components).
inline constexpr const char* kBenchCopyFolder = "art\\tiles";        // the 10,000-entry folder
inline constexpr std::uint32_t kBenchCopyFolderEntries = 10000;
inline constexpr const char* kBenchBigFrmFolder = "art\\splash";     // 640 x 480 FRMs
inline constexpr std::uint32_t kBenchBigFrmCount = 48;               // splash000.frm ... splash047.frm

// "game30k", "tiny200k" or "game30k-patched"; false for anything else.
bool ParseBenchArchiveKind(const std::string& text, EBenchArchive& kind);
const char* BenchArchiveKindName(EBenchArchive kind);

// Writes the archive to path, through a sibling renamed into place, so a
// broken run never leaves a half archive. threads 0: one per core. Throws
// std::runtime_error on I/O failure.
// kGame30kPatched copies the entries it keeps from base (a kGame30k archive)
// when one is given, and packs them afresh otherwise.
SBenchArchiveFacts WriteBenchArchive(EBenchArchive kind, const std::string& path, unsigned threads = 0,
                                     const std::string& base = {});

// The archive in folder dir (created), generated on the first call only: its
// file name carries the generator's version, so a changed generator makes a
// new file. Returns the path.
std::string EnsureBenchArchive(EBenchArchive kind, const std::string& dir);

// Where the benchmarks keep their archives: $DRAVIK_BENCHDATA, else fallback.
std::string BenchDataDir(const std::string& fallback);
