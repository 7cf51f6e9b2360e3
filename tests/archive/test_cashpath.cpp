// The cache folder setting: read and checked at start, stored at the end.
#include "platform/profile.h"
#include "archive/cashpath.h"
#include "tempdir.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class CashPathTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CCashPath::SetExecutableFolderForTests(m_exe.Path());
        SetValue("");
    }
    void TearDown() override
    {
        CCashPath::SetExecutableFolderForTests("");
        SetValue("");
    }

    static void SetValue(const std::string& value)
    {
        CProfile::WriteProfileString("Settings", "CashPath", QString::fromStdString(value));
    }
    static std::string Value() { return CProfile::GetProfileString("Settings", "CashPath").toStdString(); }

    // The folder the setting settles on, and what the profile holds afterwards.
    static std::string Resolve(const std::string& stored)
    {
        SetValue(stored);
        std::string path;
        {
            CCashPath cash;
            path = cash.Get();
        }
        EXPECT_EQ(Value(), path);
        return path;
    }

    std::string DefaultFolder() const { return m_exe.Path() + "cash/"; }

    CTempDir m_exe;
    CTempDir m_place;
};

TEST_F(CashPathTest, StoredValueSettlesOnAFolderThatExists)
{
    const std::string mine = m_place / "mine", file = m_place / "plain";
    fs::create_directory(mine);
    WriteWholeFile(file, "x");
    const std::pair<std::string, std::string> cases[] = {
        {"", DefaultFolder()},                    // first run: beside the executable
        {mine, mine + "/"},                       // an existing folder gets a trailing slash
        {mine + "/", mine + "/"},                 // but not a second one
        {file, DefaultFolder()},                  // a file is no folder
        {m_place / "new", m_place / "new/"},      // a missing folder is made when its parent exists
        {m_place / "none/new", DefaultFolder()},  // and only then
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(Resolve(stored), expected) << stored;
    EXPECT_TRUE(fs::is_directory(DefaultFolder()) && fs::is_directory(m_place / "new"));
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_FALSE(fs::exists(m_place / "none"));
}

TEST_F(CashPathTest, UnwritableExecutableFolderFallsBackToUserCache)
{
    std::string file = m_place / "file";
    WriteWholeFile(file, "x");
    CCashPath::SetExecutableFolderForTests(file + "/bin");
    std::string expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString() + "/dravik/cash/";
    EXPECT_EQ(CCashPath::DefaultFolder(), expected);
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_EQ(Resolve(""), expected);
}

} // namespace
