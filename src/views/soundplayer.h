#pragma once
// Plays a sound's samples in the background through SDL's audio queue; the
// window never waits for the device. Without a device nothing plays and
// nothing is reported but the answer of Play.
#include <cstdint>
#include <vector>

class CSoundPlayer
{
public:
    CSoundPlayer() = default;
    ~CSoundPlayer();
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    // Whether sound can be played here at all.
    bool Available();
    // Starts the samples from the beginning; false when no device would open.
    bool Play(const std::vector<std::int16_t>& samples, int rate, int channels);
    void Stop();
    // Still sounding: samples queued and not yet played.
    bool IsPlaying() const;

private:
    bool m_bInitialised = false;
    std::uint32_t m_device = 0;
};
