// Movies: the carried player with the movie appended, built once into the
// cache; Save as MVE or as a movie program; the ACM notice.
#include "archive/playerresource.h"
#include "filetypes/mvefiletype.h"
#include "handlertest.h"
#include "platform/exceptions.h"

#include <unistd.h>

namespace {

const std::string kPlayer = std::string("\x7F" "ELF-fake-player", 16) + std::string(3000, 'P');
const std::string kMovie = "Interplay MVE File\x1A" + std::string(5000, 'm');

class MovieTest : public HandlerTest
{
protected:
    void SetUp() override
    {
        SetPlayerResourceProvider([] { return std::optional<std::string_view>(kPlayer); });
        Open(Archive("movies.dat", {{"art\\cuts\\intro.mve", kMovie}, {"sound\\boom.acm", "acm"}}));
        m_pMovie = Entry("art\\cuts\\intro.mve");
        m_pType = static_cast<CDAT_MVE_FileType*>(m_pMovie->m_pType);
    }
    void TearDown() override { SetPlayerResourceProvider(nullptr); }

    // Save as with the filter given, the question answered Yes; what was raised, if anything.
    std::string SaveAs(const std::string& path, int filter)
    {
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{path, filter};
        m_ui.m_answers = {IDYES};
        try {
            m_pType->SaveAs(m_doc->Context(), m_pMovie, nullptr);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    CDATInternalFile* m_pMovie = nullptr;
    CDAT_MVE_FileType* m_pType = nullptr;
};

TEST_F(MovieTest, OpenBuildsTheMovieProgramOnceAndAgainOnlyWhenItIsGoneButNeedsThePlayer)
{
    SetPlayerResourceProvider(nullptr);
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(m_pType->Open(m_doc->Context(), m_pMovie, nullptr), CResourceException);
    EXPECT_TRUE(m_ui.m_started.empty());

    SetPlayerResourceProvider([] { return std::optional<std::string_view>(kPlayer); });
    m_ui.m_messages.clear();
    m_ui.m_progressLog = {};
    m_ui.m_answers = {IDYES};
    m_pType->Open(m_doc->Context(), m_pMovie, nullptr);
    const std::string exe = m_ui.m_started.at(0);
    EXPECT_EQ(exe, m_pMovie->m_strCachePath);
    EXPECT_TRUE(exe.ends_with(".exe") && exe.starts_with(m_cache)) << exe;
    EXPECT_EQ(ReadWholeFile(exe), kPlayer + kMovie);
    EXPECT_EQ(::access(exe.c_str(), X_OK), 0);
    EXPECT_FALSE(FileExists(exe + ".tmp"));
    EXPECT_EQ(m_ui.m_messages.size(), 1u); // the question
    EXPECT_EQ(m_ui.m_progressLog.advances, 4);

    // In a later run the movie file in the cache starts without a question.
    Open(m_dir / "movies.dat");
    CDATInternalFile* movie = Entry("art\\cuts\\intro.mve");
    movie->m_pType->Open(m_doc->Context(), movie, nullptr);
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
    // A movie file deleted since is made again, after the question.
    std::filesystem::remove(exe);
    m_ui.m_answers = {IDYES};
    movie->m_pType->Open(m_doc->Context(), movie, nullptr);
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_started, std::vector<std::string>(3, exe));
    EXPECT_EQ(ReadWholeFile(exe), kPlayer + kMovie);
}

TEST_F(MovieTest, NoLeavesNothingAndACancelStopsBetweenStepsAndAsksAgainNextTime)
{
    m_ui.m_answers = {IDNO};
    m_pType->Open(m_doc->Context(), m_pMovie, nullptr);
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_EQ(CountFiles(m_cache), 0u);

    // Cancel before the second step: the packed copy stays, no program, nothing started.
    m_ui.m_answers = {IDYES};
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_pType->Open(m_doc->Context(), m_pMovie, nullptr);
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_TRUE(m_pMovie->m_strCachePath.empty());
    const std::string exe = m_cache + "/" + FileNames(m_cache).begin()->c_str() + "/art/cuts/intro.mve.exe";
    EXPECT_TRUE(FileExists(exe + ".tmp"));
    EXPECT_FALSE(FileExists(exe));

    // The next Open asks again and completes over its own packed copy.
    m_ui.m_progressLog = {};
    m_ui.m_answers = {IDYES};
    m_pType->Open(m_doc->Context(), m_pMovie, nullptr);
    EXPECT_EQ(m_ui.m_started, std::vector<std::string>{exe});
    EXPECT_FALSE(FileExists(exe + ".tmp"));
}

TEST_F(MovieTest, SaveAsWritesTheMovieOrTheProgramUnderExactlyTheChosenName)
{
    EXPECT_EQ(SaveAs(m_dir / "plain", 1), "");
    EXPECT_EQ(m_ui.m_saveDialogs.back().first, "Movies MVE files|*.mve|EXE files (*.exe)|*.exe||");
    EXPECT_EQ(m_ui.m_saveDialogs.back().second, "intro.mve");
    EXPECT_EQ(ReadWholeFile(m_dir / "plain"), kMovie);
    EXPECT_EQ(m_ui.m_progressLog.advances, 2);

    EXPECT_EQ(SaveAs(m_dir / "movie", 2), "");
    EXPECT_EQ(ReadWholeFile(m_dir / "movie"), kPlayer + kMovie);
    EXPECT_EQ(FileNames(m_dir.Path()), (std::set<std::string>{"movie", "plain", "movies.dat"}));
}

TEST_F(MovieTest, SaveAsProgramNeverTouchesAUsersFileOfThePackedCopysName)
{
    // Refused before anything is asked or written.
    WriteWholeFile(m_dir / "movie.tmp", "the user's own");
    const std::string error = SaveAs(m_dir / "movie", 2);
    EXPECT_NE(error.find("in the way of the packed copy"), std::string::npos) << error;
    EXPECT_EQ(ReadWholeFile(m_dir / "movie.tmp"), "the user's own");
    EXPECT_FALSE(FileExists(m_dir / "movie"));
    EXPECT_TRUE(m_ui.m_messages.empty());

    // A failure after the packed copy was written removes it.
    SetPlayerResourceProvider(nullptr);
    EXPECT_NE(SaveAs(m_dir / "other", 2), "");
    EXPECT_FALSE(FileExists(m_dir / "other.tmp"));
    EXPECT_FALSE(FileExists(m_dir / "other"));
}

TEST_F(MovieTest, AcmSaveShowsOnlyTheNotice)
{
    CDATInternalFile* sound = Entry("sound\\boom.acm");
    sound->m_pType->SaveAs(m_doc->Context(), sound, nullptr);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Сохранение ACM файла", "boom.acm", MB_OK);
    EXPECT_TRUE(m_ui.m_saveDialogs.empty());
}

} // namespace
