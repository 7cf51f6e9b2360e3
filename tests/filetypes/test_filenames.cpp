// File names on disk: extension replacement and reserved temporary names.
#include "filetypes/filenames.h"
#include "platform/tempname.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>

namespace {

TEST(ReplaceExtensionTest, ReplacesOnlyTheLastComponentsExtension)
{
    EXPECT_EQ(ReplaceExtension("/cash/A.B.FRM", ".bmp"), "/cash/A.B.bmp");
    EXPECT_EQ(ReplaceExtension("/cash/NAME.", ".pal"), "/cash/NAME.pal");
    EXPECT_EQ(ReplaceExtension("/cash/NAME", ".pal"), "/cash/NAME.pal");
    EXPECT_EQ(ReplaceExtension("NAME", ".pal"), "NAME.pal");
    EXPECT_EQ(ReplaceExtension("x.txt", ".bmp"), "x.bmp");
    EXPECT_EQ(ReplaceExtension("/home/u/.cache/x/FILE", ".bmp"), "/home/u/.cache/x/FILE.bmp");
    EXPECT_EQ(ReplaceExtension("/home/u/.cache/x/F.rix", ".bmp"), "/home/u/.cache/x/F.bmp");
}

class TempNameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_strTemp);
        ::setenv("TMPDIR", m_strTemp.c_str(), 1);
    }
    void TearDown() override { ::setenv("TMPDIR", m_strOld.c_str(), 1); }

    // path: a new empty file directly in the temporary folder named stem + hex + ".tmp".
    void ExpectTempFile(const std::string& path, const std::string& stem)
    {
        ASSERT_EQ(path.compare(0, m_strTemp.size(), m_strTemp), 0) << path;
        const std::string name = path.substr(m_strTemp.size());
        ASSERT_TRUE(name.size() > stem.size() + 4 && name.starts_with(stem) && name.ends_with(".tmp")) << name;
        const std::string hex = name.substr(stem.size(), name.size() - stem.size() - 4);
        EXPECT_TRUE(std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); })) << name;
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(path) && std::filesystem::file_size(path) == 0) << name;
    }

    std::string m_strOld = GetTempFolder();
    CTempDir m_dir;
    std::string m_strTemp = m_dir / "t/";
};

TEST_F(TempNameTest, CreatesDistinctEmptyFilesFromThePrefix)
{
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        std::string path;
        ASSERT_TRUE(MakeTempFileName(path, "dravik"));
        ExpectTempFile(path, "dra");
        seen.insert(path);
    }
    EXPECT_EQ(seen.size(), 20u);

    std::string path;
    ASSERT_TRUE(MakeTempFileName(path, nullptr));
    ExpectTempFile(path, "TFN");
    ASSERT_TRUE(MakeTempFileName(path, "ab"));
    ExpectTempFile(path, "ab");
}

TEST_F(TempNameTest, HostilePrefixStaysInsideTheTemporaryFolder)
{
    for (const char* prefix : {"../x", "a/b", "..", "/", "\x01\xFF"}) {
        SCOPED_TRACE(prefix);
        std::string path;
        ASSERT_TRUE(MakeTempFileName(path, prefix));
        std::string name = path.substr(m_strTemp.size());
        ExpectTempFile(path, name.substr(0, name.find_first_of("0123456789ABCDEF", 1)));
    }
    // Nothing landed beside the temporary folder.
    auto entries = std::filesystem::directory_iterator(m_dir.Path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

} // namespace
