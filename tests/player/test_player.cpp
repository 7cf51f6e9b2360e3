// The movie player as the shell starts it: movies from the MVE writer appended
// to the player (directly, or through the archive's movie extraction) and run
// in its headless mode, which must give back every picture and sample written.
// Damaged movies must end in a clear message (the movie fuzz target feeds the
// same reader hostile bytes).
#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "archive/playerresource.h"
#include "datwriter.h"
#include "mvewriter.h"
#include "platform/file.h"
#include "shell/playerblob.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct SRun
{
    int code = -1; // exit status; 128 + the signal that ended it (SIGKILL: the time ran out)
    std::string out, err;
};

// Runs exe with no arguments and with the player's variables set only as given.
SRun RunPlayer(const std::string& exe, const std::string& vars = "DRAVIK_PLAYER_HEADLESS=1", int seconds = 30)
{
    CTempDir io;
    const std::string command = "env -u DRAVIK_PLAYER_HEADLESS -u DRAVIK_PLAYER_MOVIE " + vars + " timeout -s KILL " +
                                std::to_string(seconds) + " '" + exe + "' >" + io / "out" + " 2>" + io / "err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(io / "out"), ReadWholeFile(io / "err")};
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
    def.width = width, def.height = height, def.frames = frames, def.fps = 15;
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
    if (channels)
        def.sound = SMveSound{rate, channels, [](std::uint64_t i, int c) {
                                  return std::int16_t(int((i * 37 + c * 1000) % 20000) - 10000); }};
    return def;
}

class PlayerTest : public ::testing::Test
{
protected:
    void TearDown() override { SetPlayerResourceProvider({}); }

    // The player with bytes appended, executable, as the archive writes it.
    std::string MovieExe(const std::string& movie, std::string name = "")
    {
        const std::string path = m_tmp / (name.empty() ? "movie" + std::to_string(m_nMovies++) + ".exe" : name);
        WriteWholeFile(path, ReadWholeFile(DRAVIK_PLAYER_PATH) + movie);
        ::chmod(path.c_str(), 0755);
        return path;
    }

    CTempDir m_tmp;
    int m_nMovies = 0;
};

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
        SRun run = RunPlayer(DRAVIK_PLAYER_PATH, "DRAVIK_PLAYER_HEADLESS=1 DRAVIK_PLAYER_MOVIE=" + path);
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
    ASSERT_TRUE(entry && entry->IsCompressed());

    const std::string raw = m_tmp / "intro.exe.tmp", exe = m_tmp / "intro.exe";
    {
        CFile archive(archivePath, CFile::modeRead);
        CopyEntryBytes(archive, *entry, raw);
    }
    ASSERT_EQ(ExtractMovieWithPlayer(raw, exe, *entry), 0);
    EXPECT_EQ(ReadWholeFile(exe), carried + movie);
    SRun run = RunPlayer(exe);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, ExpectedReport(def));
    EXPECT_EQ(run.err, "");
}

TEST_F(PlayerTest, NoMovieOrADamagedOneEndsWithAClearMessage)
{
    const std::string movie = BuildMve(TestMovie(64, 48, 12, 1));
    const std::string absent = m_tmp / "absent.mve";
    const struct
    {
        std::string exe, vars;
        int code;
        std::string message;
    } cases[] = {
        {DRAVIK_PLAYER_PATH, "DRAVIK_PLAYER_HEADLESS=0", 2, "no movie is stored in " DRAVIK_PLAYER_PATH},
        {MovieExe("", "carried.exe"), "DRAVIK_PLAYER_HEADLESS=1", 2, "no movie is stored in " + m_tmp / "carried.exe"},
        {DRAVIK_PLAYER_PATH, "DRAVIK_PLAYER_MOVIE=" + absent, 2, "cannot open " + absent},
        {MovieExe("MZ not a movie at all"), "", 3, "are not an MVE movie"},
        {MovieExe("\n" + movie), "", 3, "are not an MVE movie"},
        {MovieExe(movie.substr(0, 19)), "", 3, "are not an MVE movie"},
        // Cut in the header, inside the first chunks, mid-movie, and just before
        // the 12-byte shutdown chunk and 4-byte end chunk.
        {MovieExe(movie.substr(0, 26)), "", 3, "is damaged"},
        {MovieExe(movie.substr(0, 30)), "", 3, "is damaged"},
        {MovieExe(movie.substr(0, movie.size() / 3)), "", 3, "is damaged"},
        {MovieExe(movie.substr(0, movie.size() - 16)), "", 3, "is damaged"},
    };
    for (const auto& c : cases) {
        SRun run = RunPlayer(c.exe, "DRAVIK_PLAYER_HEADLESS=1 " + c.vars, 10);
        EXPECT_EQ(run.code, c.code) << c.exe << " " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

} // namespace
