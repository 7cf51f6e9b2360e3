// The cache folder setting: read and checked at start, stored at the end.
#include "platform/profile.h"
#include "shell/cashpath.h"
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

TEST_F(CashPathTest, FirstRunUsesCashBesideTheExecutable)
{
    EXPECT_EQ(Resolve(""), DefaultFolder());
    EXPECT_TRUE(fs::is_directory(DefaultFolder()));
}

TEST_F(CashPathTest, ExistingFolderIsUsedWithATrailingSlash)
{
    std::string folder = m_place / "mine";
    fs::create_directory(folder);
    EXPECT_EQ(Resolve(folder), folder + "/");
    EXPECT_EQ(Resolve(folder + "/"), folder + "/");
}

TEST_F(CashPathTest, ValueNamingAFileFallsBackToTheDefault)
{
    std::string file = m_place / "plain";
    WriteWholeFile(file, "x");
    EXPECT_EQ(Resolve(file), DefaultFolder());
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST_F(CashPathTest, MissingFolderIsCreatedOnlyWhenItsParentExists)
{
    std::string folder = m_place / "new";
    EXPECT_EQ(Resolve(folder), folder + "/");
    EXPECT_TRUE(fs::is_directory(folder));

    std::string orphan = m_place / "none/new";
    EXPECT_EQ(Resolve(orphan), DefaultFolder());
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
