#pragma once
#include <string>

// Replaces the extension of the last path component: everything from its last
// '.' on is cut, then ext (with its dot) is appended. Dots in folder names
// never count.
std::string ReplaceExtension(const std::string& path, const std::string& ext);
