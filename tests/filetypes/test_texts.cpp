// Text entries: decoding, the zero byte, wrapping and scrolling, the prepared
// text, and the file handed to the desktop.
#include "filetypes/textdecode.h"
#include "handlertest.h"

namespace {

const char kPrivet866[] = "\x8F\xE0\xA8\xA2\xA5\xE2 \xAC\xA8\xE0";
const char kPrivet1251[] = "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0";
const std::string kPrivet = "Привет мир";

TEST(TextDecodeTest, AutomaticDetectionTakesUtf8ThenTheLanguageFolderThenTheBytes)
{
    EXPECT_EQ(DetectTextEncoding(kPrivet, {"text", "english"}), ETextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding(kPrivet866, {}), ETextEncoding::Cp866);
    EXPECT_EQ(DetectTextEncoding(kPrivet1251, {}), ETextEncoding::Cp1251);
    EXPECT_EQ(DetectTextEncoding("plain", {}), ETextEncoding::Cp866);
    // Only a folder right below a folder named text counts, in any letter case.
    EXPECT_EQ(DetectTextEncoding(kPrivet866, {"russian"}), ETextEncoding::Cp866);
    EXPECT_EQ(DetectTextEncoding(kPrivet866, {"data", "TEXT", "Russian", "dialog"}), ETextEncoding::Cp1251);

    const std::pair<const char*, ETextEncoding> languages[] = {
        {"russian", ETextEncoding::Cp1251}, {"ukrainian", ETextEncoding::Cp1251}, {"polish", ETextEncoding::Cp1250},
        {"czech", ETextEncoding::Cp1250},   {"hungarian", ETextEncoding::Cp1250}, {"english", ETextEncoding::Cp1252},
        {"french", ETextEncoding::Cp1252},  {"german", ETextEncoding::Cp1252},    {"italian", ETextEncoding::Cp1252},
        {"spanish", ETextEncoding::Cp1252}, {"portuguese", ETextEncoding::Cp1252}, {"swedish", ETextEncoding::Cp1252},
        {"tchinese", ETextEncoding::Big5},  {"cht", ETextEncoding::Big5},         {"schinese", ETextEncoding::Gbk},
        {"chs", ETextEncoding::Gbk},        {"japanese", ETextEncoding::ShiftJis}, {"korean", ETextEncoding::Cp949},
    };
    for (const auto& [folder, encoding] : languages)
        EXPECT_EQ(DetectTextEncoding("\xA4\xA4", {"text", folder, "game"}), encoding) << folder;
}

TEST(TextDecodeTest, EveryEncodingDecodesItsOwnLetters)
{
    const std::tuple<ETextEncoding, std::string, std::string> cases[] = {
        {ETextEncoding::Cp866, kPrivet866, kPrivet},          {ETextEncoding::Cp1251, kPrivet1251, kPrivet},
        {ETextEncoding::Cp1250, "\x9C\xB9\xB3", "śął"},       {ETextEncoding::Cp1252, "\x80\xE9\xDF", "€éß"},
        {ETextEncoding::Big5, "\xA4\xA4\xA4\xE5", "中文"},     {ETextEncoding::Gbk, "\xD6\xD0\xCE\xC4", "中文"},
        {ETextEncoding::ShiftJis, "\x93\xFA\x96\x7B", "日本"}, {ETextEncoding::Cp949, "\xC7\xD1\xB1\xDB", "한글"},
        {ETextEncoding::Utf8, "\xEF\xBB\xBFok", "ok"},
    };
    for (const auto& [encoding, bytes, text] : cases)
        EXPECT_EQ(DecodeText(bytes, encoding), text) << TextEncodingInfo(encoding).m_szKey;
}

class TextHandlerTest : public HandlerTest
{
protected:
    ~TextHandlerTest() override { SetCurrentTextEncoding(ETextEncoding::Automatic); }

    // The text the pane shows for the entry.
    std::string Text(const std::string& fullPath, RECT pane = {0, 0, 640, 480})
    {
        Show(fullPath, pane);
        return m_dc.m_texts.empty() ? "(nothing)" : m_dc.m_texts.back().text;
    }
};

TEST_F(TextHandlerTest, TextsEndAtAZeroByteShowTheirLettersAndTheChosenEncodingOverrides)
{
    Open(Archive("t.dat", {{"a.txt", std::string("Hello\r\nthere\0hidden", 18)},
                           {"empty.msg", ""},
                           {"old.txt", kPrivet866},
                           {"text\\russian\\dialog\\a.msg", kPrivet1251},
                           {"misc\\b.cfg", kPrivet1251},
                           {"text\\polish\\c.msg", "\x9C\xB9"}}));
    EXPECT_EQ(Text("a.txt"), "Hello\nthere\n\n");
    EXPECT_EQ(Text("empty.msg"), "\n\n");
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes, (std::vector<std::pair<int, int>>{{0, 2 * CRecordingDC::kLineHeight}}));
    EXPECT_EQ(Text("old.txt"), kPrivet + "\n\n");
    EXPECT_EQ(Text("text\\russian\\dialog\\a.msg"), kPrivet + "\n\n");
    EXPECT_EQ(Text("misc\\b.cfg"), kPrivet + "\n\n");
    EXPECT_EQ(Text("text\\polish\\c.msg"), "śą\n\n");

    SetCurrentTextEncoding(ETextEncoding::Cp866);
    EXPECT_EQ(Text("text\\polish\\c.msg"), "Ь╣\n\n"); // the same entry, prepared again
    EXPECT_EQ(Text("misc\\b.cfg"), "╧ЁштхЄ ьшЁ\n\n");
    SetCurrentTextEncoding(ETextEncoding::Automatic);
    EXPECT_EQ(Text("misc\\b.cfg"), kPrivet + "\n\n");
}

TEST_F(TextHandlerTest, LongLinesWrapAndTheScrollExtentIsTheWrappedSize)
{
    std::string line = "word";
    for (int i = 1; i < 100; ++i)
        line += " word";
    Open(Archive("t.dat", {{"long.txt", line + "\r\n"}}));
    Show("long.txt");
    // 16 words fit in 80 characters: 7 lines, then two empty ones for the three line feeds.
    ASSERT_EQ(m_dc.m_texts.size(), 2u);
    EXPECT_EQ(m_dc.m_texts[0].format, unsigned(DT_CALCRECT | DT_WORDBREAK));
    const RECT measured{0, 0, 79 * CRecordingDC::kCharWidth, 9 * CRecordingDC::kLineHeight};
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes, (std::vector<std::pair<int, int>>{{measured.right, measured.bottom}}));
    EXPECT_EQ(m_dc.m_texts[1].format, unsigned(DT_WORDBREAK)); // tabs as they are, '&' as the mnemonic prefix
    EXPECT_EQ(m_dc.m_texts[1].rect, measured);

    Show("long.txt", {0, 0, 320, 480}); // 8 words a line
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes.back().second, (13 + 2) * CRecordingDC::kLineHeight);

    // A window that does not scroll gets the measuring only.
    m_dc.m_wnd.m_bScrollView = false;
    Show("long.txt", {0, 0, 100, 100});
    EXPECT_EQ(m_dc.m_texts.size(), 1u);
    EXPECT_TRUE(m_dc.m_wnd.m_scrollSizes.empty());
}

TEST_F(TextHandlerTest, TextShownAgainKeepsItsPreparationUntilAnotherIsShown)
{
    const std::string archive = Archive("t.dat", {{"a.txt", "first"}, {"b.txt", "second"}});
    Open(archive);
    EXPECT_EQ(Text("a.txt"), "first\n\n");
    const std::string raw = Entry("a.txt")->m_strCachePath;
    EXPECT_EQ(ReadWholeFile(raw), "first");
    WriteWholeFile(raw, "changed");
    EXPECT_EQ(Text("a.txt"), "first\n\n");
    EXPECT_EQ(ReadWholeFile(raw), "changed"); // not extracted again

    // Another entry in between: the raw copy is read again, as it stands.
    Text("b.txt");
    EXPECT_EQ(Text("a.txt"), "changed\n\n");
    // A new document writes the raw copy afresh.
    Open(archive);
    EXPECT_EQ(Text("a.txt"), "first\n\n");
    EXPECT_TRUE(m_ui.m_reports.empty());
}

TEST_F(TextHandlerTest, OpenHandsTheDesktopTheDecodedTextAsUtf8InATxtFile)
{
    Open(Archive("t.dat", {{"text\\russian\\a.msg", kPrivet1251 + std::string("\r\n\r\nend\0junk", 12)}}));
    OpenOutside("text\\russian\\a.msg");
    ASSERT_EQ(m_ui.m_opened.size(), 1u);
    const std::string& path = m_ui.m_opened[0];
    EXPECT_EQ(path.rfind(m_dir.Path(), 0), 0u);
    EXPECT_TRUE(path.ends_with(".txt")) << path;
    EXPECT_EQ(ReadWholeFile(path), kPrivet + "\n\nend");

    m_ui.m_bDesktopWorks = false;
    OpenOutside("text\\russian\\a.msg");
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
}

} // namespace
