#pragma once
#include <cstdint>
#include <string>

// Available space, in whole KiB, of the file system that would hold destPath:
// the nearest existing folder of the path is asked. An empty path raises
// badPath; a failing query raises generic.
std::uint64_t GetFreeDiskSpaceKB(const std::string& destPath);

// Raises diskFull (OS error -1) when needKB exceeds what destPath's file system has.
void CheckFreeSpaceKB(const std::string& destPath, std::uint64_t needKB);

// Tests replace the file-system query (null restores it).
using FreeSpaceProbe = std::uint64_t (*)(const std::string& folder);
void SetFreeSpaceProbe(FreeSpaceProbe probe);
