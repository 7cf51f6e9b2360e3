#pragma once
// Writes MVE movies for tests and the demo archive: one palette, 8-bit frames
// made of raw, one-colour and copy-from-previous-frame blocks, a frame timer
// and optional uncompressed 16-bit sound. Standard library only; the same
// movie always gives the same bytes.
#include "frmwriter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SMveSound
{
    std::uint32_t sampleRate = 22050;  // 1 to 65535 Hz
    int channels = 1;                  // 1 or 2
    // Sample number `index` (counted per channel from the movie's start) of `channel`.
    std::function<std::int16_t(std::uint64_t index, int channel)> sample;
};

struct SMveMovie
{
    int width = 64;   // multiple of 8, 8 to 4096
    int height = 48;  // multiple of 8, 8 to 4096
    int frames = 1;   // at least 1
    double fps = 15;  // rounded to a whole number of microseconds per frame
    Palette63 palette{};
    // The width*height palette indices of frame k, top row first.
    std::function<std::vector<std::uint8_t>(int k)> frame;
    std::optional<SMveSound> sound;
};

// Throws std::invalid_argument for a movie outside the limits above or a frame
// of the wrong size, std::length_error when a frame's blocks do not fit one
// 65,535-byte chunk (an all-raw frame larger than about 320x200).
std::string BuildMve(const SMveMovie& movie);

// What a decoder gives back: the frame period in microseconds (the movie's
// timer), the samples per channel that frame k carries, and all of them.
std::uint32_t MveFramePeriod(const SMveMovie& movie);
std::uint32_t MveSamplesInFrame(const SMveMovie& movie, int k);
std::uint64_t MveTotalSamples(const SMveMovie& movie);

// A landscape in DemoPalette with a ball bouncing across it (most blocks stay
// unchanged from frame to frame) and, with sound, a tone that rises and falls.
SMveMovie DemoMovie(int width, int height, int frames, double fps, bool withSound, int channels = 1);

// An ACM sound: its 14-byte header (7 levels, 16 rows, as in game files)
// and body as the stream after it. A body of zero bytes decodes to silence.
std::string BuildAcm(std::uint32_t samples, int channels, int rate, const std::string& body);
