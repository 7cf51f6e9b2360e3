#pragma once
// Single-byte code pages of archive names and texts. Names stay raw bytes in the
// model; they are decoded only for display and for file names on disk.
#include <string>
#include <string_view>

enum class CodePage { Cp1251, Cp866 };

// Decodes to UTF-8. Bytes below 0x80 are ASCII in both pages.
std::string DecodeToUtf8(std::string_view bytes, CodePage page = CodePage::Cp1251);
// Decodes to UTF-16 (for Qt strings).
std::u16string DecodeToUtf16(std::string_view bytes, CodePage page = CodePage::Cp1251);
// Encodes UTF-8 text to CP1251, '?' for what the page lacks.
std::string EncodeCp1251(std::string_view utf8);
