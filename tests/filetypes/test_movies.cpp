// Movies: the carried player with the movie appended, built once into the
// cache; Save as MVE or as a movie program; sounds saved as WAV; posters and facts.
#include "archive/playerresource.h"
#include "filetypes/mvefiletype.h"
#include "filetypes/previews.h"
#include "handlertest.h"
#include "media.h"
#include "moviereader.h"
#include "mvewriter.h"
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

TEST_F(MovieTest, AcmSaveAsKeepsTheBytesOrWritesSixteenBitWav)
{
    // Silence: zero bits decode to zero samples, in the channels the game plays.
    const std::string silent = BuildAcm(3000, 1, 22050, std::string(400, '\0'));
    Open(Archive("sounds.dat", {{"sound\\music\\calm.acm", silent}, {"sound\\sfx\\boom.acm", silent}}));
    struct SCase { const char* entry; int filter; int channels; };
    for (const SCase c : {SCase{"sound\\music\\calm.acm", 2, 2}, SCase{"sound\\sfx\\boom.acm", 2, 1},
                          SCase{"sound\\sfx\\boom.acm", 1, 0}}) {
        SCOPED_TRACE(c.entry);
        CDATInternalFile* sound = Entry(c.entry);
        m_ui.m_saveAnswer = CUiServices::SSaveFileResult{m_dir / "out", c.filter};
        sound->m_pType->SaveAs(m_doc->Context(), sound, nullptr);
        EXPECT_EQ(m_ui.m_saveDialogs.back().first, "Sound ACM files|*.acm|WAV files (*.wav)|*.wav||");
        const std::string out = ReadWholeFile(m_dir / "out");
        if (c.channels == 0) {
            EXPECT_EQ(out, silent);
            continue;
        }
        ASSERT_EQ(out.size(), 44u + 2 * 3000);
        EXPECT_EQ(out.substr(0, 4) + out.substr(8, 8), "RIFFWAVEfmt ");
        EXPECT_EQ(out[22], char(c.channels));
        EXPECT_EQ(out.substr(44), std::string(6000, '\0'));
    }
}

// Movies made by the writer: the poster's pixels are those the player's own
// reader shows for the chosen picture, and the facts are the writer's.
TEST(MovieFactsTest, PosterIsTheFirstPictureThatIsNotOneColourAndFactsMatch)
{
    struct SCase { int blankFrames; bool sound; };
    for (const SCase c : {SCase{0, false}, SCase{2, true}}) {
        SMveMovie movie;
        movie.width = 16;
        movie.height = 16;
        movie.frames = c.blankFrames + 2;
        movie.palette = DemoPalette();
        movie.frame = [&](int k) {
            return k < c.blankFrames ? std::vector<std::uint8_t>(256, 7) : CheckerPicture(16, 16, char('A' + k));
        };
        if (c.sound)
            movie.sound = DemoMovie(16, 16, 1, 15, true, 2).sound;
        const std::string bytes = BuildMve(movie);
        const SMovieFacts facts = ReadMovieFacts(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), true);

        struct SPictures : IMovieSink
        {
            void Picture(const std::uint8_t* rgb, int w, int h, std::int64_t) override
            {
                pictures.emplace_back(rgb, rgb + std::size_t(w) * h * 3);
            }
            void Sound(const std::int16_t*, int, int, int) override {}
            bool Stopped() override { return false; }
            std::vector<std::vector<std::uint8_t>> pictures;
        } sink;
        CMemoryMovie memory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        CMovie reader(memory);
        reader.Play(sink);
        ASSERT_EQ(sink.pictures.size(), std::size_t(movie.frames));
        const std::vector<std::uint8_t>& expected = sink.pictures[std::size_t(c.blankFrames)];
        ASSERT_EQ(facts.m_poster.size(), 256u);
        for (std::size_t i = 0; i < 256; ++i)
            ASSERT_EQ(facts.m_poster[i], 0xFF000000u | expected[3 * i] << 16 | expected[3 * i + 1] << 8 | expected[3 * i + 2])
                << "pixel " << i;

        EXPECT_EQ(facts.m_nWidth, 16);
        EXPECT_EQ(facts.m_nFrames, std::uint64_t(movie.frames));
        EXPECT_EQ(facts.m_nDurationMs, std::int64_t(MveFramePeriod(movie)) * movie.frames / 1000);
        EXPECT_EQ(facts.m_nAudioChannels, c.sound ? 2 : 0);
    }
}

// Damaged sounds and movies get a line in the pane that says so, never an error.
TEST_F(MovieTest, DamagedSoundsAndMoviesSayWhatIsWrongInThePane)
{
    const std::string acm = BuildAcm(3000, 1, 22050, std::string(40, '\0'));
    Open(Archive("broken.dat", {{"a.acm", "RIFF"}, {"b.acm", acm.substr(0, 12)}, {"c.acm", BuildAcm(3000, 1, 0, "")},
                                {"d.mve", kMovie}, {"e.mve", BuildMve(DemoMovie(16, 16, 2, 15, false)).substr(0, 40)}}));
    for (const char* name : {"a.acm", "b.acm", "c.acm", "d.mve", "e.mve"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<CPreview> preview = MakePreviewNow(m_doc->Context(), *Entry(name));
        CRecordingDC dc;
        preview->Layout(dc, {0, 0, 400, 300});
        preview->Draw(dc);
        std::string shown;
        for (const auto& text : dc.m_texts)
            shown += text.text + "\n";
        EXPECT_NE(shown.find(name[2] == 'a' ? "Звук повреждён: " : "Кино повреждено: "), std::string::npos) << shown;
    }
}

} // namespace
