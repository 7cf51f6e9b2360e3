// Scale and limits: archives over 2 GiB and 4 GiB (sparse files), offsets and
// sizes near 2^32 - 1, 200,000 entries, names at the length and depth limits,
// and an entry of 4 GiB - 1 bytes in the mapped paths. Correct results or
// clear refusals; never a wrapped size or an allocation that cannot succeed.
#include "reliability.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "archive/playerresource.h"
#include "cli/commands.h"
#include "datwriter.h"
#include "fakes.h"
#include "filetypes/cachepath.h"
#include "filetypes/filenames.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"
#include "tempdir.h"
#include "views/copyto.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;

struct SRawDef
{
    std::string name;
    std::uint32_t realSize, packedSize, offset;
    std::uint8_t flag;
};

void PutU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

// A directory and trailer exactly as given, nothing checked.
std::string DirectoryAndTrailer(const std::vector<SRawDef>& entries)
{
    std::string dir;
    PutU32(dir, std::uint32_t(entries.size()));
    for (const SRawDef& e : entries) {
        PutU32(dir, std::uint32_t(e.name.size()));
        dir += e.name;
        dir += char(e.flag);
        PutU32(dir, e.realSize);
        PutU32(dir, e.packedSize);
        PutU32(dir, e.offset);
    }
    const std::uint32_t size = std::uint32_t(dir.size());
    PutU32(dir, size);
    PutU32(dir, 0xFFFFFFFFu); // data-size word: the archive counts as loaded
    return dir;
}

std::string Zlib(const std::string& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              uLong(data.size()), 9);
    out.resize(size);
    return out;
}

std::uint64_t g_freeKB = 0;
std::uint64_t FixedFreeSpace(const std::string&)
{
    return g_freeKB;
}

class ScaleTest : public ::testing::Test
{
protected:
    ScaleTest()
    {
        m_out = m_dir / "out";
        fs::create_directory(m_out);
        SetPlayerResourceProvider([] { return std::optional<std::string_view>("#!/bin/false\nfake player\n"); });
    }
    ~ScaleTest() override
    {
        SetFreeSpaceProbe(nullptr);
        SetPlayerResourceProvider({});
    }

    // A sparse archive of `length` bytes: each entry's bytes at its offset, the
    // directory at the end. False when the file system cannot make it.
    bool SparseArchive(std::uint64_t length, const std::vector<std::pair<SRawDef, std::string>>& entries)
    {
        m_archive = m_dir / "big.dat";
        if (!MakeSparseFile(m_archive, length))
            return false;
        std::vector<SRawDef> defs;
        for (const auto& [def, bytes] : entries) {
            defs.push_back(def);
            if (!bytes.empty())
                WriteAt(m_archive, def.offset, bytes);
        }
        const std::string tail = DirectoryAndTrailer(defs);
        WriteAt(m_archive, length - tail.size(), tail);
        return true;
    }

    void Open()
    {
        m_doc = std::make_unique<CDATFileDoc>(false);
        ASSERT_TRUE(m_doc->OpenDocumentFile(m_archive)) << ::testing::PrintToString(m_ui.m_reports);
        m_doc->m_CashPath.Set(m_dir / "cache");
    }

    CDATInternalFile& Entry(const std::string& name)
    {
        for (CDATInternalFile& f : m_doc->m_files)
            if (f.m_strName == name)
                return f;
        throw std::runtime_error("no entry " + name);
    }

    std::set<std::string> FilesIn(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (!e.is_directory())
                names.insert(fs::relative(e.path(), folder).string());
        return names;
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_out, m_archive;
    std::unique_ptr<CDATFileDoc> m_doc;
};

// ---------------------------------------------------------------- archives over 2 GiB and 4 GiB

TEST_F(ScaleTest, EntriesAcrossTheTwoAndFourGiBMarksReadBackExactly)
{
    const std::string packed = std::string(50, 'p') + " compressed past two GiB";
    SetFreeSpaceProbe(&FixedFreeSpace);
    g_freeKB = std::uint64_t(1) << 40; // room for anything: the archive side must refuse
    for (const std::uint64_t length : {2 * kGiB + 65536, 4 * kGiB + 65536}) {
        SCOPED_TRACE("archive of " + std::to_string(length) + " bytes");
        std::vector<std::pair<SRawDef, std::string>> entries = {
            {{"low.txt", 3, 3, 0, 0}, "low"},
            {{"across2.txt", 8, 8, 0x7FFFFFFCu, 0}, "midpoint"},
            {{"packed.txt", std::uint32_t(packed.size()), std::uint32_t(Zlib(packed).size()), 0x80001000u, 1},
             Zlib(packed)},
            {{"beyond.txt", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}, ""},
        };
        const bool over4 = length > 4 * kGiB;
        if (over4) {
            // The two share the sixteen bytes below 2^32, as entries may.
            entries.push_back({{"across4.txt", 0x200, 0x200, 0xFFFFFF00u, 0},
                               std::string(0xF0, 'w') + "the last sixteen" + std::string(0x100, 'w')});
            entries.push_back({{"top.txt", 16, 16, 0xFFFFFFF0u, 0}, "the last sixteen"});
        }
        if (!SparseArchive(length, entries))
            GTEST_SKIP() << "the file system of " << m_dir.Path() << " cannot make sparse files";
        Open();
        ASSERT_EQ(m_doc->m_files.size(), entries.size());
        char offset[16];
        Entry("beyond.txt").GetOffsetText(offset, sizeof offset);
        EXPECT_STREQ(offset, "4294967295");

        CFile archive(m_archive, CFile::modeRead);
        for (const auto& [def, bytes] : entries) {
            SCOPED_TRACE(def.name);
            const CDATInternalFile& entry = Entry(def.name);
            if (def.name == "beyond.txt") {
                // offset + size is 2^33 - 2: past the end, never wrapped into range.
                EXPECT_THROW(ReadEntryData(archive, entry), CFileException);
                EXPECT_THROW(CopyEntryBytes(archive, entry, m_out + "/beyond.txt"), CFileException);
                EXPECT_THROW(ExtractEntryMapped(archive, entry, m_out + "/beyond.txt"), CFileException);
                continue;
            }
            const std::string expected = def.name == "packed.txt" ? packed : bytes;
            EXPECT_EQ(ReadEntryData(archive, entry), expected);
            EXPECT_EQ(ExtractEntry(archive, entry, m_out + "/plain"), 0);
            EXPECT_EQ(ReadWholeFile(m_out + "/plain"), expected);
            EXPECT_EQ(ExtractEntryMapped(archive, entry, m_out + "/mapped"), 1);
            EXPECT_EQ(ReadWholeFile(m_out + "/mapped"), expected);
        }
        fs::remove(m_out + "/plain");
        fs::remove(m_out + "/mapped");

        // The command line and copy to a folder: every good entry, the bad one reported.
        std::vector<int> rows;
        m_doc->m_listing.clear();
        for (CDATInternalFile& f : m_doc->m_files) {
            rows.push_back(int(m_doc->m_listing.size()));
            m_doc->m_listing.push_back(&f);
        }
        m_ui.m_folderAnswer = m_out;
        const SCopyResult copied = CopySelectedFiles(*m_doc, rows, nullptr);
        EXPECT_EQ(copied.m_damaged, std::vector<std::string>{"beyond.txt"});
        EXPECT_EQ(copied.m_nWritten, int(entries.size()) - 1);
        m_doc.reset();
        const std::string cliOut = m_dir / "cli";
        int status = -1;
        const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, cliOut, {}); });
        EXPECT_EQ(status, kExitFailure);
        EXPECT_NE(err.find("entry 'beyond.txt'"), std::string::npos) << err;
        std::set<std::string> good;
        for (const auto& [def, bytes] : entries)
            if (def.name != "beyond.txt")
                good.insert(def.name);
        EXPECT_EQ(FilesIn(m_out), good);
        EXPECT_EQ(FilesIn(cliOut), good);
        EXPECT_EQ(ReadWholeFile(cliOut + "/packed.txt"), packed);
        fs::remove_all(m_out);
        fs::remove_all(cliOut);
        fs::create_directory(m_out);
        fs::remove(m_archive);
    }
}

// ---------------------------------------------------------------- 200,000 entries

TEST_F(ScaleTest, TwoHundredThousandEntriesLoadIntoTheirFoldersAndTypes)
{
    constexpr std::size_t kCount = 200000;
    m_archive = m_dir / "many.dat";
    WriteWholeFile(m_archive, BuildDirectoryOnlyArchive(kCount, [](std::size_t i) {
                       return "f" + std::to_string(i % 100) + "\\s" + std::to_string(i % 7) + "\\n" +
                              std::to_string(i) + (i % 2 ? ".frm" : ".txt");
                   }));
    Open();
    ASSERT_EQ(m_doc->m_files.size(), kCount);
    EXPECT_EQ(m_doc->m_folders.size(), 100u + 100u * 7u);
    std::size_t listed = 0;
    for (const CDATFolder& folder : m_doc->m_folders) {
        m_doc->ListFolder(&folder, nullptr);
        for (const CDATItem* item : m_doc->m_listing)
            listed += dynamic_cast<const CDATInternalFile*>(item) ? 1 : 0;
    }
    EXPECT_EQ(listed, kCount);
    std::size_t typed = 0;
    for (const auto& [extension, type] : m_doc->m_types) {
        m_doc->ListFileType(type.get(), nullptr);
        EXPECT_EQ(m_doc->m_listing.size(), kCount / 2) << extension;
        typed += m_doc->m_listing.size();
    }
    EXPECT_EQ(typed, kCount);
}

// ---------------------------------------------------------------- names at the limits

TEST_F(ScaleTest, NamesAtTheLengthAndDepthLimitsLoadAndTheNextByteIsRefused)
{
    std::string deep;
    for (int i = 0; i < 98; ++i)
        deep += "a\\";
    const std::string atLimit = deep + std::string(59, 'n') + ".txt"; // 259 bytes, 98 backslashes
    ASSERT_EQ(atLimit.size(), 259u);
    const std::string emptyFolders = std::string(98, '\\') + std::string(157, 'e') + ".txt";
    ASSERT_EQ(emptyFolders.size(), 259u);

    CDatWriter w;
    w.AddStored(atLimit, "at the limit");
    w.AddStored(emptyFolders, "empty folders");
    m_archive = m_dir / "limits.dat";
    w.WriteTo(m_archive);
    Open();
    ASSERT_EQ(m_doc->m_files.size(), 2u);
    EXPECT_EQ(Entry(std::string(59, 'n') + ".txt").m_nDepth, 99);

    // Shown (cache), copied, saved and extracted inside their folders.
    RECT pane{0, 0, 640, 480};
    CQuietDC dc;
    for (CDATInternalFile& f : m_doc->m_files)
        f.Draw(&dc, &pane);
    EXPECT_EQ(m_ui.m_reports, std::vector<std::string>{});
    std::string cacheDeep, cacheEmpty;
    for (int i = 0; i < 98; ++i) {
        cacheDeep += "a/";
        cacheEmpty += "_/";
    }
    const std::string archiveFolder = ArchiveCacheFolder();
    EXPECT_EQ(ReadWholeFile(archiveFolder + cacheDeep + std::string(59, 'n') + ".txt"), "at the limit");
    EXPECT_EQ(ReadWholeFile(archiveFolder + cacheEmpty + std::string(157, 'e') + ".txt"), "empty folders");

    m_doc->m_listing = {&m_doc->m_files[0], &m_doc->m_files[1]};
    m_ui.m_folderAnswer = m_out;
    EXPECT_EQ(CopySelectedFiles(*m_doc, {0, 1}, nullptr).m_nWritten, 2);
    EXPECT_EQ(FilesIn(m_out), (std::set<std::string>{std::string(59, 'n') + ".txt", std::string(157, 'e') + ".txt"}));

    m_doc.reset();
    const std::string cliOut = m_dir / "cli";
    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, cliOut, {}); });
    EXPECT_EQ(status, kExitFailure); // the empty folder names cannot stand on disk
    EXPECT_NE(err.find("empty name component"), std::string::npos) << err;
    EXPECT_EQ(FilesIn(cliOut), (std::set<std::string>{cacheDeep + std::string(59, 'n') + ".txt"}));

    // One byte or one backslash more: a clear refusal naming the file.
    for (const std::string& name : {atLimit + "x", deep + "a\\" + std::string(57, 'n') + ".txt"}) {
        CDatWriter bad;
        bad.AddStored(name, "over");
        bad.WriteTo(m_archive);
        CDATFileDoc doc(false);
        try {
            doc.LoadArchive(m_archive);
            ADD_FAILURE() << "loaded a name of " << name.size() << " bytes";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
            EXPECT_NE(e.GetErrorMessage().find(m_archive), std::string::npos) << e.GetErrorMessage();
        }
        EXPECT_TRUE(doc.m_files.empty());
    }
}

// ---------------------------------------------------------------- 4 GiB - 1 in the mapped paths

TEST_F(ScaleTest, AnEntryOfFourGiBMinusOneIsRefusedClearlyAndNeverHalfWritten)
{
    constexpr std::uint32_t kPacked = 4300000; // 4 GiB - 1 is under 1032 times this: a possible stream
    constexpr std::uint32_t kHuge = 0xFFFFFFFFu;
    const std::vector<std::pair<SRawDef, std::string>> entries = {
        {{"huge.mve", kHuge, kPacked, 0, 1}, "\x78\x9c"},
        {{"huge.frm", kHuge, kPacked, 0, 1}, ""},
        {{"impossible.mve", kHuge, 100, 0, 1}, ""},
        {{"color.pal", 768, 768, kPacked, 0}, SmallPalette()},
    };
    if (!SparseArchive(kPacked + 65536, entries))
        GTEST_SKIP() << "the file system of " << m_dir.Path() << " cannot make sparse files";
    Open();
    CFile archive(m_archive, CFile::modeRead);
    const CDATInternalFile& huge = Entry("huge.mve");
    const std::string dest = m_out + "/huge.mve";
    SetFreeSpaceProbe(&FixedFreeSpace);

    // The free-space check counts in 64 bits: one KiB short is refused ...
    const std::uint64_t needKB = (std::uint64_t(kHuge) + kPacked) / 1024;
    g_freeKB = needKB - 1;
    try {
        ExtractEntryMapped(archive, huge, dest);
        ADD_FAILURE() << "no refusal";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.m_strFileName, dest);
    }
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});

    // ... and with room reported, a write the file system refuses fails whole.
    g_freeKB = needKB;
    {
        CFileSizeLimit limit(64 << 20);
        try {
            ExtractEntryMapped(archive, huge, dest);
            ADD_FAILURE() << "no refusal";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_strFileName, dest);
        }
    }
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});

    // The movie file: player and movie together are more than 4 GiB.
    const std::string raw = m_dir / "huge.raw";
    ASSERT_TRUE(MakeSparseFile(raw, kPacked));
    {
        CFileSizeLimit limit(64 << 20);
        EXPECT_THROW(ExtractMovieWithPlayer(raw, dest, huge), CFileException);
    }
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});

    // A size that 100 packed bytes cannot hold is damage, found before any space is asked for.
    g_freeKB = 0;
    const CDATInternalFile& impossible = Entry("impossible.mve");
    EXPECT_EQ(ExtractEntryMapped(archive, impossible, dest), Z_DATA_ERROR);
    EXPECT_EQ(ExtractMovieWithPlayer(raw, dest, impossible), Z_DATA_ERROR);
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});

    // The in-memory paths refuse it by name; the picture pane shows nothing.
    EXPECT_THROW(ExtractEntry(archive, huge, dest), CFileException);
    EXPECT_THROW(ReadEntryData(archive, huge), CFileException);
    RECT pane{0, 0, 640, 480};
    CQuietDC dc;
    Entry("huge.frm").Draw(&dc, &pane);
    ASSERT_EQ(m_ui.m_reports.size(), 1u);
    EXPECT_NE(m_ui.m_reports[0].find("too large to unpack in memory"), std::string::npos) << m_ui.m_reports[0];
    EXPECT_EQ(dc.m_nDibs, 0);

    // Copy to a folder and the command line end with the destination's refusal.
    g_freeKB = 1024;
    m_doc->m_listing = {&Entry("huge.mve")};
    m_ui.m_folderAnswer = m_out;
    EXPECT_THROW(CopySelectedFiles(*m_doc, {0}, nullptr), CFileException);
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});
    m_doc.reset();
    int status = -1;
    const std::string err = CaptureStderr([&] { status = ExtractArchive(m_archive, m_out, {"huge.mve"}); });
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.find("not enough free space"), std::string::npos) << err;
    EXPECT_EQ(FilesIn(m_out), std::set<std::string>{});
}

} // namespace
