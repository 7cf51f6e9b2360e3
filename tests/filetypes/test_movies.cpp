// Movies: the carried player with the movie appended, built once into the
// cache; Save as MVE or as a movie program; the ACM notice.
#include "archive/playerresource.h"
#include "filetypes/mvefiletype.h"
#include "handlertest.h"
#include "platform/exceptions.h"

#include <sys/stat.h>

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

    CDATInternalFile* m_pMovie = nullptr;
    CDAT_MVE_FileType* m_pType = nullptr;
};

TEST_F(MovieTest, OpenBuildsTheMovieProgramOnceAndStartsItButNeedsThePlayer)
{
    SetPlayerResourceProvider(nullptr);
    m_ui.m_answers = {IDYES};
    EXPECT_THROW(m_pType->Open(m_pMovie, nullptr), CResourceException);
    EXPECT_TRUE(m_ui.m_started.empty());

    SetPlayerResourceProvider([] { return std::optional<std::string_view>(kPlayer); });
    m_ui.m_messages.clear();
    m_ui.m_progressLog = {};
    m_ui.m_answers = {IDYES};
    m_pType->Open(m_pMovie, nullptr);
    ASSERT_EQ(m_ui.m_started.size(), 1u);
    const std::string exe = m_ui.m_started[0];
    EXPECT_EQ(exe, m_pMovie->m_strCachePath);
    EXPECT_EQ(exe.substr(exe.size() - 4), ".exe");
    EXPECT_EQ(exe.rfind(m_cache, 0), 0u) << exe;
    EXPECT_EQ(ReadWholeFile(exe), kPlayer + kMovie);
    struct stat st;
    ASSERT_EQ(::stat(exe.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    EXPECT_FALSE(FileExists(exe + ".tmp"));
    EXPECT_EQ(m_ui.m_messages[0].text, "Для распаковки потребуется время. Продолжать?");
    EXPECT_EQ(m_ui.m_progressLog.caption, "Распаковка...");
    EXPECT_EQ(m_ui.m_progressLog.upper, 5);
    EXPECT_EQ(m_ui.m_progressLog.advances, 4);

    // In a later run the movie file in the cache starts without a question.
    Open(m_dir / "movies.dat");
    m_ui.m_messages.clear();
    Entry("art\\cuts\\intro.mve")->m_pType->Open(Entry("art\\cuts\\intro.mve"), nullptr);
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(m_ui.m_started.size(), 2u);
}

TEST_F(MovieTest, NoLeavesNothingAndACancelStopsBetweenStepsAndAsksAgainNextTime)
{
    m_ui.m_answers = {IDNO};
    m_pType->Open(m_pMovie, nullptr);
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_TRUE(m_pMovie->m_strCachePath.empty());
    EXPECT_EQ(CountFiles(m_cache), 0u);

    // Cancel before the second step: the packed copy stays, no program, nothing started.
    m_ui.m_answers = {IDYES};
    m_ui.m_progressLog.cancelAtPoll = {1};
    m_pType->Open(m_pMovie, nullptr);
    EXPECT_TRUE(m_ui.m_started.empty());
    EXPECT_TRUE(m_pMovie->m_strCachePath.empty());
    bool tmp = false, exe = false;
    for (auto& e : std::filesystem::recursive_directory_iterator(m_cache)) {
        tmp = tmp || e.path().string().ends_with(".exe.tmp");
        exe = exe || e.path().string().ends_with(".exe");
    }
    EXPECT_TRUE(tmp);
    EXPECT_FALSE(exe);

    // The next Open asks again and completes.
    m_ui.m_progressLog = {};
    m_ui.m_answers = {IDYES};
    m_pType->Open(m_pMovie, nullptr);
    EXPECT_EQ(m_ui.m_started.size(), 1u);
}

TEST_F(MovieTest, SaveAsWritesTheMovieOrTheProgramUnderExactlyTheChosenName)
{
    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "plain", 1};
    m_ui.m_answers = {IDYES};
    m_pType->SaveAs(m_pMovie, nullptr);
    EXPECT_EQ(m_ui.m_saveDialogs.back().first, "Movies MVE files|*.mve|EXE files (*.exe)|*.exe||");
    EXPECT_EQ(m_ui.m_saveDialogs.back().second, "intro.mve");
    EXPECT_EQ(ReadWholeFile(m_dir / "plain"), kMovie);
    EXPECT_EQ(m_ui.m_progressLog.advances, 2);

    m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "movie", 2};
    m_ui.m_answers = {IDYES};
    m_pType->SaveAs(m_pMovie, nullptr);
    EXPECT_EQ(ReadWholeFile(m_dir / "movie"), kPlayer + kMovie);
    EXPECT_FALSE(FileExists(m_dir / "movie.exe"));
}

TEST_F(MovieTest, TheHintIsDrawnAndAcmSaveShowsOnlyTheNotice)
{
    Show("art\\cuts\\intro.mve");
    ASSERT_FALSE(m_dc.m_texts.empty());
    EXPECT_EQ(m_dc.m_texts.back().text, "Для просмотра кина выберите в сплывающем меню: 'Открыть'");
    EXPECT_EQ(m_dc.m_texts.back().format & (DT_CENTER | DT_VCENTER | DT_SINGLELINE),
              unsigned(DT_CENTER | DT_VCENTER | DT_SINGLELINE));

    CDATInternalFile* sound = Entry("sound\\boom.acm");
    sound->m_pType->SaveAs(sound, nullptr);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    ExpectMessage(m_ui, 0, "Сохранение ACM файла", "boom.acm", MB_OK);
    EXPECT_TRUE(m_ui.m_saveDialogs.empty());
}

} // namespace
