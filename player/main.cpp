// dravik-mve-player: plays the MVE movie stored right after its own program
// image (the browser writes such files and starts them with no arguments).
//   DRAVIK_PLAYER_MOVIE=path   play a plain movie file instead
//   DRAVIK_PLAYER_HEADLESS=1   decode everything without a window or sound
//                              device and print what was decoded
// Exit status: 0 played, 1 no window or unreadable program, 2 no movie, 3 damaged movie.
#define SDL_MAIN_HANDLED
#include "movie.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull, kFnvPrime = 0x100000001b3ull;

bool EnvFlag(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v && std::strcmp(v, "0") != 0;
}

// Counts what was decoded; the checksum is FNV-1a over every picture's RGB bytes.
class CHeadlessSink : public IMovieSink
{
public:
    void Picture(const std::uint8_t* rgb, int width, int height, std::int64_t) override
    {
        for (std::size_t i = 0, n = std::size_t(width) * height * 3; i < n; ++i)
            m_hash = (m_hash ^ rgb[i]) * kFnvPrime;
    }
    void Sound(const std::int16_t*, int, int, int) override {}
    bool Stopped() override { return false; }
    std::uint64_t Checksum() const { return m_hash; }

private:
    std::uint64_t m_hash = kFnvOffset;
};

// Sends stderr to /dev/null while it lives.
class CQuietStderr
{
public:
    CQuietStderr() : m_saved(::dup(2))
    {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, 2);
        if (null >= 0)
            ::close(null);
    }
    ~CQuietStderr()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, 2);
            ::close(m_saved);
        }
    }
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int m_saved;
};

class CWindowSink : public IMovieSink
{
public:
    CWindowSink(const std::string& title, int width, int height)
    {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            Fail(kExitFailure, std::string("cannot open a window: ") + SDL_GetError());
        // Small movies are blown up to a comfortable size; the picture keeps its shape when the window changes.
        const int scale = std::max(1, std::min(800 / std::max(width, 1), 600 / std::max(height, 1)));
        m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
                                    height * scale, SDL_WINDOW_RESIZABLE);
        if (m_window)
            m_renderer = SDL_CreateRenderer(m_window, -1, 0);
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
            // Without a sound device the movie plays silently.
            m_audioTried = true;
            CQuietStderr quiet;  // ALSA prints its own complaints when there is no sound card
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
        return std::int64_t(SDL_GetPerformanceCounter() * 1000000.0 / double(SDL_GetPerformanceFrequency()));
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
        bool got = timeoutMs > 0 ? SDL_WaitEventTimeout(&e, timeoutMs) : SDL_PollEvent(&e);
        while (got) {
            if (e.type == SDL_QUIT)
                m_quit = true;
            else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
                m_quit = true;
            else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)
                m_quit = true;
            else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_SPACE && !e.key.repeat)
                TogglePause();
            else if (e.type == SDL_WINDOWEVENT)
                Redraw();
            got = SDL_PollEvent(&e);
        }
    }

    void TogglePause()
    {
        if (!m_paused) {
            m_pausedAtUs = RawNowUs();
        } else {
            m_originUs += RawNowUs() - m_pausedAtUs;
        }
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
    bool m_audioTried = false;
    bool m_started = false, m_paused = false, m_quit = false;
    std::int64_t m_originUs = 0, m_pausedAtUs = 0;
};

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Run()
{
    SMovieSource source = FindMovie();
    CMovie movie(source);
    std::string damage;
    if (EnvFlag("DRAVIK_PLAYER_HEADLESS")) {
        CHeadlessSink sink;
        damage = movie.Play(sink);
        std::printf("frames=%llu audio_samples=%llu checksum=%016llx\n",
                    static_cast<unsigned long long>(movie.Pictures()),
                    static_cast<unsigned long long>(movie.Samples()),
                    static_cast<unsigned long long>(sink.Checksum()));
        std::fflush(stdout);
    } else {
        CWindowSink sink(BaseName(source.name), movie.Width(), movie.Height());
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
