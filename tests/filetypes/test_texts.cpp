// Text entries: decoding, the zero byte, wrapping and scrolling, the prepared
// text, the user's choice per archive, and the file handed to the desktop.
#include "filetypes/hexpreview.h"
#include "filetypes/palfiletype.h"
#include "filetypes/previews.h"
#include "filetypes/textencoding.h"
#include "frmwriter.h"
#include "handlertest.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/profile.h"

#include <QStringEncoder>

namespace {

const char kPrivet866[] = "\x8F\xE0\xA8\xA2\xA5\xE2 \xAC\xA8\xE0";
const char kPrivet1251[] = "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0";
const std::string kPrivet = "Привет мир";

// text in a code page, through Qt's own encoders.
std::string Encode(const std::string& text, const char* page)
{
    QStringEncoder encoder(page);
    const QByteArray bytes = encoder.encode(QString::fromStdString(text));
    return std::string(bytes.data(), std::size_t(bytes.size()));
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

TEST_F(TextHandlerTest, AutomaticReadsTheBytesBeforeTheLanguageFolder)
{
    const std::tuple<const char*, std::string, const char*> cases[] = {
        // Translations kept under another language's folder.
        {"text\\english\\pl.msg", "{1}{}{Dwugłowy strażnik mówi, że ścieżka przez bagna jest zbyt groźna.}",
         "windows-1250"},
        {"text\\english\\cs.msg", "{1}{}{Strážce říká, že cesta přes bažiny je příliš nebezpečná a dlouhá.}",
         "windows-1250"},
        {"text\\english\\ru.msg", "{1}{}{Стражник говорит, что дорога через болота слишком опасна.}", "windows-1251"},
        {"text\\english\\utf8.msg", "{1}{}{Привет, ąę}", "utf-8"},
        // Where the bytes say little, the folder decides; elsewhere the bytes as before.
        {"text\\german\\de.msg", "{1}{}{Der Wächter sagt, dass der Weg über die Sümpfe zu gefährlich ist.}",
         "windows-1252"},
        {"text\\polish\\short.msg", "śął", "windows-1250"},
        {"data\\TEXT\\Russian\\dialog\\a.msg", kPrivet, "windows-1251"},
        {"misc\\b.cfg", kPrivet, "windows-1251"},
        {"old.txt", kPrivet, "IBM866"},
    };
    Entries entries;
    for (const auto& [entry, text, page] : cases)
        entries.emplace_back(entry, Encode(text, page));
    Open(Archive("t.dat", entries));
    for (const auto& [entry, text, page] : cases)
        EXPECT_EQ(Text(entry), text + "\n\n") << entry;
}

TEST_F(TextHandlerTest, TextsEndAtAZeroByteAndTheChosenEncodingIsRememberedPerArchive)
{
    const Entries entries = {{"a.txt", std::string("Hello\r\nthere\0hidden", 18)},
                             {"empty.msg", ""},
                             {"text\\polish\\c.msg", "\x9C\xB9"}};
    const std::string first = Archive("t.dat", entries), second = Archive("u.dat", entries);
    Open(first);
    EXPECT_EQ(Text("a.txt"), "Hello\nthere\n\n");
    EXPECT_EQ(Text("empty.msg"), "\n\n");
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes, (std::vector<std::pair<int, int>>{{0, 2 * CRecordingDC::kLineHeight}}));
    EXPECT_EQ(Text("text\\polish\\c.msg"), "śą\n\n");

    ChooseTextEncoding(ETextEncoding::Cp866, m_doc->ArchivePath());
    EXPECT_EQ(Text("text\\polish\\c.msg"), "Ь╣\n\n"); // the same entry, prepared again
    // Another archive keeps the global choice; the first keeps its own in a later run.
    Open(second);
    EXPECT_EQ(Text("text\\polish\\c.msg"), "śą\n\n");
    Open(first);
    EXPECT_EQ(CurrentTextEncoding(m_doc->ArchivePath()), ETextEncoding::Cp866);
    ChooseTextEncoding(ETextEncoding::Automatic, m_doc->ArchivePath());
    EXPECT_EQ(Text("text\\polish\\c.msg"), "śą\n\n");
}

TEST_F(TextHandlerTest, TheTextIsMeasuredWrappedAndTheScrollExtentIsTheMeasuredSize)
{
    Open(Archive("t.dat", {{"long.txt", std::string(100, 'w') + "\r\nshort"}}));
    Show("long.txt");
    // Two lines, the second ended by the line feeds added; at most the pane wide.
    ASSERT_EQ(m_dc.m_texts.size(), 2u);
    EXPECT_EQ(m_dc.m_texts[0].format, unsigned(DT_CALCRECT | DT_WORDBREAK));
    const RECT measured{0, 0, 640, 3 * CRecordingDC::kLineHeight};
    EXPECT_EQ(m_dc.m_wnd.m_scrollSizes, (std::vector<std::pair<int, int>>{{measured.right, measured.bottom}}));
    EXPECT_EQ(m_dc.m_texts[1].format, unsigned(DT_WORDBREAK)); // tabs as they are, '&' as the mnemonic prefix
    EXPECT_EQ(m_dc.m_texts[1].rect, measured);
}

TEST_F(TextHandlerTest, ANewDocumentWritesTheRawCopyAfresh)
{
    const std::string archive = Archive("t.dat", {{"a.txt", "first"}});
    Open(archive);
    EXPECT_EQ(Text("a.txt"), "first\n\n");
    WriteWholeFile(Entry("a.txt")->m_strCachePath, "stale");
    Open(archive);
    EXPECT_EQ(Text("a.txt"), "first\n\n");
}

TEST_F(TextHandlerTest, OpenHandsTheDesktopTheWholeEntryAsUtf8UnderItsOwnName)
{
    const std::string tail("\r\n\r\nend\0after the zero", 22);
    Open(Archive("t.dat", {{"text\\russian\\intro.msg", kPrivet1251 + tail}, {"other\\intro.msg", "other"}}));
    auto opened = std::make_unique<COpenedFiles>(); // as the application owns it
    const std::string path = OpenOutside("text\\russian\\intro.msg");
    const std::string folder = opened->Folder();
    EXPECT_EQ(path, folder + "intro.txt");
    EXPECT_EQ(ReadWholeFile(path), kPrivet + std::string("\n\nend\0after the zero", 20));
    // A same-named entry of another folder gets a name of its own; nothing else lies there.
    EXPECT_EQ(OpenOutside("other\\intro.msg"), folder + "intro~2.txt");
    EXPECT_EQ(FileNames(folder), (std::set<std::string>{"intro.txt", "intro~2.txt"}));

    m_ui.m_bDesktopWorks = false;
    OpenOutside("text\\russian\\intro.msg");
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
    opened.reset();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// Keeps the rows a pane would show of clip.
class CRowsDC : public CRecordingDC
{
public:
    RECT GetClipBox() const override { return m_clip; }
    void TextOut(int, int, std::string_view text) override { m_rows.emplace_back(text); }
    RECT m_clip{};
    std::vector<std::string> m_rows;
};

TEST_F(TextHandlerTest, OtherTypesShowTheirTextOrAnyRowOfTheirBytesInHex)
{
    std::string bytes(9u << 20, '\0'); // past two restart points of the compressed copy
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i / 3) ^ (i >> 13));
    const std::string head = bytes.substr(0, 20);
    Open(Archive("o.dat", {{"opts.ini", "[Sound]\r\nvolume=5\r\n"}, {"packed.sve", bytes}, {"tiny.bin", std::string("AB\0\xFF", 4)}},
                 {Def("stored.bin", bytes), Def("bad.bin", bytes, [](SDatEntryDef& d) { d.packedBytes = "x\x9c\xFF\x01"; }),
                  Def("past.bin", head, [](SDatEntryDef& d) { d.offset = 1u << 30; })}));
    EXPECT_EQ(dynamic_cast<CTextPreview&>(*MakePreviewNow(m_doc->Context(), *Entry("opts.ini"))).Text(),
              "[Sound]\nvolume=5\n\n\n");
    EXPECT_EQ(FormatHexRow(0x1F0, reinterpret_cast<const unsigned char*>("AB\0\xFF"), 4),
              "000001F0  41 42 00 FF" + std::string(38, ' ') + "AB..");
    for (const char* name : {"packed.sve", "stored.bin", "tiny.bin"}) {
        SCOPED_TRACE(name);
        const std::string& data = std::string(name) == "tiny.bin" ? std::string("AB\0\xFF", 4) : bytes;
        auto preview = MakePreviewNow(m_doc->Context(), *Entry(name));
        auto& hex = dynamic_cast<CHexPreview&>(*preview);
        CRowsDC dc;
        const int height = hex.Layout(dc, {0, 0, 640, 480}).m_nHeight;
        EXPECT_EQ(height, 8 + int(hex.Rows()) * CRecordingDC::kLineHeight);
        for (std::uint64_t row : {std::uint64_t(0), std::min(hex.Rows() / 2 + 1, hex.Rows() - 1), hex.Rows() - 1}) {
            const int top = 4 + int(row) * CRecordingDC::kLineHeight;
            dc.m_clip = {0, top, 640, top + CRecordingDC::kLineHeight};
            dc.m_rows.clear();
            hex.Draw(dc);
            const std::size_t at = std::size_t(row) * 16;
            const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + at;
            EXPECT_EQ(dc.m_rows, std::vector<std::string>{FormatHexRow(at, p, std::min<std::size_t>(16, data.size() - at))});
        }
        EXPECT_LT(hex.Bytes(), 2u << 20);
    }
    for (const char* name : {"bad.bin", "past.bin"})
        EXPECT_THROW(MakePreviewNow(m_doc->Context(), *Entry(name)), CException) << name;
}

TEST_F(TextHandlerTest, PalettesShowTheirColoursAndMarkTheCycledOnes)
{
    Palette63 plain = DemoPalette();
    plain[37] = {63, 0, 16};
    Open(Archive("p.dat", {{"plain.pal", BuildPalette(plain)}, {"game.pal", BuildPalette(CyclingPalette())}}));
    const std::tuple<const char*, int, std::string> cases[] = {
        {"plain.pal", 37, "37: 252, 0, 64"},
        {"game.pal", 240, "240: 144, 40, 8  \u21BB 238\u2013242"},
        {"game.pal", 254, "254: 16, 0, 0  \u21BB 254\u2013254"},
    };
    for (const auto& [name, index, hint] : cases) {
        auto preview = MakePreviewNow(m_doc->Context(), *Entry(name));
        auto& grid = dynamic_cast<CPalettePreview&>(*preview);
        CRecordingDC dc;
        grid.Layout(dc, {0, 40, 400, 440});
        const RECT cell = grid.CellRect(index);
        EXPECT_EQ(grid.HintAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2), hint);
        EXPECT_EQ(grid.HintAt(cell.left, 0), "");
        dc.Clear();
        grid.Draw(dc);
        // The grid's frame, and one per cycled cell of the game's palette.
        EXPECT_EQ(dc.m_frames.size(), grid.Cycles() ? 27u : 1u) << name;
    }
}

} // namespace

