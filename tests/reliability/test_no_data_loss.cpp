// No lost or corrupt data: a file the system writes appears complete under its
// final name or not at all. An agreed replacement survives when the new file
// fails; a symbolic link at a destination is replaced, never written through.
#include "reliability.h"

#include "archive/extract.h"
#include "cli/commands.h"
#include "filetypes/cachepath.h"
#include "filetypes/mvefiletype.h"
#include "helpers.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "views/copyto.h"
#include "../filetypes/handlertest.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A zlib stream that breaks after "HELLO", its first stored block.
SDatEntryDef Damaged(std::string name, std::size_t realSize = 200)
{
    return Def(std::move(name), std::string(realSize, 'z'), [&](SDatEntryDef& d) {
        d.packedBytes = std::string("\x78\x01\x00\x05\x00\xFA\xFF", 7) + "HELLO" + "\x07";
        d.realSize = std::uint32_t(realSize);
    });
}

class NoDataLossTest : public CReliabilityTest
{
protected:
    NoDataLossTest()
    {
        fs::create_directories(m_root + "/outside");
        WriteWholeFile(m_root + "/outside/victim.txt", "the victim's own words");
        m_ui.m_folderAnswer = m_out;
    }
    // Only these names in the output folder: no siblings or scratch files.
    void ExpectOnly(const std::set<std::string>& names) { EXPECT_EQ(FileNames(m_out), names); }
};

TEST_F(NoDataLossTest, CopyAndCacheReplaceLinksInsteadOfWritingThroughThem)
{
    CDatWriter w;
    w.AddStored("linked.txt", "new content");
    w.AddStored("dangling.txt", "new dangling");
    w.AddStored("declined.txt", "never written");
    w.AddStored("color.pal", SmallPalette());
    w.AddStored("pic.frm", SmallFrm());
    Open(w);
    fs::create_symlink("../outside/victim.txt", m_out + "/linked.txt");
    fs::create_symlink("../outside/created.txt", m_out + "/dangling.txt");
    fs::create_symlink("../outside/victim.txt", m_out + "/declined.txt");
    const std::string bmp = CacheFileFor(m_doc->Context(), Entry("pic.frm"), ".bmp"), txt = CacheFileFor(m_doc->Context(), Entry("linked.txt"), "");
    fs::create_symlink(m_root + "/outside/new.bmp", bmp);
    fs::create_symlink(m_root + "/outside/victim.txt", txt);
    const CTreeSnapshot outside = TakeSnapshot(m_root + "/outside");

    m_ui.m_answers = {IDYES, IDYES, IDNO};
    EXPECT_EQ(CopySelectedFiles(*m_doc, Rows({"linked.txt", "dangling.txt", "declined.txt"}), nullptr).m_nWritten, 2);
    RECT pane{0, 0, 640, 480};
    CRecordingDC dc;
    ShowEntry(*m_doc, Entry("pic.frm"), dc, pane);
    ShowEntry(*m_doc, Entry("linked.txt"), dc, pane);
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    EXPECT_EQ(dc.m_dibs.size(), 1u);

    EXPECT_EQ(TakeSnapshot(m_root + "/outside"), outside);
    for (const std::string& path : {m_out + "/linked.txt", m_out + "/dangling.txt", bmp, txt})
        EXPECT_FALSE(fs::is_symlink(path)) << path;
    EXPECT_EQ(ReadWholeFile(m_out + "/linked.txt"), "new content");
    EXPECT_EQ(ReadWholeFile(txt), "new content");
    EXPECT_TRUE(fs::is_symlink(m_out + "/declined.txt"));
}

TEST_F(NoDataLossTest, AnAgreedSaveAsReplacementSurvivesWhenTheNewFileFails)
{
    CDatWriter w;
    w.Add(Damaged("damaged.txt"));
    w.AddStored("bad.frm", "FRM of version 3, which no one draws");
    w.AddStored("color.pal", SmallPalette());
    w.Add(Damaged("damaged.mve", 5000));
    Open(w);
    const std::string target = m_out + "/target";
    Old("target", "the user's file");
    const std::string old = StateOf(target);

    // A write that fails on the way is the extraction tests' (every path is atomic).
    for (const auto& [entry, filter] : {std::pair<const char*, int>{"damaged.txt", 1}, {"bad.frm", 2},
                                        {"damaged.mve", 1}, {"damaged.mve", 2}}) {
        SCOPED_TRACE(std::string(entry) + " filter " + std::to_string(filter));
        CDATInternalFile& item = Entry(entry);
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{target, filter};
        m_ui.m_answers = {IDYES};
        EXPECT_THROW(item.m_pType->SaveAs(m_doc->Context(), &item, nullptr), CException);
        EXPECT_EQ(StateOf(target), old);
        ExpectOnly({"target"});
    }
}

TEST_F(NoDataLossTest, ADamagedMovieReplacesNothingAndLeavesNoProgram)
{
    CDatWriter w;
    w.Add(Damaged("intro.mve", 5000));
    Open(w);
    CDATInternalFile& movie = Entry("intro.mve");
    auto* handler = dynamic_cast<CDAT_MVE_FileType*>(movie.m_pType);
    ASSERT_NE(handler, nullptr);
    Old("intro.exe", "the user's program");
    const std::string old = StateOf(m_out + "/intro.exe");
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(handler->BuildMovieExe(m_doc->Context(), m_out + "/intro.exe", &movie, nullptr), CArchiveException);
    EXPECT_EQ(StateOf(m_out + "/intro.exe"), old);
    ExpectOnly({"intro.exe"});

    // Opened from the cache: nothing is remembered, nothing is started.
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(handler->Open(m_doc->Context(), &movie, nullptr), CArchiveException);
    EXPECT_TRUE(movie.m_strCachePath.empty());
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_FALSE(FileExists(CacheFileFor(m_doc->Context(), movie, ".exe")));
}

TEST_F(NoDataLossTest, MappedExtractionKeepsTheOldFileOfADamagedEntryAndRefusesAFileNamedLikeItsPackedCopy)
{
    CDatWriter w;
    w.Add(Damaged("bad.bin", 5000));
    w.AddCompressed("intro.mve", std::string(5000, 'm'));
    Open(w);
    Old("bad.bin", "old");
    Old("intro.mve.tmp", "the user's own .tmp");
    const std::string oldBad = StateOf(m_out + "/bad.bin"), oldTmp = StateOf(m_out + "/intro.mve.tmp");
    CFile archive(m_archive, CFile::modeRead);
    EXPECT_EQ(ExtractEntryMapped(archive, Entry("bad.bin"), m_out + "/bad.bin", /*keepDamaged=*/false), Z_DATA_ERROR);
    EXPECT_EQ(StateOf(m_out + "/bad.bin"), oldBad);

    auto e = CatchException<CFileException>([&] { ExtractEntryMapped(archive, Entry("intro.mve"), m_out + "/intro.mve"); });
    EXPECT_TRUE(e && e->m_strFileName == m_out + "/intro.mve.tmp");
    // The movie's Save as goes the same way.
    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_out + "/intro.mve", 1};
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(Entry("intro.mve").m_pType->SaveAs(m_doc->Context(), &Entry("intro.mve"), nullptr), CFileException);
    EXPECT_EQ(StateOf(m_out + "/intro.mve.tmp"), oldTmp);
    ExpectOnly({"bad.bin", "intro.mve.tmp"});
}

// The command line writes into folders it makes (the name created outright)
// and into the user's (an unnamed file linked in, or a renamed sibling where
// the file system has no unnamed files): the same files either way.
TEST_F(NoDataLossTest, CommandLineExtractionKeepsUserFilesAndReplacesLinksOnEveryWritePath)
{
    CDatWriter w;
    w.Add(Damaged("keep.txt"));
    w.AddCompressed("link.txt", "linked, now a file");
    w.AddStored("new\\twice.txt", "first");
    w.AddStored("new\\twice.txt", "second");
    w.AddStored("new\\deeper\\d.txt", "deep");
    Open(w);
    for (const bool sibling : {false, true}) {
        SCOPED_TRACE(sibling ? "sibling" : "unnamed");
        if (sibling)
            ::setenv("DRAVIK_NO_TMPFILE", "1", 1);
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        Old("keep.txt", "the user's file");
        const std::string old = StateOf(m_out + "/keep.txt");
        fs::create_symlink("../outside/victim.txt", m_out + "/link.txt");
        EXPECT_EQ(ExtractArchive(m_archive, m_out, {}, 2, false), kExitFailure);
        ::unsetenv("DRAVIK_NO_TMPFILE");
        EXPECT_EQ(StateOf(m_out + "/keep.txt"), old);
        EXPECT_FALSE(fs::is_symlink(m_out + "/link.txt"));
        EXPECT_EQ(ReadWholeFile(m_out + "/link.txt"), "linked, now a file");
        EXPECT_EQ(ReadWholeFile(m_root + "/outside/victim.txt"), "the victim's own words");
        EXPECT_EQ(ReadWholeFile(m_out + "/new/twice.txt"), "second");
        EXPECT_EQ(FilesIn(m_out), (std::set<std::string>{"keep.txt", "link.txt", "new/twice.txt", "new/deeper/d.txt"}));
    }
}

} // namespace
