#include "formats/textdecode.h"

#include "platform/codepage.h"
#include "platform/hostservices.h"
#include "platform/uitext.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <uchardet.h>

namespace {

// Well-formed UTF-8 (as DecodeText makes it) to code points.
std::u32string DecodeUtf8ToCodePoints(std::string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : b & (0x7F >> len);
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += c;
        i += len;
    }
    return out;
}

struct SLanguage
{
    const char* folder;
    ETextEncoding encoding;
};

const SLanguage kLanguages[] = {
    {"russian", ETextEncoding::Cp1251},   {"ukrainian", ETextEncoding::Cp1251}, {"polish", ETextEncoding::Cp1250},
    {"czech", ETextEncoding::Cp1250},     {"hungarian", ETextEncoding::Cp1250}, {"english", ETextEncoding::Cp1252},
    {"french", ETextEncoding::Cp1252},    {"german", ETextEncoding::Cp1252},    {"italian", ETextEncoding::Cp1252},
    {"spanish", ETextEncoding::Cp1252},   {"portuguese", ETextEncoding::Cp1252}, {"swedish", ETextEncoding::Cp1252},
    {"tchinese", ETextEncoding::Big5},    {"cht", ETextEncoding::Big5},         {"schinese", ETextEncoding::Gbk},
    {"chs", ETextEncoding::Gbk},          {"japanese", ETextEncoding::ShiftJis}, {"korean", ETextEncoding::Cp949},
};

// The detector's verdicts that name a page offered here, or one that holds
// the same letters where they matter (ISO-8859-1 and -2 against their
// Windows pages); anything else it says is no verdict.
const std::pair<const char*, ETextEncoding> kVerdicts[] = {
    {"WINDOWS-1250", ETextEncoding::Cp1250}, {"ISO-8859-2", ETextEncoding::Cp1250},
    {"WINDOWS-1251", ETextEncoding::Cp1251}, {"IBM866", ETextEncoding::Cp866},
    {"WINDOWS-1252", ETextEncoding::Cp1252}, {"ISO-8859-1", ETextEncoding::Cp1252},
    {"ISO-8859-15", ETextEncoding::Cp1252},  {"BIG5", ETextEncoding::Big5},
    {"GB18030", ETextEncoding::Gbk},         {"SHIFT_JIS", ETextEncoding::ShiftJis},
    {"EUC-KR", ETextEncoding::Cp949},        {"UHC", ETextEncoding::Cp949},
};

// Folder names compare with ASCII letters folded, as archive names do.
bool EqualFolder(std::string_view a, std::string_view b)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return fold(x) == fold(y); });
}

bool IsDoubleByte(ETextEncoding e)
{
    return e == ETextEncoding::Big5 || e == ETextEncoding::Gbk || e == ETextEncoding::ShiftJis ||
           e == ETextEncoding::Cp949;
}

// What uchardet makes of the bytes. Runs of one repeated byte (the frames
// and rules drawn in comments) say nothing of the language and mislead it.
std::optional<ETextEncoding> DetectorVerdict(std::string_view bytes)
{
    std::string kept;
    kept.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (i < 2 || bytes[i] != bytes[i - 1] || bytes[i] != bytes[i - 2])
            kept += bytes[i];
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), kept.data(), kept.size()) != 0)
        return std::nullopt;
    uchardet_data_end(detector.get());
    const std::string_view verdict = uchardet_get_charset(detector.get());
    for (const auto& [name, encoding] : kVerdicts) {
        if (verdict != name)
            continue;
        // A guess from a few letters often reads them as signs (the CP1250 of
        // "śął" as CP1252's "œ¹³"): the verdict counts when most of what the
        // bytes above 0x7F become are letters.
        const SHostServices* host = HostServices();
        std::size_t high = 0, letters = 0;
        for (char32_t c : DecodeUtf8ToCodePoints(DecodeText(kept, encoding)))
            if (c > 0x7F) {
                ++high;
                letters += !host || host->m_pfnIsLetter(c) ? 1 : 0;
            }
        if (letters * 2 > high)
            return encoding;
    }
    return std::nullopt;
}

} // namespace

bool IsValidUtf8(std::string_view s, bool* nonAscii)
{
    if (nonAscii)
        *nonAscii = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (nonAscii)
            *nonAscii = true;
        int len = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || c == 0xC0 || c == 0xC1 || c > 0xF4 || i + std::size_t(len) > s.size())
            return false;
        for (int k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + std::size_t(k)]) & 0xC0) != 0x80)
                return false;
        i += std::size_t(len);
    }
    return true;
}

const std::vector<STextEncodingInfo>& TextEncodings()
{
    static const std::vector<STextEncodingInfo> list = {
        {ETextEncoding::Automatic, "auto", DRAVIK_TR_NOOP("Core", "Автоматически"), nullptr},
        {ETextEncoding::Utf8, "utf-8", "UTF-8", "UTF-8"},
        {ETextEncoding::Cp866, "cp866", "DOS (866)", "IBM866"},
        {ETextEncoding::Cp1250, "cp1250", DRAVIK_TR_NOOP("Core", "Центральноевропейская (1250)"), "windows-1250"},
        {ETextEncoding::Cp1251, "cp1251", DRAVIK_TR_NOOP("Core", "Кириллица (1251)"), "windows-1251"},
        {ETextEncoding::Cp1252, "cp1252", DRAVIK_TR_NOOP("Core", "Западноевропейская (1252)"), "windows-1252"},
        {ETextEncoding::Big5, "big5", DRAVIK_TR_NOOP("Core", "Китайская традиционная (Big5)"), "Big5"},
        {ETextEncoding::Gbk, "gbk", DRAVIK_TR_NOOP("Core", "Китайская упрощённая (GBK)"), "GBK"},
        {ETextEncoding::ShiftJis, "shift_jis", DRAVIK_TR_NOOP("Core", "Японская (Shift-JIS)"), "Shift_JIS"},
        {ETextEncoding::Cp949, "cp949", DRAVIK_TR_NOOP("Core", "Корейская (949)"), "windows-949"},
    };
    return list;
}

const STextEncodingInfo& TextEncodingInfo(ETextEncoding id)
{
    for (const STextEncodingInfo& info : TextEncodings())
        if (info.m_id == id)
            return info;
    return TextEncodings().front();
}

ETextEncoding TextEncodingFromKey(std::string_view key)
{
    for (const STextEncodingInfo& info : TextEncodings())
        if (key == info.m_szKey)
            return info.m_id;
    return ETextEncoding::Automatic;
}

ETextEncoding DetectTextEncoding(std::string_view bytes, const std::vector<std::string>& folders)
{
    bool nonAscii = false;
    if (IsValidUtf8(bytes, &nonAscii) && nonAscii)
        return ETextEncoding::Utf8;
    std::optional<ETextEncoding> folder;
    for (std::size_t i = 0; i + 1 < folders.size() && !folder; ++i) {
        if (!EqualFolder(folders[i], "text"))
            continue;
        for (const SLanguage& language : kLanguages)
            if (EqualFolder(folders[i + 1], language.folder))
                folder = language.encoding;
    }
    // The bytes first: texts of one language are often kept under another's
    // folder. Latin letters with accents often pass for double-byte
    // characters, so such a verdict does not overrule a single-byte folder.
    if (const std::optional<ETextEncoding> verdict = DetectorVerdict(bytes))
        if (!folder || !IsDoubleByte(*verdict) || IsDoubleByte(*folder))
            return *verdict;
    if (folder)
        return *folder;
    // CP866 keeps its letters in 0x80-0xAF and 0xE0-0xEF and box drawing in
    // between; CP1251 keeps its letters in 0xC0-0xFF.
    std::size_t high = 0, upper1251 = 0, letters866Only = 0;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            continue;
        ++high;
        if (c >= 0xC0)
            ++upper1251;
        if (c < 0xB0)
            ++letters866Only;
    }
    if (high > 0 && upper1251 * 10 >= high * 7 && upper1251 > 2 * letters866Only)
        return ETextEncoding::Cp1251;
    return ETextEncoding::Cp866;
}

std::string DecodeText(std::string_view bytes, ETextEncoding encoding)
{
    if (encoding == ETextEncoding::Automatic)
        encoding = ETextEncoding::Cp866;
    if (encoding == ETextEncoding::Utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (encoding == ETextEncoding::Cp866)
        return DecodeToUtf8(bytes, CodePage::Cp866);
    if (encoding == ETextEncoding::Cp1251)
        return DecodeToUtf8(bytes, CodePage::Cp1251);
    std::string text;
    const SHostServices* host = HostServices();
    if (!host || !host->m_pfnDecode(TextEncodingInfo(encoding).m_szIcuName, bytes, text))
        return DecodeToUtf8(bytes, CodePage::Cp1251);
    return text;
}
