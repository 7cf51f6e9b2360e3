#pragma once
#include <string>

// Replaces the extension of the last path component: everything from its last
// '.' on is cut, then ext (with its dot) is appended. Dots in folder names
// never count.
std::string ReplaceExtension(const std::string& path, const std::string& ext);

// A file name for an entry's own name on disk: decoded from CP1251 to UTF-8;
// '/', control bytes and DEL become '_'; an empty name, "." and ".." become "_".
// The result never leaves the folder it is appended to.
std::string EntryNameForDisk(const std::string& rawName);

// The name of an entry's or folder's cache file: EntryNameForDisk, with a hash
// of the raw name added where that mapping changed the name, so that no two
// raw names of one folder share a cache file.
std::string CacheNameForDisk(const std::string& rawName);
