#include "filetypes/textdecode.h"

#include "archive/namecompare.h"
#include "platform/codepage.h"

#include <QStringDecoder>

namespace {

ETextEncoding g_current = ETextEncoding::Automatic;
unsigned g_generation = 0;

bool IsValidUtf8(std::string_view s, bool& nonAscii)
{
    nonAscii = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
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

} // namespace

const std::vector<STextEncodingInfo>& TextEncodings()
{
    static const std::vector<STextEncodingInfo> list = {
        {ETextEncoding::Automatic, "auto", "Автоматически", nullptr},
        {ETextEncoding::Utf8, "utf-8", "UTF-8", "UTF-8"},
        {ETextEncoding::Cp866, "cp866", "DOS (866)", "IBM866"},
        {ETextEncoding::Cp1250, "cp1250", "Центральноевропейская (1250)", "windows-1250"},
        {ETextEncoding::Cp1251, "cp1251", "Кириллица (1251)", "windows-1251"},
        {ETextEncoding::Cp1252, "cp1252", "Западноевропейская (1252)", "windows-1252"},
        {ETextEncoding::Big5, "big5", "Китайская традиционная (Big5)", "Big5"},
        {ETextEncoding::Gbk, "gbk", "Китайская упрощённая (GBK)", "GBK"},
        {ETextEncoding::ShiftJis, "shift_jis", "Японская (Shift-JIS)", "Shift_JIS"},
        {ETextEncoding::Cp949, "cp949", "Корейская (949)", "windows-949"},
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

ETextEncoding CurrentTextEncoding()
{
    return g_current;
}

void SetCurrentTextEncoding(ETextEncoding encoding)
{
    if (encoding != g_current) {
        g_current = encoding;
        ++g_generation;
    }
}

unsigned TextEncodingGeneration()
{
    return g_generation;
}

ETextEncoding DetectTextEncoding(std::string_view bytes, const std::vector<std::string>& folders)
{
    bool nonAscii = false;
    if (IsValidUtf8(bytes, nonAscii) && nonAscii)
        return ETextEncoding::Utf8;
    for (std::size_t i = 0; i + 1 < folders.size(); ++i) {
        if (!EqualNames(folders[i], "text"))
            continue;
        for (const SLanguage& language : kLanguages)
            if (EqualNames(folders[i + 1], language.folder))
                return language.encoding;
    }
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
    QStringDecoder decoder(TextEncodingInfo(encoding).m_szIcuName);
    if (!decoder.isValid())
        return DecodeToUtf8(bytes, CodePage::Cp1251);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return text.toStdString();
}
