// Entry names are hostile input. Whatever the system writes for an entry (its
// cache file, the name the save dialog offers, copy to a folder, the command
// line's extract) lands inside the folder meant for it under a name the user
// can recognise, and nothing outside that folder is created, replaced or
// deleted. Each test lists the sandbox before and after.
#include "reliability.h"

#include "cli/commands.h"
#include "filetypes/cachepath.h"
#include "archive/filenames.h"
#include "helpers.h"
#include "views/copyto.h"
#include "../filetypes/handlertest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <regex>

namespace {

namespace fs = std::filesystem;

const std::string kLong = std::string(255, 'L') + ".txt"; // 259 bytes, the longest name allowed
std::string Repeat(const std::string& part, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += part;
    return s;
}
const std::string kDeep = Repeat("d\\", 98) + "deep.txt"; // 98 backslashes, the most allowed
const std::string kBad = "\xEF\xBF\xBD" "bad"; // "\x98bad": 0x98 is no character in CP1251

// Paths outside every test folder that names such as "/tmp/x" aim at.
const char* const kAbsoluteTargets[] = {"/tmp/x", "/tmp/x.txt", "/tmp/x.frm", "/tmp/x.bmp", "/tmp/x.rix",
                                        "/tmp/x.mve", "/tmp/x.exe", "/x", "/x.txt"};

class HostileNamesTest : public CReliabilityTest
{
protected:
    // Sentinels beside and above the folders the system may write to (out,
    // cache), so that "../x" or "a/../../x" from any of them would hit one.
    HostileNamesTest()
    {
        for (const char* d : {"sentinel", "sentinel/sub"})
            fs::create_directory(m_root + "/" + d);
        for (const char* f : {"x", "x.txt", "x.bmp", "x.exe", "sentinel/keep.txt", "sentinel/sub/deep.bmp", "tmp_x"})
            WriteWholeFile(m_root + "/" + f, std::string("sentinel ") + f);
        fs::create_directory_symlink("sentinel", m_root + "/link-to-sentinel");
        for (const char* path : kAbsoluteTargets)
            m_absoluteBefore.push_back(StateOf(path));
    }

    // Entries compressed and sorted as the game's tools write them.
    void OpenEntries(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::vector<SDatEntryDef> defs;
        for (const auto& [name, data] : entries)
            defs.push_back(Def(name, data, [](SDatEntryDef& d) { d.compress = true; }));
        SortEntries(defs);
        CDatWriter w;
        for (SDatEntryDef& d : defs)
            w.Add(std::move(d));
        Open(w);
        m_before = TakeSnapshot(m_root);
    }

    // The files added below allowed; nothing changed elsewhere, nor at the absolute targets.
    std::set<std::string> AddedOnlyBelow(const std::string& allowed)
    {
        const CTreeSnapshot after = TakeSnapshot(m_root);
        EXPECT_EQ(ChangesOutside(m_before, after, allowed), std::vector<std::string>{});
        for (std::size_t i = 0; i < std::size(kAbsoluteTargets); ++i)
            EXPECT_EQ(StateOf(kAbsoluteTargets[i]), m_absoluteBefore[i]) << kAbsoluteTargets[i];
        std::set<std::string> added; // files, not folders
        for (const auto& [path, state] : after)
            if (!m_before.count(path) && path.rfind(allowed + "/", 0) == 0 && !fs::is_directory(m_root + "/" + path))
                added.insert(path.substr(allowed.size() + 1));
        return added;
    }

    std::vector<std::string> m_absoluteBefore;
    CTreeSnapshot m_before;
};

// The names the tests below do not meet on their way to the disk.
TEST(EntryNameForDiskTest, MapsEveryHostileNameToOneRecognisableFileName)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/", "_"}, {"tab\tnew\nline", "tab_new_line"}, {"...", "..."}, {" .", " ."},
        {"\x98" "bad\xFF.txt", kBad + "\xD1\x8F.txt"}, {"\xCF\xF0\xE8\xE2\xE5\xF2.msg", "Привет.msg"}};
    for (const auto& [raw, disk] : cases)
        EXPECT_EQ(EntryNameForDisk(raw), disk) << ::testing::PrintToString(raw);
}

TEST(EntryNameForDiskTest, LongNamesAreCutBelowNameMaxKeepingExtensionAndStayingApart)
{
    const std::regex shape("L{227}~[0-9A-F]{8}\\.txt");
    const std::string a = EntryNameForDisk(kLong), b = EntryNameForDisk(std::string(254, 'L') + "M.txt");
    EXPECT_TRUE(std::regex_match(a, shape)) << a;
    EXPECT_TRUE(std::regex_match(b, shape)) << b;
    EXPECT_NE(a, b);
    // 259 bytes that each decode to two: cut at a character boundary.
    const std::string cyrillic = EntryNameForDisk(std::string(255, '\xC0') + ".frm");
    EXPECT_LE(cyrillic.size(), 240u);
    EXPECT_EQ(cyrillic.substr(cyrillic.size() - 4), ".frm");
    EXPECT_EQ(cyrillic.substr(0, 4), "АА");
    ASSERT_NE(cyrillic.rfind('~'), std::string::npos);
    EXPECT_EQ(cyrillic.rfind('~') % 2, 0u) << "cut inside a character";
}

TEST_F(HostileNamesTest, CacheFilesOfHostileEntriesStayInTheArchivesCacheFolder)
{
    const std::string text = "text\r\n";
    OpenEntries({{"color.pal", SmallPalette()}, {"..\\..\\x2.frm", SmallFrm()}, {"/tmp\\x3.rix", SmallRix()},
                 {"a/..\\..\\x4.txt", text}, {"../x5.txt", text},      {"/tmp/x6.frm", SmallFrm()},
                 {"a/../../x7.rix", SmallRix()}, {"\\x8.txt", text},   {"b\\\\x9.txt", text},
                 {"ctl\x01\x1F\x7F.txt", text},  {"\x98" "bad.txt", text}, {".txt", text},
                 {kLong, text},                  {kDeep, text},        {"..\\m.mve", "not really a movie"}});
    RECT pane{0, 0, 640, 480};
    CRecordingDC dc;
    for (CDATInternalFile& f : m_doc->m_files) {
        if (f.m_pType->m_strExtension != "mve") {
            ShowEntry(*m_doc, f, dc, pane);
            continue;
        }
        m_ui.m_answers.push_back(IDYES);
        f.m_pType->Open(m_doc->Context(), &f, nullptr);
    }
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(dc.m_dibs.size(), 4u);
    const std::size_t archiveFolder = ArchiveCacheFolder(m_doc->Context()).size() - (m_root + "/cache/").size();
    std::set<std::string> files;
    for (const std::string& added : AddedOnlyBelow("cache"))
        files.insert(added.substr(archiveFolder));
    // One file of its own for every entry, however its name was mangled.
    EXPECT_EQ(files.size(), m_doc->m_files.size() - 1) << ::testing::PrintToString(files);
    EXPECT_EQ(files.count(Repeat("d/", 98) + "deep.txt"), 1u);
    for (const std::string& file : files)
        EXPECT_LE(fs::path(file).filename().string().size(), 255u) << file;
}

TEST_F(HostileNamesTest, ALinkOrFileWhereACacheFolderBelongsIsRefusedNotFollowed)
{
    OpenEntries({{"color.pal", SmallPalette()}, {"art\\x.frm", SmallFrm()}, {"sub\\y.txt", "y"}});
    const std::string archiveFolder = ArchiveCacheFolder(m_doc->Context());
    fs::create_directories(archiveFolder);
    fs::create_directory_symlink(m_root + "/sentinel", archiveFolder + "art");
    WriteWholeFile(archiveFolder + "sub", "a file where a folder belongs");
    m_before = TakeSnapshot(m_root);

    RECT pane{0, 0, 640, 480};
    CRecordingDC dc;
    ShowEntry(*m_doc, Entry("art\\x.frm"), dc, pane);
    ShowEntry(*m_doc, Entry("sub\\y.txt"), dc, pane);
    ASSERT_EQ(m_ui.m_reports.size(), 2u);
    for (const std::string& report : m_ui.m_reports)
        EXPECT_NE(report.find("a file or link stands where a cache folder belongs"), std::string::npos) << report;
    EXPECT_TRUE(dc.m_dibs.empty());
    EXPECT_EQ(AddedOnlyBelow(""), std::set<std::string>{});
}

TEST_F(HostileNamesTest, SaveDialogOffersTheMappedNameAndTheSaveLandsInTheChosenFolder)
{
    OpenEntries({{"color.pal", SmallPalette()}, {"", "empty name"},       {"..", "dot dot"},
                 {"/tmp/x", "absolute"},        {"sub\\..", "folder up"}, {"../x.txt", "text"},
                 {"/tmp/x.frm", SmallFrm()},    {"a/../../x.rix", SmallRix()}, {"../x.mve", "movie bytes"},
                 {"ctl\x01.txt", "ctl"},        {kLong, "long"}});
    std::set<std::string> offered;
    for (CDATInternalFile& f : m_doc->m_files) {
        if (&f == m_doc->m_pPaletteEntry)
            continue;
        m_ui.m_saveDialogs.clear();
        m_ui.m_saveAnswer.reset();
        f.m_pType->SaveAs(m_doc->Context(), &f, nullptr);
        ASSERT_EQ(m_ui.m_saveDialogs.size(), 1u) << f.m_strName;
        const std::string initial = m_ui.m_saveDialogs[0].second;
        EXPECT_EQ(initial, EntryNameForDisk(f.m_strName));
        offered.insert(initial);
        // The user keeps the offered name in the chosen folder.
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_out + "/" + initial, 1};
        if (f.m_pType->m_strExtension == "mve")
            m_ui.m_answers.push_back(IDYES);
        f.m_pType->SaveAs(m_doc->Context(), &f, nullptr);
    }
    EXPECT_EQ(offered, (std::set<std::string>{"_", "_tmp_x", ".._x.txt", "_tmp_x.frm", "a_.._.._x.rix", ".._x.mve",
                                              "ctl_.txt", EntryNameForDisk(kLong)}));
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(AddedOnlyBelow("out"), offered);
}

TEST_F(HostileNamesTest, CopyToAFolderWritesEveryEntryInsideItUnderItsMappedName)
{
    OpenEntries({{"", "empty"},          {".", "dot"},          {"..", "dot dot"},
                 {"../x", "up"},         {"/tmp/x", "absolute"}, {"a/../../x", "a up up"},
                 {"..\\y", "in a folder named .."}, {"ctl\x01\x1F", "control"}, {"\x98" "bad", "invalid byte"},
                 {kLong, "long"},        {kDeep, "deep"}});
    std::vector<int> rows(m_doc->m_files.size());
    std::iota(rows.begin(), rows.end(), 0);
    m_ui.m_folderAnswer = m_out;
    // "", "." and ".." all become "_": the second and third ask, and are declined.
    EXPECT_EQ(CopySelectedFiles(*m_doc, rows, nullptr).m_nWritten, 9);
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(AddedOnlyBelow("out"), (std::set<std::string>{"_", ".._x", "_tmp_x", "a_.._.._x", "y", "ctl__", kBad,
                                                            EntryNameForDisk(kLong), "deep.txt"}));
    EXPECT_EQ(ReadWholeFile(m_out + "/_"), "empty");
}

TEST_F(HostileNamesTest, CommandLineExtractRefusesWhatCannotStandInsideTheFolderAndFollowsNoLink)
{
    OpenEntries({{"", "empty"},           {".", "dot"},           {"..", "dot dot"},       {"../x", "up"},
                 {"/tmp/x", "absolute"},  {"a/../../x", "a up"},  {"..\\x", "folder up"},  {".\\x", "folder dot"},
                 {"\\x", "empty folder"}, {"ctl\x01\x1F", "ctl"}, {"\x98" "bad", "bad"},   {"good.txt", "good"},
                 {kLong, "long"},         {kDeep, "deep"},        {std::string(130, '\xC0') + ".txt", "264 decoded"},
                 {"lnk\\deeper\\in.txt", "through a link"}, {"x.txt", "replaces the link"},
                 {"clash\\in.txt", "needs a folder"},      {"dir", "a folder is in the way"},
                 {"self.dat", "would replace the archive"}});
    // On disk: links to a folder and a file outside, a file where a folder
    // belongs, a folder where a file does, and the archive itself.
    fs::create_directory_symlink("../sentinel", m_out + "/lnk");
    fs::create_symlink("../x.txt", m_out + "/x.txt");
    WriteWholeFile(m_out + "/clash", "a file");
    fs::create_directory(m_out + "/dir");
    fs::create_hard_link(m_archive, m_out + "/self.dat");
    m_before = TakeSnapshot(m_root);
    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, m_out, {}); });
    EXPECT_EQ(status, kExitFailure);
    for (const char* refused : {"''", "'.'", "'..'", "'../x'", "'/tmp/x'", "'a/../../x'", "'..\\x'", "'.\\x'", "'\\x'",
                                "'lnk\\deeper\\in.txt'", "'clash\\in.txt'", "'dir'", "'self.dat'"})
        EXPECT_NE(err.find(std::string(refused) + " refused"), std::string::npos) << refused << "\n" << err;
    EXPECT_NE(err.find("longer than 255 bytes"), std::string::npos) << err;
    EXPECT_EQ(err.find("stopped"), std::string::npos) << err;
    EXPECT_EQ(AddedOnlyBelow("out"),
              (std::set<std::string>{"ctl\x01\x1F", kBad, "good.txt", Repeat("d/", 98) + "deep.txt"}));
    EXPECT_FALSE(fs::is_symlink(m_out + "/x.txt")); // replaced, not written through
    EXPECT_EQ(ReadWholeFile(m_out + "/x.txt"), "replaces the link");
}

} // namespace
