// dravik-mve-player: plays the MVE movie stored right after its own program
// image (the browser writes such files and starts them with no arguments).
//   DRAVIK_PLAYER_MOVIE=path   play a plain movie file instead
//   DRAVIK_PLAYER_HEADLESS=1   decode everything without a window or sound
//                              device and print what was decoded
// Exit status: 0 played, 1 no window or unreadable program, 2 no movie, 3 damaged movie.
#define SDL_MAIN_HANDLED
#include "moviereader.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}
#include <SDL.h>

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The first 20 bytes of every MVE file, the terminating zero included.
constexpr char kSignature[] = "Interplay MVE File\x1A";

bool ReadAt(int fd, void* buf, std::size_t n, std::uint64_t offset)
{
    for (auto* p = static_cast<char*>(buf); n > 0;) {
        const ssize_t got = ::pread(fd, p, n, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= std::size_t(got);
        offset += std::uint64_t(got);
    }
    return true;
}

// Where the program image ends: past its header tables and the file extent of
// every segment and section.
template <class Ehdr, class Phdr, class Shdr>
std::uint64_t ImageEnd(int fd, std::uint64_t fileSize)
{
    auto damaged = [] { Fail(kExitFailure, "cannot read the player's own program headers"); };
    Ehdr eh;
    if (!ReadAt(fd, &eh, sizeof eh, 0))
        damaged();
    std::uint64_t end = sizeof eh;
    // A header pointing past the file means a damaged program, not a movie offset.
    auto extent = [&](std::uint64_t offset, std::uint64_t size) {
        if (offset > fileSize || size > fileSize - offset)
            damaged();
        end = std::max(end, offset + size);
    };
    if (eh.e_phnum && eh.e_phentsize < sizeof(Phdr))
        damaged();
    extent(eh.e_phoff, std::uint64_t(eh.e_phnum) * eh.e_phentsize);
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
        Phdr ph;
        if (!ReadAt(fd, &ph, sizeof ph, eh.e_phoff + std::uint64_t(i) * eh.e_phentsize))
            damaged();
        extent(ph.p_offset, ph.p_filesz);
    }
    if (eh.e_shnum && eh.e_shentsize < sizeof(Shdr))
        damaged();
    extent(eh.e_shoff, std::uint64_t(eh.e_shnum) * eh.e_shentsize);
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Shdr sh;
        if (!ReadAt(fd, &sh, sizeof sh, eh.e_shoff + std::uint64_t(i) * eh.e_shentsize))
            damaged();
        if (sh.sh_type != SHT_NOBITS)
            extent(sh.sh_offset, sh.sh_size);
    }
    return end;
}

std::uint64_t ElfImageEnd(int fd, std::uint64_t fileSize)
{
    unsigned char ident[EI_NIDENT];
    const bool readable = ReadAt(fd, ident, sizeof ident, 0) && std::memcmp(ident, ELFMAG, SELFMAG) == 0 &&
                          ident[EI_DATA] == (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB);
    if (readable && ident[EI_CLASS] == ELFCLASS64)
        return ImageEnd<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(fd, fileSize);
    if (readable && ident[EI_CLASS] == ELFCLASS32)
        return ImageEnd<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(fd, fileSize);
    Fail(kExitFailure, "the player's own program is not an ELF file it can read");
}

// The movie: bytes [begin, begin + size) of fd.
struct SSource : CMovieBytes
{
    int fd = -1;
    std::uint64_t begin = 0, size = 0;
    std::string& name = m_strName;
    ~SSource() override
    {
        if (fd >= 0)
            ::close(fd);
    }
    std::uint64_t Size() const override { return size; }
    int ReadAt(std::uint64_t pos, std::uint8_t* buf, int n) override
    {
        ssize_t got;
        do
            got = ::pread(fd, buf, std::size_t(n), off_t(begin + pos));
        while (got < 0 && errno == EINTR);
        return got < 0 ? AVERROR(errno) : int(got);
    }
};

// DRAVIK_PLAYER_MOVIE's file, or whatever follows our own program image.
void FindMovie(SSource& s)
{
    const char* path = std::getenv("DRAVIK_PLAYER_MOVIE");
    const bool appended = !path || !*path;
    s.name = appended ? "/proc/self/exe" : path;
    s.fd = ::open(s.name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (s.fd < 0 || ::fstat(s.fd, &st) != 0)
        Fail(appended ? kExitFailure : kExitNoMovie, "cannot open " + s.name + ": " + std::strerror(errno));
    s.size = std::uint64_t(st.st_size);
    if (appended) {
        char real[4096];
        const ssize_t n = ::readlink("/proc/self/exe", real, sizeof real);
        if (n > 0 && std::size_t(n) < sizeof real)
            s.name.assign(real, std::size_t(n));
        s.begin = ElfImageEnd(s.fd, s.size);
        s.size -= s.begin;
        if (s.size == 0)
            Fail(kExitNoMovie, "no movie is stored in " + s.name + ": nothing follows the player's " +
                                   std::to_string(s.begin) + "-byte program");
    }
    char head[sizeof kSignature] = {};
    if (s.size < sizeof head || !ReadAt(s.fd, head, sizeof head, s.begin) ||
        std::memcmp(head, kSignature, sizeof head) != 0)
        Fail(kExitDamaged, "the " + std::to_string(s.size) + " bytes " + (appended ? "after the player in " : "of ") +
                               s.name + " are not an MVE movie (it does not start with the MVE signature)");
}

// Counts what was decoded; the checksum is FNV-1a over every picture's RGB bytes.
class CHeadlessSink : public IMovieSink
{
public:
    void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t) override
    {
        for (std::size_t i = 0, n = std::size_t(width) * height * 3; i < n; ++i)
            m_hash = (m_hash ^ rgb[i]) * 0x100000001b3ull;
    }
    void Sound(const std::int16_t*, int, int, int) override {}
    bool Stopped() override { return false; }
    std::uint64_t Checksum() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf29ce484222325ull;
};

class CWindowSink : public IMovieSink
{
public:
    CWindowSink(const std::string& title, int width, int height)
    {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            Fail(kExitFailure, std::string("cannot open a window: ") + SDL_GetError());
        // Small movies are blown up to a comfortable size; the picture keeps its shape when the window changes.
        const int scale = std::max(1, std::min(800 / width, 600 / height));
        m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
                                    height * scale, SDL_WINDOW_RESIZABLE);
        m_renderer = m_window ? SDL_CreateRenderer(m_window, -1, 0) : nullptr;
        if (!m_renderer)
            Fail(kExitFailure, std::string("cannot open a window: ") + SDL_GetError());
        SDL_RenderSetLogicalSize(m_renderer, width, height);
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
        Redraw();
    }
    ~CWindowSink() override
    {
        if (m_audio)
            SDL_CloseAudioDevice(m_audio);
        if (m_texture)
            SDL_DestroyTexture(m_texture);
        if (m_renderer)
            SDL_DestroyRenderer(m_renderer);
        if (m_window)
            SDL_DestroyWindow(m_window);
        SDL_Quit();
    }

    void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t ptsUs) override
    {
        if (!m_started) {
            m_started = true;
            m_originUs = RawNowUs() - ptsUs;
        }
        // A damaged timer must not freeze the window: never wait more than two seconds for a picture.
        if (ptsUs - NowUs() > kMaxWaitUs)
            m_originUs -= ptsUs - NowUs() - kMaxWaitUs;
        WaitUntil(ptsUs);
        if (m_quit)
            return;
        if (!m_texture || width != m_texW || height != m_texH) {
            if (m_texture)
                SDL_DestroyTexture(m_texture);
            m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING, width, height);
            m_texW = width;
            m_texH = height;
            SDL_RenderSetLogicalSize(m_renderer, width, height);
        }
        if (m_texture)
            SDL_UpdateTexture(m_texture, nullptr, rgb, width * 3);
        Redraw();
    }

    void Sound(const std::int16_t* samples, int count, int channels, int rate) override
    {
        if (!m_audioTried) {
            // Without a sound device the movie plays silently; ALSA's own
            // complaints about a missing card go to /dev/null meanwhile.
            m_audioTried = true;
            const int savedStderr = ::dup(2), null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (savedStderr >= 0 && null >= 0)
                ::dup2(null, 2);
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
                SDL_AudioSpec want{};
                want.freq = rate;
                want.format = AUDIO_S16SYS;
                want.channels = static_cast<Uint8>(channels);
                want.samples = 2048;
                m_audio = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
                m_audioChannels = channels;
                if (m_audio)
                    SDL_PauseAudioDevice(m_audio, m_paused ? 1 : 0);
            }
            if (savedStderr >= 0 && null >= 0)
                ::dup2(savedStderr, 2);
            for (int fd : {savedStderr, null})
                if (fd >= 0)
                    ::close(fd);
        }
        if (m_audio && channels == m_audioChannels)
            SDL_QueueAudio(m_audio, samples, Uint32(count) * channels * sizeof(std::int16_t));
    }

    bool Stopped() override
    {
        Pump(0);
        return m_quit;
    }

    // Shows the last picture for its time and lets the sound run out.
    void Finish(std::int64_t endUs)
    {
        WaitUntil(endUs);
        while (!m_quit && m_audio && SDL_GetQueuedAudioSize(m_audio) > 0)
            Pump(10);
    }

private:
    static constexpr std::int64_t kMaxWaitUs = 2000000;

    static std::int64_t RawNowUs()
    {
        return std::int64_t(double(SDL_GetPerformanceCounter()) * 1e6 / double(SDL_GetPerformanceFrequency()));
    }
    // Movie time: stands still while paused.
    std::int64_t NowUs() const { return (m_paused ? m_pausedAtUs : RawNowUs()) - m_originUs; }

    void WaitUntil(std::int64_t us)
    {
        while (!m_quit) {
            const std::int64_t left = us - NowUs();
            if (!m_paused && left <= 0)
                break;
            Pump(m_paused ? 50 : int(std::clamp<std::int64_t>(left / 1000, 1, 20)));
        }
    }

    void Pump(int timeoutMs)
    {
        SDL_Event e;
        for (bool got = timeoutMs > 0 ? SDL_WaitEventTimeout(&e, timeoutMs) : SDL_PollEvent(&e); got;
             got = SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) ||
                (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE))
                m_quit = true;
            else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_SPACE && !e.key.repeat)
                TogglePause();
            else if (e.type == SDL_WINDOWEVENT)
                Redraw();
        }
    }

    void TogglePause()
    {
        if (m_paused)
            m_originUs += RawNowUs() - m_pausedAtUs;
        else
            m_pausedAtUs = RawNowUs();
        m_paused = !m_paused;
        if (m_audio)
            SDL_PauseAudioDevice(m_audio, m_paused ? 1 : 0);
    }

    void Redraw()
    {
        SDL_RenderClear(m_renderer);
        if (m_texture)
            SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
        SDL_RenderPresent(m_renderer);
    }

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_texW = 0, m_texH = 0;
    SDL_AudioDeviceID m_audio = 0;
    int m_audioChannels = 0;
    bool m_audioTried = false, m_started = false, m_paused = false, m_quit = false;
    std::int64_t m_originUs = 0, m_pausedAtUs = 0;
};

int Run()
{
    SSource source;
    FindMovie(source);
    CMovie movie(source);
    std::string damage;
    const char* headless = std::getenv("DRAVIK_PLAYER_HEADLESS");
    if (headless && *headless && std::strcmp(headless, "0") != 0) {
        CHeadlessSink sink;
        damage = movie.Play(sink);
        std::printf("frames=%llu audio_samples=%llu checksum=%016llx\n",
                    static_cast<unsigned long long>(movie.Pictures()), static_cast<unsigned long long>(movie.Samples()),
                    static_cast<unsigned long long>(sink.Checksum()));
        std::fflush(stdout);
    } else {
        CWindowSink sink(source.name.substr(source.name.find_last_of('/') + 1), movie.Width(), movie.Height());
        damage = movie.Play(sink);
        if (!sink.Stopped())
            sink.Finish(movie.EndUs());
    }
    if (!damage.empty())
        Fail(kExitDamaged, "the movie in " + source.name + " is damaged: " + damage + " (" +
                               std::to_string(movie.Pictures()) + " pictures decoded)");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s\nPlays the MVE movie stored after this program; it takes no arguments.\n",
                     argv[0]);
        return kExitFailure;
    }
    // FFmpeg's own log would only repeat, less clearly, what we report.
    av_log_set_level(AV_LOG_QUIET);
    try {
        return Run();
    } catch (const SPlayerError& e) {
        std::fprintf(stderr, "dravik-mve-player: %s\n", e.message.c_str());
        return e.code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dravik-mve-player: %s\n", e.what());
        return kExitFailure;
    }
}
