// No lost or corrupt data: a file the system writes appears complete under its
// final name or not at all. A failed or cancelled copy run keeps what it wrote
// before; a declined replacement is never touched; an agreed one survives when
// the new file fails; a symbolic link at a destination is never followed out
// of the destination folder.
#include "reliability.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "archive/playerresource.h"
#include "cli/commands.h"
#include "datwriter.h"
#include "fakes.h"
#include "filetypes/cachepath.h"
#include "filetypes/mvefiletype.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "tempdir.h"
#include "views/copyto.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Bytes that do not shrink, so a compressed entry's stream is as long as its data.
std::string Noise(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(gen());
    return s;
}

// A zlib stream that breaks after its first stored block.
SDatEntryDef Damaged(std::string name, std::size_t realSize = 200)
{
    SDatEntryDef d;
    d.name = std::move(name);
    d.data = std::string(realSize, 'z');
    d.packedBytes = std::string("\x78\x01\x00\x05\x00\xFA\xFF", 7) + "HELLO" + "\x07";
    d.realSize = std::uint32_t(realSize);
    return d;
}

class NoDataLossTest : public ::testing::Test
{
protected:
    NoDataLossTest()
    {
        m_root = m_dir.Path().substr(0, m_dir.Path().size() - 1);
        m_out = m_root + "/out";
        fs::create_directories(m_out);
        fs::create_directories(m_root + "/outside");
        WriteWholeFile(m_root + "/outside/victim.txt", "the victim's own words");
        m_ui.m_folderAnswer = m_out;
        SetPlayerResourceProvider([] { return std::optional<std::string_view>("#!/bin/false\nfake player\n"); });
    }
    ~NoDataLossTest() override { SetPlayerResourceProvider({}); }

    void Open(CDatWriter& w)
    {
        m_archive = m_root + "/archive.dat";
        w.WriteTo(m_archive);
        m_doc = std::make_unique<CDATFileDoc>(false);
        ASSERT_TRUE(m_doc->OpenDocumentFile(m_archive));
        m_doc->m_CashPath.Set(m_root + "/cache");
        m_doc->m_listing.clear();
        for (CDATInternalFile& f : m_doc->m_files)
            m_doc->m_listing.push_back(&f);
    }

    CDATInternalFile* Entry(const std::string& name)
    {
        for (CDATInternalFile& f : m_doc->m_files)
            if (f.m_strName == name)
                return &f;
        throw std::runtime_error("no entry " + name);
    }

    // Rows of the listing for the named entries, in the order given.
    std::vector<int> Rows(const std::vector<std::string>& names)
    {
        std::vector<int> rows;
        for (const std::string& name : names)
            for (std::size_t i = 0; i < m_doc->m_listing.size(); ++i)
                if (m_doc->m_listing[i]->GetName() == name)
                    rows.push_back(int(i));
        return rows;
    }

    // An old file with a distinct past modification time.
    void Old(const std::string& name, const std::string& content)
    {
        const std::string path = m_out + "/" + name;
        WriteWholeFile(path, content);
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(24 * 365));
    }

    // Only these names in the folder: no siblings or scratch files left over.
    void ExpectOnly(const std::string& folder, std::set<std::string> names)
    {
        std::set<std::string> found;
        for (const auto& e : fs::directory_iterator(folder))
            found.insert(e.path().filename().string());
        EXPECT_EQ(found, names);
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_root, m_out, m_archive;
    std::unique_ptr<CDATFileDoc> m_doc;
};

// ---------------------------------------------------------------- copy to a folder

TEST_F(NoDataLossTest, ACancelledCopyKeepsEveryFileWrittenBeforeComplete)
{
    CDatWriter w;
    w.AddCompressed("a.txt", std::string(70000, 'a'));
    w.AddStored("b.txt", Noise(50000, 1));
    w.AddStored("c.txt", "c");
    w.AddStored("d.txt", "d");
    Open(w);
    m_ui.m_progressLog.cancelAtPoll = {2};
    m_ui.m_answers = {IDYES};
    const SCopyResult result = CopySelectedFiles(*m_doc, Rows({"a.txt", "b.txt", "c.txt", "d.txt"}), nullptr);
    EXPECT_TRUE(result.m_bStopped);
    EXPECT_EQ(result.m_nWritten, 2);
    EXPECT_EQ(ReadWholeFile(m_out + "/a.txt"), std::string(70000, 'a'));
    EXPECT_EQ(ReadWholeFile(m_out + "/b.txt"), Noise(50000, 1));
    ExpectOnly(m_out, {"a.txt", "b.txt"});
}

TEST_F(NoDataLossTest, AWriteErrorEndsTheCopyKeepingEarlierFilesAndTheFileItWouldReplace)
{
    CDatWriter w;
    w.AddStored("a.txt", "small and first");
    w.AddStored("big.txt", Noise(300000, 2));
    w.AddStored("c.txt", "never reached");
    Open(w);
    Old("big.txt", "the user's big.txt");
    Old("c.txt", "the user's c.txt");
    const SPathState oldBig = StateOf(m_out + "/big.txt"), oldC = StateOf(m_out + "/c.txt");
    m_ui.m_answers = {IDYES};
    {
        CFileSizeLimit limit(100000);
        EXPECT_THROW(CopySelectedFiles(*m_doc, Rows({"a.txt", "big.txt", "c.txt"}), nullptr), CFileException);
    }
    EXPECT_EQ(ReadWholeFile(m_out + "/a.txt"), "small and first");
    EXPECT_EQ(StateOf(m_out + "/big.txt"), oldBig);
    EXPECT_EQ(StateOf(m_out + "/c.txt"), oldC);
    ExpectOnly(m_out, {"a.txt", "big.txt", "c.txt"});
}

TEST_F(NoDataLossTest, DeclinedReplacementsAreNeverTouchedAgreedOnesSurviveDamage)
{
    CDatWriter w;
    w.AddStored("keep.txt", "new keep");
    w.Add(Damaged("damaged.txt"));
    w.Add(Damaged("declined-damaged.txt"));
    w.AddStored("take.txt", "new take");
    Open(w);
    Old("keep.txt", "old keep");
    Old("damaged.txt", "old damaged");
    Old("declined-damaged.txt", "old declined");
    Old("take.txt", "old take");
    const SPathState keep = StateOf(m_out + "/keep.txt"), damaged = StateOf(m_out + "/damaged.txt"),
                     declined = StateOf(m_out + "/declined-damaged.txt");
    m_ui.m_answers = {IDNO, IDYES, IDNO, IDYES};
    const SCopyResult result =
        CopySelectedFiles(*m_doc, Rows({"keep.txt", "damaged.txt", "declined-damaged.txt", "take.txt"}), nullptr);
    EXPECT_EQ(result.m_nWritten, 1);
    EXPECT_EQ(result.m_damaged, std::vector<std::string>{"damaged.txt"});
    EXPECT_EQ(StateOf(m_out + "/keep.txt"), keep);
    EXPECT_EQ(StateOf(m_out + "/damaged.txt"), damaged);
    EXPECT_EQ(StateOf(m_out + "/declined-damaged.txt"), declined);
    EXPECT_EQ(ReadWholeFile(m_out + "/take.txt"), "new take");
    ExpectOnly(m_out, {"keep.txt", "damaged.txt", "declined-damaged.txt", "take.txt"});
}

TEST_F(NoDataLossTest, CopyReplacesALinkAtTheDestinationInsteadOfWritingThroughIt)
{
    CDatWriter w;
    w.AddStored("linked.txt", "new content");
    w.AddStored("dangling.txt", "new dangling");
    w.AddStored("declined.txt", "never written");
    Open(w);
    fs::create_symlink("../outside/victim.txt", m_out + "/linked.txt");
    fs::create_symlink("../outside/created.txt", m_out + "/dangling.txt");
    fs::create_symlink("../outside/victim.txt", m_out + "/declined.txt");
    const CTreeSnapshot outside = TakeSnapshot(m_root + "/outside");
    m_ui.m_answers = {IDYES, IDYES, IDNO};
    const SCopyResult result = CopySelectedFiles(*m_doc, Rows({"linked.txt", "dangling.txt", "declined.txt"}), nullptr);
    EXPECT_EQ(result.m_nWritten, 2);
    EXPECT_EQ(TakeSnapshot(m_root + "/outside"), outside);
    EXPECT_FALSE(fs::is_symlink(m_out + "/linked.txt"));
    EXPECT_EQ(ReadWholeFile(m_out + "/linked.txt"), "new content");
    EXPECT_EQ(ReadWholeFile(m_out + "/dangling.txt"), "new dangling");
    EXPECT_TRUE(fs::is_symlink(m_out + "/declined.txt"));
}

// ---------------------------------------------------------------- save as

TEST_F(NoDataLossTest, AnAgreedSaveAsReplacementSurvivesWhenTheNewFileFails)
{
    CDatWriter w;
    w.Add(Damaged("damaged.txt"));
    w.AddStored("big.txt", Noise(300000, 3));
    SDatEntryDef frm;
    frm.name = "bad.frm";
    frm.data = "FRM of version 3, which no one draws";
    w.Add(frm);
    w.AddStored("color.pal", SmallPalette());
    SDatEntryDef movie = Damaged("damaged.mve", 5000);
    w.Add(movie);
    Open(w);
    const std::string target = m_out + "/target";
    Old("target", "the user's file");
    const SPathState old = StateOf(target);

    struct SCase
    {
        const char* entry;
        int filter;
        std::size_t sizeLimit; // 0: none
    };
    for (const SCase& c : {SCase{"damaged.txt", 1, 0}, SCase{"big.txt", 1, 100000}, SCase{"bad.frm", 2, 0},
                           SCase{"damaged.mve", 1, 0}, SCase{"damaged.mve", 2, 0}}) {
        SCOPED_TRACE(std::string(c.entry) + " filter " + std::to_string(c.filter));
        CDATInternalFile* item = Entry(c.entry);
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{target, c.filter};
        m_ui.m_answers = {IDYES};
        std::unique_ptr<CFileSizeLimit> limit;
        if (c.sizeLimit)
            limit = std::make_unique<CFileSizeLimit>(c.sizeLimit);
        EXPECT_THROW(item->m_pType->SaveAs(item, nullptr), CException);
        limit.reset();
        EXPECT_EQ(StateOf(target), old);
        ExpectOnly(m_out, {"target"});
    }
}

// ---------------------------------------------------------------- movies

TEST_F(NoDataLossTest, ADamagedMovieReplacesNothingAndLeavesNoProgram)
{
    CDatWriter w;
    w.Add(Damaged("intro.mve", 5000));
    Open(w);
    CDATInternalFile* movie = Entry("intro.mve");
    auto* handler = dynamic_cast<CDAT_MVE_FileType*>(movie->m_pType);
    ASSERT_NE(handler, nullptr);
    Old("intro.exe", "the user's program");
    const SPathState old = StateOf(m_out + "/intro.exe");
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(handler->BuildMovieExe(m_out + "/intro.exe", movie, nullptr), CArchiveException);
    EXPECT_EQ(StateOf(m_out + "/intro.exe"), old);
    ExpectOnly(m_out, {"intro.exe"});

    // Opened from the cache: nothing is remembered, nothing is started.
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(handler->Open(movie, nullptr), CArchiveException);
    EXPECT_TRUE(movie->m_strCachePath.empty());
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_FALSE(FileExists(CacheFileFor(*movie, ".exe")));
}

// ---------------------------------------------------------------- cache

TEST_F(NoDataLossTest, CacheFilesReplaceLinksInTheirPlaceAndNeverWriteThroughThem)
{
    CDatWriter w;
    w.AddStored("color.pal", SmallPalette());
    w.AddStored("pic.frm", SmallFrm());
    w.AddStored("note.txt", "a note");
    Open(w);
    const std::string bmp = CacheFileFor(*Entry("pic.frm"), ".bmp");
    const std::string txt = CacheFileFor(*Entry("note.txt"), "");
    fs::create_symlink(m_root + "/outside/new.bmp", bmp);
    fs::create_symlink(m_root + "/outside/victim.txt", txt);
    const CTreeSnapshot outside = TakeSnapshot(m_root + "/outside");

    RECT pane{0, 0, 640, 480};
    CQuietDC dc;
    Entry("pic.frm")->Draw(&dc, &pane);
    Entry("note.txt")->Draw(&dc, &pane);
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(dc.m_nDibs, 1);
    EXPECT_EQ(TakeSnapshot(m_root + "/outside"), outside);
    EXPECT_FALSE(fs::is_symlink(bmp));
    EXPECT_FALSE(fs::is_symlink(txt));
    EXPECT_EQ(ReadWholeFile(txt), "a note");
}

// ---------------------------------------------------------------- the command line

TEST_F(NoDataLossTest, CommandLineExtractReplacesLinksAndRefusesLinkedFolders)
{
    CDatWriter w;
    w.AddStored("file.txt", "new file");
    w.AddStored("sub\\inner.txt", "inner");
    SDatEntryDef impossible = Damaged("impossible.txt");
    impossible.realSize = 1000000; // more than 13 packed bytes can ever hold
    w.Add(impossible);
    const std::string archive = m_root + "/archive.dat";
    w.WriteTo(archive);
    fs::create_symlink("../outside/victim.txt", m_out + "/file.txt");
    fs::create_directory_symlink("../outside", m_out + "/sub");
    Old("impossible.txt", "the user's impossible.txt");
    const SPathState old = StateOf(m_out + "/impossible.txt");
    const CTreeSnapshot outside = TakeSnapshot(m_root + "/outside");

    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(archive, m_out, {}); });
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.find("is a symbolic link"), std::string::npos) << err;
    EXPECT_NE(err.find("nothing was written to '" + m_out + "/impossible.txt'"), std::string::npos) << err;
    EXPECT_EQ(TakeSnapshot(m_root + "/outside"), outside);
    EXPECT_FALSE(fs::is_symlink(m_out + "/file.txt"));
    EXPECT_EQ(ReadWholeFile(m_out + "/file.txt"), "new file");
    EXPECT_EQ(StateOf(m_out + "/impossible.txt"), old);
}

// ---------------------------------------------------------------- the mapped path

TEST_F(NoDataLossTest, MappedExtractionOfADamagedEntryKeepsTheOldFileWhenAsked)
{
    CDatWriter w;
    w.Add(Damaged("bad.bin", 5000));
    Open(w);
    Old("bad.bin", "old");
    const SPathState old = StateOf(m_out + "/bad.bin");
    CFile archive(m_archive, CFile::modeRead);
    EXPECT_EQ(ExtractEntryMapped(archive, *Entry("bad.bin"), m_out + "/bad.bin", /*keepDamaged=*/false), Z_DATA_ERROR);
    EXPECT_EQ(StateOf(m_out + "/bad.bin"), old);
    ExpectOnly(m_out, {"bad.bin"});
    // Kept on request (the command line): real-size bytes, zeros after the damage.
    EXPECT_EQ(ExtractEntryMapped(archive, *Entry("bad.bin"), m_out + "/bad.bin"), Z_DATA_ERROR);
    EXPECT_EQ(ReadWholeFile(m_out + "/bad.bin"), "HELLO" + std::string(4995, '\0'));
}

TEST_F(NoDataLossTest, AFileNamedLikeThePackedCopyIsRefusedNotReplaced)
{
    CDatWriter w;
    w.AddCompressed("intro.mve", std::string(5000, 'm'));
    Open(w);
    Old("intro.mve.tmp", "the user's own .tmp");
    const SPathState old = StateOf(m_out + "/intro.mve.tmp");
    CDATInternalFile* movie = Entry("intro.mve");
    CFile archive(m_archive, CFile::modeRead);
    try {
        ExtractEntryMapped(archive, *movie, m_out + "/intro.mve");
        ADD_FAILURE() << "the packed copy replaced a file";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_strFileName, m_out + "/intro.mve.tmp");
    }
    // The movie's Save as goes the same way.
    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_out + "/intro.mve", 1};
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(movie->m_pType->SaveAs(movie, nullptr), CFileException);
    EXPECT_EQ(StateOf(m_out + "/intro.mve.tmp"), old);
    ExpectOnly(m_out, {"intro.mve.tmp"});
}

} // namespace
