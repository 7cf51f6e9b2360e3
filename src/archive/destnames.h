#pragma once
// Where entries land on disk. The browser maps: every stored name becomes some
// file name that stays inside its folder (filenames.h), and the folders on the
// way are made. The command line refuses: a name that cannot stand as stored
// is reported, never changed. Both refuse to pass through a symbolic link or
// a file where a folder belongs: either could lead out of the chosen folder.
#include <cstddef>
#include <string>
#include <string_view>

class CDATInternalFile;

// --- Both modes ---

enum class EFolderState { kFolder, kLink, kOther };

// What stands at path, a missing folder made first; created (when given)
// tells whether this call made it. OS failures raise CFileException naming
// path; a failed mkdir carries mkdirDetail.
EFolderState MakeFolderOnTheWay(const std::string& path, const char* mkdirDetail, bool* created = nullptr);

// --- Mapping (the browser) ---

// Makes the folder at path, or raises CFileException (badPath) for a link or
// file in its place.
void MakeMappedFolder(const std::string& path);

// folder (ending with '/'), the entry's folders below it as CacheNameForDisk
// maps them (made on the way), then its own mapped name and extension.
std::string MappedEntryPath(std::string folder, const CDATInternalFile& entry, const std::string& extension);

// --- Refusing (the command line) ---

constexpr std::size_t kMaxComponentBytes = 255; // NAME_MAX of the usual Linux file systems

// Why c cannot stand as one file name inside the output folder, or nullptr.
const char* RefusedComponent(std::string_view c);

// A path of this many bytes (its terminating zero not counted) cannot be opened.
bool PathTooLong(std::size_t bytes);
