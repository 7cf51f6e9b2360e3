// Text entries over hostile bytes. The first input byte chooses the encoding
// the user set (Automatic included), the second the entry's folders (none, or
// text\<language>\); the rest are the entry's bytes. Every encoding decodes
// them to valid UTF-8, and the prepared text has plain line ends.
#include "archive/datitem.h"
#include "filetypes/textencoding.h"
#include "filetypes/txtfiletype.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const kLanguages[] = {"russian", "polish", "english", "tchinese", "schinese", "japanese", "korean", "klingon"};

// One entry per language folder, plus one at the root.
struct SEntries
{
    SEntries()
    {
        for (const char* language : kLanguages) {
            languages.emplace_back(language, 2, &text, 0);
            entries.emplace_back(&languages.back(), 3, "a.txt", 0, 0, 0, nullptr);
        }
        entries.emplace_back(&root, 1, "a.txt", 0, 0, 0, nullptr);
    }
    CDATFolder root{std::string(), 0, nullptr, 0};
    CDATFolder text{"text", 1, &root, 0};
    std::deque<CDATFolder> languages;
    std::deque<CDATInternalFile> entries;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SEntries s;
    if (size < 2)
        return 0;
    const std::vector<STextEncodingInfo>& encodings = TextEncodings();
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    for (const STextEncodingInfo& info : encodings)
        if (!IsValidUtf8(DecodeText(bytes, info.m_id)))
            std::abort();
    std::vector<std::string> folders = {"text", kLanguages[data[1] % std::size(kLanguages)]};
    const ETextEncoding detected = DetectTextEncoding(bytes, data[1] & 0x80 ? std::vector<std::string>() : folders);
    if (detected == ETextEncoding::Automatic)
        std::abort();

    SetCurrentTextEncoding(encodings[data[0] % encodings.size()].m_id);
    const CDATInternalFile& entry = s.entries[data[1] % s.entries.size()];
    const std::string text = PrepareEntryText(bytes, entry);
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\n\n") != 0 || text.find('\r') != std::string::npos ||
        !IsValidUtf8(text))
        std::abort();
    return 0;
}
