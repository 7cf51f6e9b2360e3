#pragma once
// Entries handed to the loader one by one rather than read from an archive's
// directory: how a merged view of several sources becomes one model.
#include <cstdint>
#include <functional>
#include <string>

class CDATArchive;
struct SRawEntry;

// Loads count entries into the emptied archive, as Serialize does those of a
// directory; next fills the following one and says false after the last.
// fileName names them in errors. Stored names (KeepStoredNames) point at the
// names next gave, which must outlive them.
void LoadEntries(CDATArchive& archive, std::uint32_t count, const std::function<bool(SRawEntry&)>& next,
                 std::uint32_t dataSize, const std::string& fileName);
