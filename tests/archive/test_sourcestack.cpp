// Several sources read as one: which copy wins, what a folder contributes,
// and where the winning bytes are read from.
#include "archive/sourcestack.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SourceStack, LaterSourcesWinAcrossLetterCaseAndSeparatorsAndFoldersSkipNamesNoArchiveHolds)
{
    CTempDir tmp;
    CDatWriter base, patch;
    base.AddStored("art\\a.frm", "base a");
    base.AddCompressed("Art\\B.FRM", std::string(300, 'b'));
    base.AddCompressed("readme.txt", "base readme");
    patch.AddCompressed("ART/A.FRM", std::string(200, 'p'));
    patch.AddStored("new\\c.txt", "c");
    base.WriteTo(tmp / "base.dat");
    patch.WriteTo(tmp / "patch.dat");
    const std::string data = tmp / "data";
    std::filesystem::create_directories(data + "/art");
    std::filesystem::create_directories(data + "/Папка");
    WriteWholeFile(data + "/art/b.frm", "loose b");
    WriteWholeFile(data + "/Папка/файл.txt", "cyrillic");
    const std::string refused[] = {"bad\x01.txt", "日本.txt", "back\\slash.txt", "\xFF.txt",
                                   std::string(200, 'd') + "/" + std::string(70, 'e')};
    for (const std::string& name : refused) {
        std::filesystem::create_directories(std::filesystem::path(data + "/" + name).parent_path());
        WriteWholeFile(data + "/" + name, "never an entry");
    }

    CSourceStack stack;
    std::vector<std::string> skipped;
    for (const std::string& source : {tmp / "base.dat", tmp / "patch.dat", data})
        stack.Add(source, source, skipped);
    EXPECT_EQ(skipped.size(), std::size(refused)) << ::testing::PrintToString(skipped);
    CDATArchive merged;
    CStoredNames names;
    stack.Build(merged, &names);

    // Base order first, then what later sources add, in theirs.
    const struct { std::string name, data; std::uint32_t source; std::size_t copies; } expected[] = {
        {"ART\\A.FRM", std::string(200, 'p'), 1, 2}, // stored with '/', merged under art
        {"art\\b.frm", "loose b", 2, 2},
        {"readme.txt", "base readme", 0, 1},
        {"new\\c.txt", "c", 1, 1},
        {"\xCF\xE0\xEF\xEA\xE0\\\xF4\xE0\xE9\xEB.txt", "cyrillic", 2, 1},
    };
    ASSERT_EQ(stack.Count(), std::size(expected));
    ASSERT_EQ(merged.m_files.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(names[i], expected[i].name);
        EXPECT_EQ(stack.Winner(i).m_nSource, expected[i].source);
        EXPECT_EQ(stack.Copies(i).size(), expected[i].copies);
        EXPECT_EQ(stack.ReadEntry(i), expected[i].data);
        EXPECT_EQ(merged.m_files[i].m_nRealSize, expected[i].data.size());
    }
    // The overridden copy keeps its own sizes and name; a loose file has no offset.
    EXPECT_EQ(stack.EntryOf(stack.Copies(1)[1]).m_name, "Art\\B.FRM");
    EXPECT_EQ(stack.EntryOf(stack.Copies(1)[0]).m_nOffset, 0u);
    EXPECT_EQ(merged.m_folders.size(), 3u); // art, new and Папка: letter case and '/' make no second art
}

} // namespace
