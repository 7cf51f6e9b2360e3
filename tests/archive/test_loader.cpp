// Loading an archive's trailer and directory into the document.
#include "archive/datfiledoc.h"
#include "helpers.h"
#include "fakes.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

class LoaderTest : public ::testing::Test
{
protected:
    std::string Write(const std::vector<std::string>& names, const SDatOptions& opt = {})
    {
        return WriteNamesArchive(m_dir, names, opt);
    }
    void ExpectEmpty(const CDATFileDoc& d)
    {
        EXPECT_TRUE(d.m_files.empty() && d.m_folders.empty() && d.m_types.empty() && d.m_listing.empty());
        EXPECT_TRUE(d.m_pPaletteEntry == nullptr && d.m_dwDataSize == 0 && d.m_nNextItemId == 1);
    }

    // Loads path expecting exception type E and an empty document afterwards.
    template <class E>
    std::optional<E> LoadFailure(CDATFileDoc& d, const std::string& path)
    {
        try {
            d.LoadArchive(path);
            ADD_FAILURE() << "the archive loaded";
        } catch (const E& e) {
            ExpectEmpty(d);
            return e;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected exception: " << DescribeException(e);
        }
        return std::nullopt;
    }

    std::vector<std::string> FolderOrder()
    {
        std::vector<std::string> out;
        for (const CDATFolder& f : m_doc.m_folders)
            out.push_back(f.m_pParent->m_strName + "/" + f.m_strName);
        return out;
    }

    CTempDir m_dir;
    CFakeUiServices m_ui;
    CDATFileDoc m_doc{false};
};

TEST_F(LoaderTest, ReadsEntryFieldsIgnoresTheFlagAndTakesTheDataSizeWord)
{
    CDatWriter w;
    w.Add(Def("dir\\one.frm", "", [](SDatEntryDef& d) { d.realSize = 100, d.packedSize = 60, d.offset = 7, d.flag = 0x5A; }));
    w.WriteTo(m_dir / "f.dat", Options({}, {}, 1234));
    m_doc.LoadArchive(m_dir / "f.dat");
    ASSERT_EQ(m_doc.m_files.size(), 1u);
    const CDATInternalFile& one = m_doc.m_files[0];
    EXPECT_TRUE(one.m_strName == "one.frm" && one.m_pParent->m_strName == "dir" && one.m_nDepth == 2);
    EXPECT_TRUE(one.m_nRealSize == 100 && one.m_nPackedSize == 60 && one.m_nOffset == 7);
    EXPECT_EQ(m_doc.m_dwDataSize, 1234u);
    m_doc.LoadArchive(Write({}, Options({}, {}, 77)));
    EXPECT_TRUE(m_doc.m_files.empty() && m_doc.m_folders.empty() && m_doc.m_types.empty() && m_doc.IsLoaded());
    // A data-size word of 0: the entries are read, the document counts as not loaded.
    m_doc.LoadArchive(Write({"a\\b.txt", "c.frm"}, Options({}, {}, 0)));
    EXPECT_EQ(m_doc.m_files.size(), 2u);
    EXPECT_FALSE(m_doc.IsLoaded());
}

TEST_F(LoaderTest, AFailedOpenSaysWhyOnceAndKeepsTheArchiveButAnEmptyFileLoadsEmpty)
{
    const std::string empty = m_dir / "empty.dat", bad = m_dir / "bad.dat";
    WriteWholeFile(empty, "");
    WriteWholeFile(bad, "abc");
    m_doc.LoadArchive(Write({"a\\b.txt", "color.pal"}));
    for (const std::string& path : {empty, bad}) {
        EXPECT_FALSE(m_doc.OnOpenDocument(path));
        EXPECT_EQ(m_doc.m_files.size(), 2u);
    }
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_NE(m_ui.m_messages[1].text.find(bad + ": "), std::string::npos) << m_ui.m_messages[1].text;
    m_doc.LoadArchive(empty); // the command line's load
    ExpectEmpty(m_doc);
}

TEST_F(LoaderTest, AcceptsTheLimitsAndRefusesMalformedArchivesNamingFileAndFault)
{
    struct SCase { const char* what; std::function<std::string()> make; bool fileException; std::vector<std::string> fragments; };
    int nRaw = 0;
    auto raw = [&](std::string bytes) {
        const std::string path = m_dir / ("raw" + std::to_string(nRaw++) + ".dat");
        WriteWholeFile(path, bytes);
        return path;
    };
    std::string deep; // 98 backslashes
    while (deep.size() < 2 * 98)
        deep += "d\\";
    const std::string good = Write({std::string(259, 'n'), deep + "f.txt", "color.pal"});
    m_doc.LoadArchive(good);
    ASSERT_EQ(m_doc.m_files.size(), 3u);
    EXPECT_EQ(m_doc.m_files[0].m_strName.size(), 259u);
    EXPECT_EQ(m_doc.m_files[1].m_nDepth, 99);
    EXPECT_EQ(m_doc.m_folders.size(), 98u);

    const std::vector<SCase> cases = {
        {"one byte", [&] { return raw("x"); }, true, {}},
        {"seven bytes", [&] { return raw("1234567"); }, true, {}},
        {"name over 259", [&] { return Write({"ok.txt", std::string(260, 'n')}); }, false, {"entry 1", "260"}},
        {"99 backslashes", [&] { return Write({deep + "d\\f.txt"}); }, false, {"entry 0", "99", "backslash"}},
        {"count 2^31", [&] { return Write({"a.txt"}, Options(0x80000000u, {}, {})); }, false, {"2147483648"}},
        {"count over directory",
         [&] { return Write({"a.txt", "b.txt"}, Options(3, {}, {})); }, false, {"file count 3"}},
        {"directory larger than file",
         [&] { return Write({"a.txt"}, Options({}, 1000, {})); }, true, {"directory size 1000"}},
        {"directory ends inside entry",
         [&] { return Write({"a.txt"}, Options(2, {}, {}, std::string("\x05\0\0\0", 4) + std::string(13, '\0'))); },
         false, {"entry 1", "ends inside"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_doc.LoadArchive(good);
        const std::string path = c.make();
        std::string message;
        if (c.fileException) {
            if (auto e = LoadFailure<CFileException>(m_doc, path))
                message = e->GetErrorMessage();
        } else if (auto e = LoadFailure<CArchiveException>(m_doc, path)) {
            message = e->GetErrorMessage();
        }
        for (const std::string& part : c.fragments)
            EXPECT_NE(message.find(part), std::string::npos) << message << " lacks " << part;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
}

TEST_F(LoaderTest, HugeEntryCountFailsBeforeAnyAllocation)
{
    CDATFileDoc fresh(false);
    EXPECT_TRUE(LoadFailure<CArchiveException>(fresh, Write({}, Options(0x7FFFFFFFu, {}, {}, std::string(8, '\0')))));
    EXPECT_EQ(fresh.m_files.capacity(), 0u);
}

TEST_F(LoaderTest, FoldersAreKeyedByParentNameAndDepthAndOrderedSo)
{
    m_doc.LoadArchive(Write({"ART\\INTRFACE\\A.FRM", "DATA\\INTRFACE\\B.FRM", "art\\x.frm", "q.txt", "Art\\y.frm"}));
    EXPECT_EQ(FolderOrder(), (std::vector<std::string>{"/ART", "/DATA", "ART/INTRFACE", "DATA/INTRFACE"}));
    const CDATFolder* art = m_doc.m_files[0].m_pParent->m_pParent;
    // The same folder in another spelling, right after and after a gap.
    EXPECT_EQ(m_doc.m_files[2].m_pParent, art);
    EXPECT_EQ(m_doc.m_files[4].m_pParent, art);

    // Depth, then name, then the parent's id. Every folder component takes an
    // id, new or not, as does a new handler: z, m, txt, a, m, B, a, c.
    m_doc.LoadArchive(Write({"z\\m\\1.txt", "a\\m\\2.txt", "B\\3.txt", "a\\c\\4.txt"}));
    EXPECT_EQ(FolderOrder(), (std::vector<std::string>{"/a", "/B", "/z", "a/c", "z/m", "a/m"}));
    EXPECT_EQ(m_doc.m_nNextItemId, 9u);
}

TEST_F(LoaderTest, ExtensionDecidesTheSharedHandler)
{
    std::string cut("cut.txt\0x\\y", 11);
    m_doc.LoadArchive(Write({"A.B\\FILE", "README", "x\\LICENSE", "p.FRM", "q\\r.old.frm", "", cut}));
    ASSERT_EQ(m_doc.m_files.size(), 7u);
    const auto& f = m_doc.m_files;
    EXPECT_TRUE(f[0].m_strName == "FILE" && f[0].m_pType->m_strExtension == "B");
    const CDATFileType* none = f[1].m_pType;
    EXPECT_TRUE(none == f[2].m_pType && none == f[5].m_pType && none->m_strDescription.empty() && none->m_nTypeKey == 0);
    EXPECT_TRUE(f[3].m_pType == f[4].m_pType && f[3].m_pType->m_strDescription == "FRM files");
    std::vector<std::string> keys;
    for (const auto& [k, t] : m_doc.m_types)
        keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"", "B", "FRM", "txt"}));
    // An empty name is a file at the root; a zero byte ends a name.
    EXPECT_TRUE(f[5].m_strName.empty() && f[5].m_nDepth == 1 && f[5].m_pParent == &m_doc.m_rootFolder);
    EXPECT_TRUE(f[6].m_strName == "cut.txt" && f[6].m_pParent == &m_doc.m_rootFolder);
    EXPECT_EQ(m_doc.m_folders.size(), 3u);
}

TEST_F(LoaderTest, PaletteIsFirstColorPalInDirectoryOrder)
{
    m_doc.LoadArchive(Write({"xcolor.pal", "color.pal\\inner.txt", "art\\COLOR.PAL", "color.pal"}));
    ASSERT_NE(m_doc.m_pPaletteEntry, nullptr);
    EXPECT_EQ(m_doc.m_pPaletteEntry, &m_doc.m_files[2]);

    m_doc.LoadArchive(Write({"a.pal", "color.pal.bak"}));
    EXPECT_EQ(m_doc.m_pPaletteEntry, nullptr);
}

TEST_F(LoaderTest, ProgressShowsEveryEntryAndACancelAnsweredYesAbortsAndEmpties)
{
    CScriptedProgress::SLog log;
    m_doc.SetProgressFactory([&] { return std::make_unique<CScriptedProgress>(log); });
    const std::vector<std::string> names{"a\\x.frm", "b.txt", "c\\d\\e.msg"};
    m_doc.LoadArchive(Write(names));
    EXPECT_TRUE(log.opened && log.caption == "Загрузка..." && log.lower == 1 && log.upper == 4 && log.advances == 3);
    EXPECT_EQ(log.statusLines, names);
    EXPECT_TRUE(m_ui.m_messages.empty());
    log = {};
    log.cancelAtPoll = {2};
    m_ui.m_answers = {IDYES};
    auto e = LoadFailure<CArchiveException>(m_doc, Write(names));
    EXPECT_TRUE(e && e->m_cause == CArchiveException::none);
    EXPECT_TRUE(m_ui.m_messages.size() == 1 && log.advances == 2);
}

} // namespace
