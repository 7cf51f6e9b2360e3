#pragma once
#include <string>

// Reserves a new empty file in the temporary folder, named from the first three
// characters of prefix ("TFN" when null), a hexadecimal number and ".tmp", and
// puts its full path in out. Characters that cannot stand in a file name are
// replaced, so a hostile prefix never leaves the temporary folder.
bool MakeTempFileName(std::string& out, const char* prefix);

// The temporary folder, ending with '/'.
std::string GetTempFolder();
