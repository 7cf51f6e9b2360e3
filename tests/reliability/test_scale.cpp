// Scale and limits: archives over 2 GiB and 4 GiB (sparse files), offsets and
// sizes near 2^32 - 1, 200,000 entries, and an entry of 4 GiB - 1 bytes.
// Correct results or clear refusals; never a wrapped size or an allocation
// that cannot succeed.
#include "reliability.h"

#include "archive/extract.h"
#include "cli/commands.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"
#include "helpers.h"
#include "views/copyto.h"
#include "../filetypes/handlertest.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <numeric>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;

struct SRawDef
{
    std::string name;
    std::uint32_t realSize, packedSize, offset;
    std::uint8_t flag;
    std::string bytes; // written at offset
};

std::uint64_t g_freeKB = 0; // what the file system reports free
std::uint64_t FixedFreeSpace(const std::string&) { return g_freeKB; }

class ScaleTest : public CReliabilityTest
{
protected:
    ~ScaleTest() override { SetFreeSpaceProbe(nullptr); }

    // A sparse archive of `length` bytes: each entry's bytes at its offset, the
    // directory exactly as given at the end. False when the file system cannot make it.
    bool SparseArchive(std::uint64_t length, const std::vector<SRawDef>& entries)
    {
        if (!MakeSparseFile(m_archive, length))
            return false;
        CDatWriter w; // no data region: the directory and trailer alone
        for (const SRawDef& e : entries) {
            if (!e.bytes.empty())
                WriteAt(m_archive, e.offset, e.bytes);
            w.Add(Def(e.name, "", [&](SDatEntryDef& d) {
                d.packedBytes = "", d.realSize = e.realSize, d.packedSize = e.packedSize, d.offset = e.offset;
                d.flag = e.flag;
            }));
        }
        const std::string tail = w.Build(Options({}, {}, 0xFFFFFFFFu)); // the archive counts as loaded
        WriteAt(m_archive, length - tail.size(), tail);
        return true;
    }
};

TEST_F(ScaleTest, EntriesAcrossTheTwoAndFourGiBMarksReadBackExactly)
{
    const std::string packed = std::string(50, 'p') + " compressed past two GiB";
    SetFreeSpaceProbe(&FixedFreeSpace);
    g_freeKB = std::uint64_t(1) << 40; // room for anything: the archive side must refuse
    for (const std::uint64_t length : {2 * kGiB + 65536, 4 * kGiB + 65536}) {
        SCOPED_TRACE("archive of " + std::to_string(length) + " bytes");
        std::vector<SRawDef> entries = {
            {"low.txt", 3, 3, 0, 0, "low"},
            {"across2.txt", 8, 8, 0x7FFFFFFCu, 0, "midpoint"},
            {"packed.txt", std::uint32_t(packed.size()), std::uint32_t(Zlib(packed).size()), 0x80001000u, 1,
             Zlib(packed)},
            {"beyond.txt", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, ""},
        };
        if (length > 4 * kGiB) { // the two share the sixteen bytes below 2^32, as entries may
            entries.push_back({"across4.txt", 0x200, 0x200, 0xFFFFFF00u, 0,
                               std::string(0xF0, 'w') + "the last sixteen" + std::string(0x100, 'w')});
            entries.push_back({"top.txt", 16, 16, 0xFFFFFFF0u, 0, "the last sixteen"});
        }
        if (!SparseArchive(length, entries))
            GTEST_SKIP() << "the file system of " << m_dir.Path() << " cannot make sparse files";
        OpenPath(m_archive);
        ASSERT_EQ(m_doc->m_files.size(), entries.size());
        char offset[16];
        Entry("beyond.txt").GetOffsetText(offset, sizeof offset);
        EXPECT_STREQ(offset, "4294967295");

        CFile archive(m_archive, CFile::modeRead);
        std::set<std::string> good;
        for (const SRawDef& def : entries) {
            SCOPED_TRACE(def.name);
            const CDATInternalFile& entry = Entry(def.name);
            if (def.name == "beyond.txt") { // offset + size is 2^33 - 2: past the end, never wrapped into range
                EXPECT_THROW(ReadEntryData(archive, entry), CFileException);
                EXPECT_THROW(CopyEntryBytes(archive, entry, m_out + "/beyond.txt"), CFileException);
                auto e = CatchException<CFileException>(
                    [&] { Extract(archive, entry, m_out + "/beyond.txt", {.m_whole = EWholeEntry::kMapped}); });
                EXPECT_TRUE(e && e->m_side == CFileException::archiveSide); // the entry's damage, not the destination's
                continue;
            }
            good.insert(def.name);
            const std::string expected = def.name == "packed.txt" ? packed : def.bytes;
            EXPECT_EQ(ReadEntryData(archive, entry), expected);
            EXPECT_EQ(ExtractEntryMapped(archive, entry, m_root + "/mapped"), 1);
            EXPECT_EQ(ReadWholeFile(m_root + "/mapped"), expected);
        }

        // Copy to a folder and the command line: every good entry, the bad one reported.
        std::vector<int> rows(entries.size());
        std::iota(rows.begin(), rows.end(), 0);
        m_ui.m_folderAnswer = m_out;
        const SCopyResult copied = CopySelectedFiles(*m_doc, rows, nullptr);
        EXPECT_EQ(copied.m_damaged, std::vector<std::string>{"beyond.txt"});
        m_doc.reset();
        const std::string cli = m_root + "/cli";
        int status = -1;
        const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, cli, {}); });
        EXPECT_EQ(status, kExitFailure);
        EXPECT_NE(err.find("entry 'beyond.txt'"), std::string::npos) << err;
        EXPECT_EQ(FilesIn(m_out), good);
        EXPECT_EQ(FilesIn(cli), good);
        EXPECT_EQ(ReadWholeFile(cli + "/packed.txt"), packed);
        for (const std::string& path : {m_out, cli, m_archive})
            fs::remove_all(path);
        fs::create_directory(m_out);
    }
}

TEST_F(ScaleTest, TwoHundredThousandEntriesLoadIntoTheirFoldersAndTypes)
{
    constexpr std::size_t kCount = 200000;
    WriteWholeFile(m_archive, BuildDirectoryOnlyArchive(kCount, [](std::size_t i) {
                       return "f" + std::to_string(i % 100) + "\\s" + std::to_string(i % 7) + "\\n" +
                              std::to_string(i) + (i % 2 ? ".frm" : ".txt");
                   }));
    OpenPath(m_archive);
    ASSERT_EQ(m_doc->m_files.size(), kCount);
    EXPECT_EQ(m_doc->m_folders.size(), 100u + 100u * 7u);
    std::size_t listed = 0;
    for (const CDATFolder& folder : m_doc->m_folders) {
        m_doc->ListFolder(&folder, nullptr);
        for (const CDATItem* item : m_doc->m_listing)
            listed += dynamic_cast<const CDATInternalFile*>(item) ? 1 : 0;
    }
    EXPECT_EQ(listed, kCount);
    for (const auto& [extension, type] : m_doc->m_types) {
        m_doc->ListFileType(type.get(), nullptr);
        EXPECT_EQ(m_doc->m_listing.size(), kCount / 2) << extension;
    }
}

TEST_F(ScaleTest, AnEntryOfFourGiBMinusOneIsRefusedClearlyAndNeverHalfWritten)
{
    constexpr std::uint32_t kPacked = 4300000; // 4 GiB - 1 is under 1032 times this: a possible stream
    constexpr std::uint32_t kHuge = 0xFFFFFFFFu;
    if (!SparseArchive(kPacked + 65536, {{"huge.mve", kHuge, kPacked, 0, 1, "\x78\x9c"},
                                         {"huge.frm", kHuge, kPacked, 0, 1, ""},
                                         {"impossible.mve", kHuge, 100, 0, 1, ""},
                                         {"color.pal", 768, 768, kPacked, 0, SmallPalette()}}))
        GTEST_SKIP() << "the file system of " << m_dir.Path() << " cannot make sparse files";
    OpenPath(m_archive);
    CFile archive(m_archive, CFile::modeRead);
    const CDATInternalFile& huge = Entry("huge.mve");
    const std::string dest = m_out + "/huge.mve";
    SetFreeSpaceProbe(&FixedFreeSpace);

    // The free-space check counts in 64 bits: one KiB short is refused ...
    const std::uint64_t needKB = (std::uint64_t(kHuge) + kPacked) / 1024;
    g_freeKB = needKB - 1;
    auto e = CatchException<CFileException>([&] { ExtractEntryMapped(archive, huge, dest); });
    EXPECT_TRUE(e && e->m_cause == CFileException::diskFull && e->m_strFileName == dest);
    // ... and with room reported, a write the file system refuses fails whole,
    // for the movie file too (player and movie together are more than 4 GiB).
    g_freeKB = needKB;
    const std::string raw = m_root + "/huge.raw";
    ASSERT_TRUE(MakeSparseFile(raw, kPacked));
    {
        CFileSizeLimit limit(64 << 20);
        e = CatchException<CFileException>([&] { ExtractEntryMapped(archive, huge, dest); });
        EXPECT_TRUE(e && e->m_strFileName == dest);
        EXPECT_THROW(ExtractMovieWithPlayer(raw, dest, huge), CFileException);
    }
    // A size that 100 packed bytes cannot hold is damage, found before any space is asked for.
    g_freeKB = 0;
    EXPECT_EQ(ExtractEntryMapped(archive, Entry("impossible.mve"), dest), Z_DATA_ERROR);
    EXPECT_EQ(ExtractMovieWithPlayer(raw, dest, Entry("impossible.mve")), Z_DATA_ERROR);
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});

    // The in-memory paths refuse it by name; the picture pane shows nothing.
    EXPECT_THROW(ExtractEntry(archive, huge, dest), CFileException);
    EXPECT_THROW(ReadEntryData(archive, huge), CFileException);
    RECT pane{0, 0, 640, 480};
    CRecordingDC dc;
    ShowEntry(*m_doc, Entry("huge.frm"), dc, pane);
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("too large to unpack in memory"), std::string::npos) << m_ui.m_reports[0];
    EXPECT_TRUE(dc.m_dibs.empty());

    // Copy to a folder ends with the destination's refusal; the command line
    // streams it and finds the damage, writing nothing.
    g_freeKB = 1024;
    m_ui.m_folderAnswer = m_out;
    EXPECT_THROW(CopySelectedFiles(*m_doc, Rows({"huge.mve"}), nullptr), CFileException);
    m_doc.reset();
    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, m_out, {"huge.mve"}); });
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.find("'huge.mve' is damaged"), std::string::npos) << err;
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});
}

} // namespace
