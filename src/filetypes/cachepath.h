#pragma once
// Where the handlers keep what they extract and convert: one folder per
// archive file (its name and a hash of its absolute path, size and time), the
// entry's folders below it, so same-named entries of two folders or two
// archives never share a cache file.
#include <cstdint>
#include <string>

class CDATInternalFile;
struct SArchiveContext;

// The cache folder of the archive, ending with '/'.
std::string ArchiveCacheFolder(const SArchiveContext& archive);

// The cache file of an entry: its name as a file name (CacheNameForDisk),
// followed by newExtension (".bmp"), which may be empty. The
// folders are created; a symbolic link or file in their place is refused.
std::string CacheFileFor(const SArchiveContext& archive, const CDATInternalFile& entry,
                         const std::string& newExtension);

// What the archives' folders in a cache folder hold: only folders named as
// ArchiveCacheFolder names them (and the hand-out folders beside them) count;
// whatever else the user keeps there is neither counted nor removed.
struct SCacheUsage
{
    std::uint64_t m_nBytes = 0;
    std::uint64_t m_nFiles = 0;
};
SCacheUsage MeasureCache(const std::string& cacheFolder);
// Removes those folders. Links are removed, never followed.
void EmptyCache(const std::string& cacheFolder);
