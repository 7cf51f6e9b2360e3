#pragma once
// Writes FRM pictures, palettes and RIX pictures for tests and the demo
// archive, and draws a few palette-indexed pictures to put in them.
// Standard library only.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// 256 entries of red, green, blue, each 0 to 63.
using Palette63 = std::array<std::array<std::uint8_t, 3>, 256>;

// An FRM file: version 4, the rest of the 62-byte header zero except frames per
// second (offset 4, 10 when animated), frames per direction (offset 8) and the
// length of the frame data (offset 58); then `frames` frames, each a 12-byte
// header (width, height, pixel-block size, zero x/y shift) and its pixels.
// Frame k holds the first frame's indices plus k (mod 256), so a reader that
// shows a later frame is caught. pixels: width*height indices, top row first;
// a shorter vector is padded with index 0, a longer one cut.
std::string BuildFrm(std::uint16_t width, std::uint16_t height, const std::vector<std::uint8_t>& pixels,
                     int frames = 1);

// One frame of a picture that moves: its size, its offset from the previous
// frame, its indices (top row first, padded or cut like BuildFrm's).
struct SFrmFrameSpec
{
    std::uint16_t m_nWidth = 1;
    std::uint16_t m_nHeight = 1;
    std::int16_t m_nOffsetX = 0;
    std::int16_t m_nOffsetY = 0;
    std::vector<std::uint8_t> m_pixels;
};

// An FRM of several directions: each non-empty list is its direction's block
// of frames; an empty one shares direction 0's block. Frames per direction is
// direction 0's count; shiftX/shiftY are the header's per-direction shifts.
std::string BuildFrmDirections(std::uint16_t fps, std::uint16_t actionFrame,
                               const std::array<std::vector<SFrmFrameSpec>, 6>& directions,
                               const std::array<std::int16_t, 6>& shiftX = {},
                               const std::array<std::int16_t, 6>& shiftY = {});

// A walking figure facing a direction (0 north-east, clockwise), frame by
// frame, standing still on its anchor; in DemoPalette indices.
std::vector<SFrmFrameSpec> CritterFrames(int direction, int frames, int width, int height);

// DemoPalette with entries 229 to 254 left to the game's colour cycling, as
// in the game palette; and water, fire and a screen drawn with those entries.
Palette63 CyclingPalette();
std::vector<std::uint8_t> CyclingPicture(int width, int height);

// 768 bytes: the entries in order, red, green, blue.
std::string BuildPalette(const Palette63& rgb63);

// "RIX3", width, height (little-endian), two zero bytes, the palette, the pixels.
std::string BuildRix(std::uint16_t width, std::uint16_t height, const Palette63& rgb63,
                     const std::vector<std::uint8_t>& pixels);

// Index 0 black, 1 to 15 a grey ramp up to white, then fifteen colour ramps of
// sixteen shades each, darkest first: DemoIndex(ramp, shade).
Palette63 DemoPalette();
enum EDemoRamp { kRed, kOrange, kGold, kOlive, kGreen, kTeal, kSky, kBlue, kIndigo, kViolet, kMagenta,
                 kBrown, kSand, kSkin, kSlate, kRampCount };
std::uint8_t DemoIndex(int ramp, int shade);

// Pictures in DemoPalette indices, any size from 1x1 up, top row first.
std::vector<std::uint8_t> LandscapePicture(int width, int height);
std::vector<std::uint8_t> RingsPicture(int width, int height);
// A checkerboard with one big letter (A to Z; anything else draws '?').
std::vector<std::uint8_t> CheckerPicture(int width, int height, char letter);
