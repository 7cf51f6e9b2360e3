// The movie player as the shell starts it: movies from the MVE writer appended
// to the player (directly, or through the archive's movie extraction) and run
// in its headless mode, which must give back every picture and sample written.
// Damaged movies must end in a clear message, never in a signal or a hang.
#include "archive/datfiledoc.h"
#include "archive/datitem.h"
#include "archive/extract.h"
#include "archive/playerresource.h"
#include "datwriter.h"
#include "mvewriter.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "shell/playerblob.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

struct SRun
{
    int code = -1;    // exit status, or -1
    int signal = 0;   // the signal that ended it, or 0
    bool timedOut = false;
    std::string out, err;
};

// Runs exe with no arguments and with the player's variables set only as given.
SRun RunPlayer(const std::string& exe, const std::map<std::string, std::string>& vars = {{"DRAVIK_PLAYER_HEADLESS", "1"}},
               std::chrono::seconds limit = std::chrono::seconds(30))
{
    CTempDir io;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DRAVIK_PLAYER_", 14) != 0)
            env.emplace_back(*e);
    for (const auto& [name, value] : vars)
        env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string arg0 = exe;
    char* argv[] = {arg0.data(), nullptr};

    const std::string outPath = io / "out", errPath = io / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + exe + ": " + std::strerror(rc));

    SRun run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status))
        run.code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    return run;
}

// The headless report the player must print for def: FNV-1a over every
// picture's RGB bytes, the palette widened from 6 to 8 bits as v*4 + v/16.
std::string ExpectedReport(const SMveMovie& def)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (int k = 0; k < def.frames; ++k)
        for (std::uint8_t index : def.frame(k))
            for (std::uint8_t v : def.palette[index]) {
                const std::uint8_t wide = static_cast<std::uint8_t>(v * 4 + v / 16);
                hash = (hash ^ wide) * 0x100000001b3ull;
            }
    char line[128];
    std::snprintf(line, sizeof line, "frames=%d audio_samples=%llu checksum=%016llx\n", def.frames,
                  static_cast<unsigned long long>(MveTotalSamples(def)), static_cast<unsigned long long>(hash));
    return line;
}

// Pictures that use every block kind: a fixed pattern (raw blocks, copied once
// unchanged), a one-colour stripe, and every fourth column of blocks redrawn
// each frame. channels 0 is a silent movie.
SMveMovie TestMovie(int width, int height, int frames, int channels, std::uint32_t rate = 22050)
{
    SMveMovie def;
    def.width = width;
    def.height = height;
    def.frames = frames;
    def.fps = 15;
    for (int i = 0; i < 256; ++i)
        def.palette[i] = {std::uint8_t(i % 64), std::uint8_t((i * 7) % 64), std::uint8_t((255 - i) % 64)};
    def.frame = [width, height](int k) {
        std::vector<std::uint8_t> px(std::size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t v = std::uint8_t(x * 3 + y * 5);
                if (y >= 8 && y < 16)
                    v = 200;
                if ((x / 8) % 4 == k % 4)
                    v = std::uint8_t(x + y * 7 + k * 31);
                px[std::size_t(y) * width + x] = v;
            }
        return px;
    };
    if (channels) {
        SMveSound sound;
        sound.sampleRate = rate;
        sound.channels = channels;
        sound.sample = [](std::uint64_t i, int c) { return std::int16_t(int((i * 37 + c * 1000) % 20000) - 10000); };
        def.sound = sound;
    }
    return def;
}

class PlayerTest : public ::testing::Test
{
protected:
    void TearDown() override { SetPlayerResourceProvider({}); }

    // The player with bytes appended, executable, as the archive writes it.
    std::string MovieExe(const std::string& movie, const std::string& name = "movie.exe")
    {
        const std::string path = m_tmp / name;
        WriteWholeFile(path, ReadWholeFile(DRAVIK_PLAYER_PATH) + movie);
        ::chmod(path.c_str(), 0755);
        return path;
    }

    CTempDir m_tmp;
};

// ---------------------------------------------------------------- movies that decode

TEST_F(PlayerTest, AppendedMovieGivesBackEveryFrameAndSampleWritten)
{
    const SMveMovie def = TestMovie(64, 48, 12, 1);
    ASSERT_EQ(MveTotalSamples(def), 17640u);  // 12 frames of 1/15 s at 22,050 Hz
    SRun run = RunPlayer(MovieExe(BuildMve(def)));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, ExpectedReport(def));
    EXPECT_EQ(run.err, "");
}

TEST_F(PlayerTest, WriterMoviesOfEveryShapeDecodeExactly)
{
    struct SCase
    {
        const char* what;
        SMveMovie def;
    };
    SMveMovie still = TestMovie(64, 48, 20, 0);
    still.frame = [](int) { return std::vector<std::uint8_t>(64 * 48, 9); };
    const SCase cases[] = {
        {"one 8x8 frame, silent", TestMovie(8, 8, 1, 0)},
        {"an odd number of blocks", TestMovie(24, 8, 3, 0)},
        {"stereo at 11,025 Hz", TestMovie(64, 48, 7, 2, 11025)},
        // Raw blocks and sound together exceed a chunk: the sound goes in a chunk of its own.
        {"320x200 with stereo sound", TestMovie(320, 200, 4, 2)},
        {"a still picture", still},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = m_tmp / "plain.mve";
        WriteWholeFile(path, BuildMve(c.def));
        SRun run = RunPlayer(DRAVIK_PLAYER_PATH, {{"DRAVIK_PLAYER_HEADLESS", "1"}, {"DRAVIK_PLAYER_MOVIE", path}});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, ExpectedReport(c.def));
    }
}

TEST_F(PlayerTest, MovieFileFromTheArchiveStartsWithTheCarriedPlayerAndPlays)
{
    InstallCarriedPlayer();
    const std::string carried = ReadWholeFile(DRAVIK_CARRIED_PLAYER_PATH);
    ASSERT_EQ(GetPlayerResourceSize(), carried.size());
    ASSERT_EQ(CarriedPlayer(), carried);

    const SMveMovie def = TestMovie(64, 48, 12, 1);
    const std::string movie = BuildMve(def);
    CDatWriter w;
    w.AddCompressed("art\\cuts\\intro.mve", movie);
    const std::string archivePath = m_tmp / "movies.dat";
    w.WriteTo(archivePath);
    CDATFileDoc doc(false);
    doc.LoadArchive(archivePath);
    const CDATInternalFile* entry = doc.FindEntry("intro.mve");
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->IsCompressed());

    const std::string raw = m_tmp / "intro.exe.tmp", exe = m_tmp / "intro.exe";
    {
        CFile archive(archivePath, CFile::modeRead);
        CopyEntryBytes(archive, *entry, raw);
    }
    ASSERT_EQ(ExtractMovieWithPlayer(raw, exe, *entry), 0);
    EXPECT_EQ(ReadWholeFile(exe), carried + movie);
    struct stat st{};
    ASSERT_EQ(::stat(exe.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);

    SRun run = RunPlayer(exe);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, ExpectedReport(def));
}

// ---------------------------------------------------------------- no movie, damaged movies

TEST_F(PlayerTest, NothingAppendedEndsWithAClearMessage)
{
    for (const std::string& exe : {std::string(DRAVIK_PLAYER_PATH), MovieExe("", "carried.exe")}) {
        SCOPED_TRACE(exe);
        for (const char* headless : {"1", "0"}) {
            SRun run = RunPlayer(exe, {{"DRAVIK_PLAYER_HEADLESS", headless}});
            EXPECT_EQ(run.code, 2);
            EXPECT_NE(run.err.find("no movie is stored in " + exe), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
        }
    }
    SRun missing = RunPlayer(DRAVIK_PLAYER_PATH, {{"DRAVIK_PLAYER_MOVIE", m_tmp / "absent.mve"}});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("cannot open " + m_tmp / "absent.mve"), std::string::npos) << missing.err;
}

TEST_F(PlayerTest, OtherBytesAfterThePlayerAreNotTakenForAMovie)
{
    const std::string movie = BuildMve(TestMovie(64, 48, 2, 0));
    for (const std::string& tail : {std::string("MZ not a movie at all"), "\n" + movie, movie.substr(0, 19)}) {
        SRun run = RunPlayer(MovieExe(tail));
        EXPECT_EQ(run.code, 3);
        EXPECT_NE(run.err.find("are not an MVE movie"), std::string::npos) << run.err;
    }
}

TEST_F(PlayerTest, TruncatedMovieIsReportedAfterTheFramesThatSurvive)
{
    const SMveMovie def = TestMovie(64, 48, 12, 1);
    const std::string movie = BuildMve(def);
    // Up to the header, inside the first chunks, mid-movie, and just before the
    // 12-byte shutdown chunk and 4-byte end chunk (the movie's last frame complete).
    for (std::size_t cut : {std::size_t(26), std::size_t(30), movie.size() / 3, movie.size() / 2, movie.size() - 16}) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(movie.size()));
        SRun run = RunPlayer(MovieExe(movie.substr(0, cut)), {{"DRAVIK_PLAYER_HEADLESS", "1"}},
                             std::chrono::seconds(10));
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.code, 3);
        EXPECT_NE(run.err.find("is damaged"), std::string::npos) << run.err;
    }
}

TEST_F(PlayerTest, DamagedMovieNeverCrashesOrHangs)
{
    const SMveMovie def = TestMovie(64, 48, 12, 1);
    const std::string movie = BuildMve(def);
    std::mt19937 gen(7);
    for (int round = 0; round < 40; ++round) {
        std::string bad = movie;
        // Bytes flipped past the signature, from a few to many.
        const int flips = 1 + round % 8 * (round % 3 + 1);
        for (int i = 0; i < flips; ++i)
            bad[20 + gen() % (bad.size() - 20)] ^= char(1 + gen() % 255);
        SCOPED_TRACE("round " + std::to_string(round));
        SRun run = RunPlayer(MovieExe(bad), {{"DRAVIK_PLAYER_HEADLESS", "1"}}, std::chrono::seconds(10));
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.signal, 0) << run.err;
        EXPECT_TRUE(run.code == 0 || run.code == 3) << run.code << " " << run.err;
        if (run.code == 3) {
            EXPECT_NE(run.err.find("is damaged"), std::string::npos) << run.err;
        }
    }
}

// ---------------------------------------------------------------- the writer's limits

TEST(MveWriterTest, UnchangedBlocksAreCopiedNotRepeated)
{
    SMveMovie one = TestMovie(64, 48, 1, 0), many = TestMovie(64, 48, 11, 0);
    one.frame = many.frame = [](int) {
        std::vector<std::uint8_t> px(64 * 48);
        for (std::size_t i = 0; i < px.size(); ++i)
            px[i] = std::uint8_t(i * 13);
        return px;
    };
    // Ten more frames of 48 copied blocks: opcodes and a 24-byte map each, no block data.
    EXPECT_LT(BuildMve(many).size() - BuildMve(one).size(), 10u * 80);
}

TEST(MveWriterTest, RejectsWhatCannotBeWritten)
{
    SMveMovie def = TestMovie(64, 48, 2, 1);
    EXPECT_NO_THROW(BuildMve(def));
    SMveMovie odd = def;
    odd.width = 60;
    EXPECT_THROW(BuildMve(odd), std::invalid_argument);
    SMveMovie noFrames = def;
    noFrames.frames = 0;
    EXPECT_THROW(BuildMve(noFrames), std::invalid_argument);
    SMveMovie short_ = def;
    short_.frame = [](int) { return std::vector<std::uint8_t>(10); };
    EXPECT_THROW(BuildMve(short_), std::invalid_argument);
    SMveMovie surround = def;
    surround.sound->channels = 6;
    EXPECT_THROW(BuildMve(surround), std::invalid_argument);
    // 1,200 raw blocks do not fit one chunk.
    EXPECT_THROW(BuildMve(TestMovie(320, 240, 1, 0)), std::length_error);
}

} // namespace
