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
    void SetUp() override { CCashPath::SetExecutableFolderForTests(m_exe.Path()); }
    void TearDown() override
    {
        CCashPath::SetExecutableFolderForTests("");
        CProfile::WriteProfileString("Settings", "CashPath", "");
    }

    // The folder the setting settles on; the profile holds it afterwards.
    static std::string Resolve(const std::string& stored)
    {
        CProfile::WriteProfileString("Settings", "CashPath", QString::fromStdString(stored));
        std::string path = CCashPath().Get();
        EXPECT_EQ(CProfile::GetProfileString("Settings", "CashPath").toStdString(), path);
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
    EXPECT_TRUE(fs::is_directory(DefaultFolder()) && fs::is_directory(m_place / "new") && fs::is_regular_file(file));
    EXPECT_FALSE(fs::exists(m_place / "none"));

    // Where the executable's folder cannot take it: the per-user cache.
    CCashPath::SetExecutableFolderForTests(file + "/bin");
    const std::string user =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString() + "/dravik/cash/";
    EXPECT_EQ(Resolve(""), user);
    EXPECT_TRUE(fs::is_directory(user));
}

} // namespace
