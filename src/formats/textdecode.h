#pragma once
// Text bytes to Unicode: in a given encoding, or one detected from the bytes
// and the language folder they lie in.
#include <string>
#include <string_view>
#include <vector>

enum class ETextEncoding { Automatic, Utf8, Cp866, Cp1250, Cp1251, Cp1252, Big5, Gbk, ShiftJis, Cp949 };

struct STextEncodingInfo
{
    ETextEncoding m_id;
    const char* m_szKey;      // stored in the profile
    const char* m_szMenuText; // UTF-8
    const char* m_szIcuName;  // null for Automatic
};

const std::vector<STextEncodingInfo>& TextEncodings();
const STextEncodingInfo& TextEncodingInfo(ETextEncoding id);
ETextEncoding TextEncodingFromKey(std::string_view key);

// Automatic detection: valid UTF-8 holding non-ASCII bytes; else a code page
// offered here that the detector (uchardet) names for the bytes; else the
// language folder text\<language>\ of the entry's path (folder names, raw
// bytes); else CP866 unless the bytes read clearly as CP1251 Cyrillic.
ETextEncoding DetectTextEncoding(std::string_view bytes, const std::vector<std::string>& folders);

// Whether s is well-formed UTF-8; nonAscii: whether it holds any byte above 0x7F.
bool IsValidUtf8(std::string_view s, bool* nonAscii = nullptr);

// Decodes to UTF-8 (a UTF-8 byte-order mark is dropped).
std::string DecodeText(std::string_view bytes, ETextEncoding encoding);
