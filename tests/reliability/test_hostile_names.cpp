// Entry names are hostile input. Whatever the system writes for an entry (its
// cache file, the name the save dialog offers, copy to a folder, the command
// line's extract) lands inside the folder meant for it under a name the user
// can recognise, and nothing outside that folder is created, replaced or
// deleted. Each test lists a sandbox tree before and after.
#include "reliability.h"

#include "archive/datfiledoc.h"
#include "archive/playerresource.h"
#include "cli/commands.h"
#include "datwriter.h"
#include "fakes.h"
#include "filetypes/cachepath.h"
#include "filetypes/filenames.h"
#include "tempdir.h"
#include "views/copyto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kLong = std::string(255, 'L') + ".txt"; // 259 bytes, the longest name allowed
const std::string kDeep = [] {
    std::string s;
    for (int i = 0; i < 98; ++i)
        s += "d\\";
    return s + "deep.txt"; // 98 backslashes, the most allowed
}();

// Paths outside every test folder that names such as "/tmp/x" aim at.
const char* const kAbsoluteTargets[] = {"/tmp/x", "/tmp/x.txt", "/tmp/x.frm", "/tmp/x.bmp", "/tmp/x.rix",
                                        "/tmp/x.mve", "/tmp/x.exe", "/x", "/x.txt"};

class HostileNamesTest : public ::testing::Test
{
protected:
    // sandbox/ holds sentinels beside and above the folders the system may
    // write to (outer/out, outer/cache, outer/tmp), so "../x" and
    // "a/../../x" from any of them would hit one.
    HostileNamesTest()
    {
        m_root = m_dir.Path().substr(0, m_dir.Path().size() - 1);
        for (const char* d : {"outer", "outer/out", "outer/cache", "outer/tmp", "sentinel", "sentinel/sub"})
            fs::create_directory(m_root + "/" + d);
        for (const char* f : {"x", "x.txt", "x.bmp", "outer/x", "outer/x.txt", "outer/x.bmp", "outer/x.exe",
                              "sentinel/keep.txt", "sentinel/sub/deep.bmp", "tmp_x"})
            WriteWholeFile(m_root + "/" + f, std::string("sentinel ") + f);
        fs::create_directory_symlink("../sentinel", m_root + "/outer/link-to-sentinel");
        m_out = m_root + "/outer/out";
        m_cache = m_root + "/outer/cache";
        m_tmp = m_root + "/outer/tmp";
        for (const char* path : kAbsoluteTargets)
            m_absoluteBefore.push_back(StateOf(path));
        SetPlayerResourceProvider([] { return std::optional<std::string_view>("#!/bin/false\nfake player\n"); });
    }
    ~HostileNamesTest() override { SetPlayerResourceProvider({}); }

    std::string WriteArchive(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::vector<SDatEntryDef> defs;
        for (const auto& [name, data] : entries) {
            SDatEntryDef d;
            d.name = name;
            d.data = data;
            d.compress = true;
            defs.push_back(std::move(d));
        }
        SortEntries(defs);
        CDatWriter w;
        for (SDatEntryDef& d : defs)
            w.Add(std::move(d));
        const std::string path = m_root + "/archive.dat";
        w.WriteTo(path);
        return path;
    }

    void Open(const std::string& archive)
    {
        m_doc = std::make_unique<CDATFileDoc>(false);
        ASSERT_TRUE(m_doc->OpenDocumentFile(archive)) << ::testing::PrintToString(m_ui.m_reports);
        m_doc->m_CashPath.Set(m_cache);
    }

    CDATInternalFile* Entry(const std::string& rawPath)
    {
        for (CDATInternalFile& f : m_doc->m_files) {
            std::string path = f.m_strName;
            for (const CDATFolder* p = f.m_pParent; !p->IsRoot(); p = p->m_pParent)
                path = p->m_strName + "\\" + path;
            if (path == rawPath)
                return &f;
        }
        throw std::runtime_error("no entry " + rawPath);
    }

    // Nothing changed outside `allowed` (relative to the sandbox), nor at the absolute targets.
    void ExpectNothingOutside(const CTreeSnapshot& before, const std::string& allowed)
    {
        EXPECT_EQ(ChangesOutside(before, TakeSnapshot(m_root), {allowed}), std::vector<std::string>{});
        for (std::size_t i = 0; i < std::size(kAbsoluteTargets); ++i)
            EXPECT_EQ(StateOf(kAbsoluteTargets[i]), m_absoluteBefore[i]) << kAbsoluteTargets[i];
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_root, m_out, m_cache, m_tmp;
    std::vector<SPathState> m_absoluteBefore;
    std::unique_ptr<CDATFileDoc> m_doc;
};

std::set<std::string> AsSet(const std::vector<std::string>& v)
{
    return {v.begin(), v.end()};
}

// ---------------------------------------------------------------- the mapping

TEST(EntryNameForDiskTest, MapsEveryHostileNameToOneRecognisableFileName)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "_"},
        {".", "_"},
        {"..", "_"},
        {"/", "_"},
        {"../x", ".._x"},
        {"/tmp/x", "_tmp_x"},
        {"a/../../x", "a_.._.._x"},
        {"ctl\x01\x1F\x7F.txt", "ctl___.txt"},
        {"tab\tnew\nline", "tab_new_line"},
        {"...", "..."},
        {" .", " ."},
        {"\x98" "bad\xFF.txt", "\xEF\xBF\xBD" "bad\xD1\x8F.txt"},   // 0x98 is no character in CP1251
        {"\xCF\xF0\xE8\xE2\xE5\xF2.msg", "Привет.msg"},
    };
    for (const auto& [raw, disk] : cases)
        EXPECT_EQ(EntryNameForDisk(raw), disk) << ::testing::PrintToString(raw);
}

TEST(EntryNameForDiskTest, LongNamesAreCutBelowNameMaxKeepingExtensionAndStayingApart)
{
    const std::regex shape("L{227}~[0-9A-F]{8}\\.txt");
    const std::string a = EntryNameForDisk(kLong);
    EXPECT_TRUE(std::regex_match(a, shape)) << a;
    const std::string b = EntryNameForDisk(std::string(254, 'L') + "M.txt");
    EXPECT_TRUE(std::regex_match(b, shape)) << b;
    EXPECT_NE(a, b);
    // 259 bytes that each decode to two: cut at a character boundary.
    const std::string cyrillic = EntryNameForDisk(std::string(255, '\xC0') + ".frm");
    EXPECT_LE(cyrillic.size(), 240u);
    EXPECT_EQ(cyrillic.substr(cyrillic.size() - 4), ".frm");
    EXPECT_EQ(cyrillic.substr(0, 4), "АА");
    const std::string::size_type tilde = cyrillic.rfind('~');
    ASSERT_NE(tilde, std::string::npos);
    EXPECT_EQ(tilde % 2, 0u) << "cut inside a character";
}

// ---------------------------------------------------------------- cache files

TEST_F(HostileNamesTest, CacheFilesOfHostileEntriesStayInTheArchivesCacheFolder)
{
    const std::string text = "text\r\n";
    Open(WriteArchive({
        {"color.pal", SmallPalette()},
        {"..\\x1.txt", text},
        {"..\\..\\x2.frm", SmallFrm()},
        {"/tmp\\x3.rix", SmallRix()},
        {"a/..\\..\\x4.txt", text},
        {"../x5.txt", text},
        {"/tmp/x6.frm", SmallFrm()},
        {"a/../../x7.rix", SmallRix()},
        {"\\x8.txt", text},
        {"b\\\\x9.txt", text},
        {"ctl\x01\x1F\x7F.txt", text},
        {"\x98" "bad\xFF.txt", text},
        {".txt", text},
        {kLong, text},
        {kDeep, text},
        {std::string(130, '\xC0') + ".frm", SmallFrm()},
        {"..\\m.mve", "not really a movie"},
    }));
    const std::string archiveFolder = ArchiveCacheFolder().substr(m_cache.size() + 1);
    const std::string base = "outer/cache/";
    const CTreeSnapshot before = TakeSnapshot(m_root);

    RECT pane{0, 0, 640, 480};
    CQuietDC dc;
    for (CDATInternalFile& f : m_doc->m_files) {
        if (f.m_pType->m_strExtension == "mve") {
            m_ui.m_answers.push_back(IDYES);
            f.m_pType->Open(&f, nullptr);
        } else {
            f.Draw(&dc, &pane);
        }
    }
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(dc.m_nDibs, 5);

    std::set<std::string> expected = {"_/x1.txt", "_/_/x2.bmp", "_tmp/x3.bmp", "a_../_/x4.txt", ".._x5.txt",
                                      "_tmp_x6.bmp", "a_.._.._x7.bmp", "_/x8.txt", "b/_/x9.txt", "ctl___.txt",
                                      "\xEF\xBF\xBD" "bad\xD1\x8F.txt", ".txt", EntryNameForDisk(kLong),
                                      ReplaceExtension(EntryNameForDisk(std::string(130, '\xC0') + ".frm"), ".bmp"),
                                      "_/m.exe"};
    std::string deep;
    for (int i = 0; i < 98; ++i)
        deep += "d/";
    expected.insert(deep + "deep.txt");
    std::set<std::string> files;
    for (const std::string& added : AddedBelow(before, TakeSnapshot(m_root), "outer/cache/" + archiveFolder.substr(0, archiveFolder.size() - 1)))
        if (!fs::is_directory(ArchiveCacheFolder() + added))
            files.insert(added);
    EXPECT_EQ(files, expected);
    ExpectNothingOutside(before, base.substr(0, base.size() - 1));
}

TEST_F(HostileNamesTest, ALinkOrFileWhereACacheFolderBelongsIsRefusedNotFollowed)
{
    Open(WriteArchive({{"color.pal", SmallPalette()}, {"..\\x.frm", SmallFrm()}, {"sub\\y.txt", "y"}}));
    const std::string archiveFolder = ArchiveCacheFolder();
    fs::create_directories(archiveFolder);
    fs::create_directory_symlink(m_root + "/sentinel", archiveFolder + "_");
    WriteWholeFile(archiveFolder + "sub", "a file where a folder belongs");
    const CTreeSnapshot before = TakeSnapshot(m_root);

    RECT pane{0, 0, 640, 480};
    CQuietDC dc;
    Entry("..\\x.frm")->Draw(&dc, &pane);
    Entry("sub\\y.txt")->Draw(&dc, &pane);
    ASSERT_EQ(m_ui.m_reports.size(), 2u);
    for (const std::string& report : m_ui.m_reports)
        EXPECT_NE(report.find("a file or link stands where a cache folder belongs"), std::string::npos) << report;
    EXPECT_EQ(dc.m_nDibs, 0);
    ExpectNothingOutside(before, "");
    EXPECT_EQ(TakeSnapshot(m_root), before);
}

// ---------------------------------------------------------------- save as

TEST_F(HostileNamesTest, SaveDialogOffersTheMappedNameAndTheSaveLandsInTheChosenFolder)
{
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"color.pal", SmallPalette()}, {"", "empty name"},         {".", "dot"},           {"..", "dot dot"},
        {"../x", "up"},                {"/tmp/x", "absolute"},     {"a/../../x", "a up up"}, {"sub\\..", "folder up"},
        {"../x.txt", "text"},          {"/tmp/x.frm", SmallFrm()}, {"a/../../x.rix", SmallRix()},
        {"../x.mve", "movie bytes"},   {"ctl\x01.txt", "ctl"},     {kLong, "long"},
    };
    Open(WriteArchive(entries));
    const CTreeSnapshot before = TakeSnapshot(m_root);

    std::set<std::string> offered;
    for (CDATInternalFile& f : m_doc->m_files) {
        if (&f == m_doc->m_pPaletteEntry)
            continue;
        m_ui.m_saveDialogs.clear();
        m_ui.m_saveAnswer.reset();
        f.m_pType->SaveAs(&f, nullptr);
        ASSERT_EQ(m_ui.m_saveDialogs.size(), 1u) << f.m_strName;
        const std::string initial = m_ui.m_saveDialogs[0].second;
        EXPECT_EQ(initial, EntryNameForDisk(f.m_strName));
        offered.insert(initial);

        // The user keeps the offered name in the chosen folder; the movie and
        // the text are written unpacked, the pictures as themselves.
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_out + "/" + initial, 1};
        if (f.m_pType->m_strExtension == "mve")
            m_ui.m_answers.push_back(IDYES);
        f.m_pType->SaveAs(&f, nullptr);
        EXPECT_TRUE(FileExists(m_out + "/" + initial)) << initial;
    }
    EXPECT_EQ(offered, (std::set<std::string>{"_", ".._x", "_tmp_x", "a_.._.._x", ".._x.txt", "_tmp_x.frm",
                                              "a_.._.._x.rix", ".._x.mve", "ctl_.txt", EntryNameForDisk(kLong)}));
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(AsSet(AddedBelow(before, TakeSnapshot(m_root), "outer/out")), offered);
    ExpectNothingOutside(before, "outer/out");
}

// ---------------------------------------------------------------- open (temporary files)

TEST_F(HostileNamesTest, OpenWritesOnlyIntoTheTemporaryFolder)
{
    Open(WriteArchive({{"color.pal", SmallPalette()},
                       {"../x.txt", "text"},
                       {"/tmp/x.frm", SmallFrm()},
                       {"..\\..\\x.rix", SmallRix()},
                       {"...txt", "dots"}}));
    const CTreeSnapshot before = TakeSnapshot(m_root);
    ::setenv("TMPDIR", m_tmp.c_str(), 1);
    for (CDATInternalFile& f : m_doc->m_files)
        if (&f != m_doc->m_pPaletteEntry)
            f.m_pType->Open(&f, nullptr);
    ::unsetenv("TMPDIR");
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    ASSERT_EQ(m_ui.m_opened.size(), 4u);
    for (const std::string& opened : m_ui.m_opened) {
        EXPECT_EQ(fs::path(opened).parent_path(), fs::path(m_tmp)) << opened;
        EXPECT_TRUE(FileExists(opened)) << opened;
    }
    ExpectNothingOutside(before, "outer/tmp");
}

// ---------------------------------------------------------------- copy to a folder

TEST_F(HostileNamesTest, CopyToAFolderWritesEveryEntryInsideItUnderItsMappedName)
{
    Open(WriteArchive({{"", "empty"},
                       {".", "dot"},
                       {"..", "dot dot"},
                       {"../x", "up"},
                       {"/tmp/x", "absolute"},
                       {"a/../../x", "a up up"},
                       {"..\\y", "in a folder named .."},
                       {"ctl\x01\x1F", "control"},
                       {"\x98" "bad", "invalid byte"},
                       {kLong, "long"},
                       {kDeep, "deep"}}));
    m_doc->m_listing.clear();
    std::vector<int> rows;
    for (CDATInternalFile& f : m_doc->m_files) {
        rows.push_back(int(m_doc->m_listing.size()));
        m_doc->m_listing.push_back(&f);
    }
    m_ui.m_folderAnswer = m_out;
    const CTreeSnapshot before = TakeSnapshot(m_root);

    const SCopyResult result = CopySelectedFiles(*m_doc, rows, nullptr);
    // "", "." and ".." all become "_": the second and third ask, and are declined.
    EXPECT_EQ(result.m_nWritten, 9);
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(AsSet(AddedBelow(before, TakeSnapshot(m_root), "outer/out")),
              (std::set<std::string>{"_", ".._x", "_tmp_x", "a_.._.._x", "y", "ctl__", "\xEF\xBF\xBD" "bad",
                                     EntryNameForDisk(kLong), "deep.txt"}));
    EXPECT_EQ(ReadWholeFile(m_out + "/_"), "empty");
    ExpectNothingOutside(before, "outer/out");
}

// ---------------------------------------------------------------- the command line

TEST_F(HostileNamesTest, CommandLineExtractRefusesWhatCannotStandInsideTheFolder)
{
    const std::string archive = WriteArchive({{"", "empty"},
                                              {".", "dot"},
                                              {"..", "dot dot"},
                                              {"../x", "up"},
                                              {"/tmp/x", "absolute"},
                                              {"a/../../x", "a up up"},
                                              {"..\\x", "folder up"},
                                              {".\\x", "folder dot"},
                                              {"\\x", "empty folder"},
                                              {"ctl\x01\x1F", "control"},
                                              {"\x98" "bad", "invalid byte"},
                                              {"good.txt", "good"},
                                              {kLong, "long"},
                                              {kDeep, "deep"}});
    const CTreeSnapshot before = TakeSnapshot(m_root);
    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(archive, m_out, {}); });
    EXPECT_EQ(status, kExitFailure);
    for (const char* refused : {"''", "'.'", "'..'", "'../x'", "'/tmp/x'", "'a/../../x'", "'..\\x'", "'.\\x'", "'\\x'"})
        EXPECT_NE(err.find(std::string(refused) + " refused"), std::string::npos) << refused << "\n" << err;
    EXPECT_NE(err.find("longer than 255 bytes"), std::string::npos) << err;
    std::string deep;
    for (int i = 0; i < 98; ++i)
        deep += "d/";
    std::set<std::string> files;
    for (const std::string& added : AddedBelow(before, TakeSnapshot(m_root), "outer/out"))
        if (!fs::is_directory(m_out + "/" + added))
            files.insert(added);
    EXPECT_EQ(files, (std::set<std::string>{"ctl\x01\x1F", "\xEF\xBF\xBD" "bad", "good.txt", deep + "deep.txt"}));
    ExpectNothingOutside(before, "outer/out");
}

} // namespace
