#include "views/soundplayer.h"

#include <SDL.h>

CSoundPlayer::~CSoundPlayer()
{
    Stop();
    if (m_bInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool CSoundPlayer::Available()
{
    if (!m_bInitialised) {
        // The window's signals stay the window's.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        m_bInitialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return m_bInitialised;
}

bool CSoundPlayer::Play(const std::vector<std::int16_t>& samples, int rate, int channels)
{
    Stop();
    if (!Available() || samples.empty())
        return false;
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = std::uint8_t(channels);
    want.samples = 2048;
    // SDL converts to whatever the device takes.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0)
        return false;
    if (SDL_QueueAudio(m_device, samples.data(), std::uint32_t(samples.size() * sizeof(std::int16_t))) != 0) {
        Stop();
        return false;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void CSoundPlayer::Stop()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

bool CSoundPlayer::IsPlaying() const
{
    return m_device != 0 && SDL_GetQueuedAudioSize(m_device) > 0;
}
