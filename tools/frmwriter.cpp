#include "frmwriter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

void PutBe16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void PutBe32(std::string& out, std::uint32_t v)
{
    PutBe16(out, static_cast<std::uint16_t>(v >> 16));
    PutBe16(out, static_cast<std::uint16_t>(v));
}

void PutLe16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v);
    out += static_cast<char>(v >> 8);
}

// 4x4 ordered dither, so smooth shade changes survive the 16 steps of a ramp.
std::uint8_t Dithered(int ramp, double shade, int x, int y)
{
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    shade = std::clamp(shade, 0.0, 15.0);
    int base = static_cast<int>(shade);
    double frac = shade - base;
    if (frac * 16 > kBayer[y & 3][x & 3] + 0.5)
        ++base;
    return DemoIndex(ramp, std::min(base, 15));
}

// 5x7 capitals, one row per byte, the high bit of five on the left; the last is '?'.
constexpr std::uint8_t kGlyphs[27][7] = {
    {14, 17, 17, 31, 17, 17, 17}, {30, 17, 17, 30, 17, 17, 30}, {14, 17, 16, 16, 16, 17, 14},
    {30, 17, 17, 17, 17, 17, 30}, {31, 16, 16, 30, 16, 16, 31}, {31, 16, 16, 30, 16, 16, 16},
    {14, 17, 16, 23, 17, 17, 15}, {17, 17, 17, 31, 17, 17, 17}, {14, 4, 4, 4, 4, 4, 14},
    {7, 2, 2, 2, 2, 18, 12},      {17, 18, 20, 24, 20, 18, 17}, {16, 16, 16, 16, 16, 16, 31},
    {17, 27, 21, 21, 17, 17, 17}, {17, 17, 25, 21, 19, 17, 17}, {14, 17, 17, 17, 17, 17, 14},
    {30, 17, 17, 30, 16, 16, 16}, {14, 17, 17, 17, 21, 18, 13}, {30, 17, 17, 30, 20, 18, 17},
    {15, 16, 16, 14, 1, 1, 30},   {31, 4, 4, 4, 4, 4, 4},       {17, 17, 17, 17, 17, 17, 14},
    {17, 17, 17, 17, 17, 10, 4},  {17, 17, 17, 21, 21, 21, 10}, {17, 17, 10, 4, 10, 17, 17},
    {17, 17, 17, 10, 4, 4, 4},    {31, 1, 2, 4, 8, 16, 31},     {14, 17, 1, 2, 4, 0, 4},
};

} // namespace

std::string BuildFrm(std::uint16_t width, std::uint16_t height, const std::vector<std::uint8_t>& pixels, int frames)
{
    frames = std::max(frames, 1);
    const std::uint32_t block = std::uint32_t(width) * height;
    std::string first(block, '\0');
    std::copy_n(pixels.begin(), std::min<std::size_t>(pixels.size(), block), first.begin());

    std::string out;
    PutBe32(out, 4);
    PutBe16(out, frames > 1 ? 10 : 0);
    PutBe16(out, 0);
    PutBe16(out, static_cast<std::uint16_t>(frames));
    out.resize(58, '\0');  // x/y shifts and frame offsets of the six directions
    PutBe32(out, static_cast<std::uint32_t>(frames) * (12 + block));
    for (int k = 0; k < frames; ++k) {
        PutBe16(out, width);
        PutBe16(out, height);
        PutBe32(out, block);
        PutBe32(out, 0);
        for (char c : first)
            out += static_cast<char>(static_cast<std::uint8_t>(c) + k);
    }
    return out;
}

std::string BuildFrmDirections(std::uint16_t fps, std::uint16_t actionFrame,
                               const std::array<std::vector<SFrmFrameSpec>, 6>& directions,
                               const std::array<std::int16_t, 6>& shiftX, const std::array<std::int16_t, 6>& shiftY)
{
    std::string data;
    std::array<std::uint32_t, 6> offsets{};
    for (std::size_t d = 0; d < 6; ++d) {
        if (directions[d].empty())
            continue;
        offsets[d] = static_cast<std::uint32_t>(data.size());
        for (const SFrmFrameSpec& f : directions[d]) {
            const std::size_t count = std::size_t(f.m_nWidth) * f.m_nHeight;
            PutBe16(data, f.m_nWidth);
            PutBe16(data, f.m_nHeight);
            PutBe32(data, static_cast<std::uint32_t>(count));
            PutBe16(data, static_cast<std::uint16_t>(f.m_nOffsetX));
            PutBe16(data, static_cast<std::uint16_t>(f.m_nOffsetY));
            std::string pixels(count, '\0');
            std::copy_n(f.m_pixels.begin(), std::min(f.m_pixels.size(), count), pixels.begin());
            data += pixels;
        }
    }
    std::string out;
    PutBe32(out, 4);
    PutBe16(out, fps);
    PutBe16(out, actionFrame);
    PutBe16(out, static_cast<std::uint16_t>(directions[0].size()));
    for (std::int16_t v : shiftX)
        PutBe16(out, static_cast<std::uint16_t>(v));
    for (std::int16_t v : shiftY)
        PutBe16(out, static_cast<std::uint16_t>(v));
    for (std::uint32_t v : offsets)
        PutBe32(out, v);
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    return out + data;
}

std::vector<SFrmFrameSpec> CritterFrames(int direction, int frames, int width, int height)
{
    std::vector<SFrmFrameSpec> out;
    const double facing = (direction * 60 - 60) * kPi / 180;
    for (int k = 0; k < frames; ++k) {
        SFrmFrameSpec f;
        f.m_nWidth = static_cast<std::uint16_t>(width);
        f.m_nHeight = static_cast<std::uint16_t>(height);
        f.m_pixels.assign(std::size_t(width) * height, 0);
        const double swing = std::sin(2 * kPi * k / std::max(frames, 1));
        auto put = [&](int x, int y, std::uint8_t v) {
            if (x >= 0 && y >= 0 && x < width && y < height)
                f.m_pixels[std::size_t(y) * width + x] = v;
        };
        const double cx = width / 2.0, top = height * 0.1, hip = height * 0.6;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double bx = (x - cx) / (width * 0.22), by = (y - (top + hip) / 2) / ((hip - top) / 2);
                if (bx * bx + by * by <= 1)
                    put(x, y, DemoIndex(kSand, 6 + int(4 * (1 - by))));
            }
        // Legs swing in turn; the nose points where the figure faces.
        for (int leg = -1; leg <= 1; leg += 2)
            for (int y = int(hip); y < height; ++y) {
                const int x = int(cx + leg * width * 0.1 + leg * swing * (y - hip) * 0.4);
                put(x, y, DemoIndex(kBrown, 8));
                put(x + 1, y, DemoIndex(kBrown, 6));
            }
        const double r = width * 0.3;
        for (double t = 0; t < r; t += 0.5)
            for (int w = -1; w <= 1; ++w)
                put(int(cx + std::cos(facing) * t - std::sin(facing) * w),
                    int(top + (hip - top) * 0.35 + std::sin(facing) * t * 0.6 + std::cos(facing) * w),
                    DemoIndex(kRed, 12));
        out.push_back(std::move(f));
    }
    return out;
}

Palette63 CyclingPalette()
{
    Palette63 palette = DemoPalette();
    for (int i = 229; i <= 254; ++i)
        palette[i] = {255, 255, 255};
    return palette;
}

std::vector<std::uint8_t> CyclingPicture(int width, int height)
{
    std::vector<std::uint8_t> px = LandscapePicture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t& v = px[std::size_t(y) * width + x];
            if (y > height * 2 / 3) // the shore: waves running along it
                v = static_cast<std::uint8_t>(248 + (x / 3 + y / 2) % 6);
            else if (x < width / 4 && y > height / 3) // a fire
                v = static_cast<std::uint8_t>(238 + (x + 2 * y) % 5);
            else if (x > width * 3 / 4 && y < height / 3) // a screen and its alarm light
                v = static_cast<std::uint8_t>(x > width - 6 && y < 6 ? 254 : 233 + (y / 2) % 5);
        }
    return px;
}

std::string BuildPalette(const Palette63& rgb63)
{
    std::string out;
    out.reserve(768);
    for (const auto& c : rgb63)
        out.append({static_cast<char>(c[0]), static_cast<char>(c[1]), static_cast<char>(c[2])});
    return out;
}

std::string BuildRix(std::uint16_t width, std::uint16_t height, const Palette63& rgb63,
                     const std::vector<std::uint8_t>& pixels)
{
    std::string out = "RIX3";
    PutLe16(out, width);
    PutLe16(out, height);
    PutLe16(out, 0);
    out += BuildPalette(rgb63);
    const std::size_t block = std::size_t(width) * height;
    std::string body(block, '\0');
    std::copy_n(pixels.begin(), std::min(pixels.size(), block), body.begin());
    return out + body;
}

std::uint8_t DemoIndex(int ramp, int shade)
{
    return static_cast<std::uint8_t>(16 + std::clamp(ramp, 0, kRampCount - 1) * 16 + std::clamp(shade, 0, 15));
}

Palette63 DemoPalette()
{
    static constexpr double kBase[kRampCount][3] = {
        {200, 40, 40},  {230, 120, 30}, {235, 190, 50}, {140, 150, 50}, {60, 160, 60},
        {40, 150, 140}, {90, 160, 230}, {40, 80, 200},  {80, 60, 170},  {150, 70, 180},
        {200, 60, 140}, {140, 90, 50},  {200, 170, 120}, {230, 170, 140}, {90, 110, 130},
    };
    auto to63 = [](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0) * 63 / 255)); };
    Palette63 pal{};
    for (int i = 0; i < 16; ++i)
        pal[i] = {to63(i * 17.0), to63(i * 17.0), to63(i * 17.0)};
    for (int r = 0; r < kRampCount; ++r)
        for (int s = 0; s < 16; ++s) {
            // Dark up to the pure colour at shade 10, then towards white.
            double t = s / 15.0;
            for (int c = 0; c < 3; ++c) {
                double base = kBase[r][c];
                double v = t < 2 / 3.0 ? base * (0.12 + 0.88 * t * 1.5) : base + (255 - base) * (t - 2 / 3.0) * 2.4;
                pal[DemoIndex(r, s)][c] = to63(v);
            }
        }
    return pal;
}

std::vector<std::uint8_t> LandscapePicture(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<std::uint8_t> px(std::size_t(width) * height);
    const double w = width, h = height;
    const double horizon = h * 0.62;
    const double sunX = w * 0.74, sunY = h * 0.28, sunR = std::max(1.0, std::min(w, h) * 0.08);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = x / w;
            const double ridge = horizon - h * (0.13 + 0.07 * std::sin(u * 2 * kPi * 1.6 + 0.6) +
                                                0.04 * std::sin(u * 2 * kPi * 4.7 + 1.3));
            const double hill = horizon + h * (0.05 + 0.04 * std::sin(u * 2 * kPi * 1.1 + 2.0));
            const double sun = std::hypot(x - sunX, y - sunY);
            std::uint8_t& p = px[std::size_t(y) * width + x];
            if (y >= hill)
                p = Dithered(kGreen, 11 - 7 * (y - hill) / std::max(1.0, h - hill), x, y);
            else if (y >= horizon)
                p = Dithered(kOlive, 9 - 2 * (y - horizon) / std::max(1.0, hill - horizon), x, y);
            else if (y >= ridge)
                p = Dithered(kSlate, 10 - 5 * (y - ridge) / std::max(1.0, horizon - ridge), x, y);
            else if (sun <= sunR)
                p = Dithered(kGold, 13 - 2 * sun / sunR, x, y);
            else  // the sky brightens around the sun
                p = Dithered(kSky, 7 + 7 * y / std::max(1.0, horizon) + std::max(0.0, 4 - 3 * (sun - sunR) / sunR), x, y);
        }
    return px;
}

std::vector<std::uint8_t> RingsPicture(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<std::uint8_t> px(std::size_t(width) * height);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    const double band = std::max(2.0, std::min(width, height) / 14.0);
    static constexpr int kRamps[] = {kRed, kOrange, kGold, kGreen, kTeal, kSky, kBlue, kViolet, kMagenta};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            const int ring = static_cast<int>(d / band);
            // Lit from the upper left, and darker towards each ring's outer edge.
            const double light = 0.5 + 0.5 * std::cos(std::atan2(y - cy, x - cx) + 0.75 * kPi);
            const double shade = 5 + 6 * light + 3 * (1 - (d / band - ring));
            px[std::size_t(y) * width + x] = Dithered(kRamps[ring % 9], shade, x, y);
        }
    return px;
}

std::vector<std::uint8_t> CheckerPicture(int width, int height, char letter)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<std::uint8_t> px(std::size_t(width) * height);
    const int cell = std::max(1, std::min(width, height) / 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            px[std::size_t(y) * width + x] = ((x / cell + y / cell) & 1) ? 13 : 10;

    const auto& glyph = kGlyphs[letter >= 'A' && letter <= 'Z' ? letter - 'A' : 26];
    const int scale = std::max(1, height * 3 / 4 / 7);
    const int left = (width - 5 * scale) / 2, top = (height - 7 * scale) / 2;
    const int shadow = std::max(1, scale / 4);
    for (int pass = 0; pass < 2; ++pass) {
        const int off = pass == 0 ? shadow : 0;
        for (int y = 0; y < 7 * scale; ++y)
            for (int x = 0; x < 5 * scale; ++x) {
                if (!(glyph[y / scale] & (16 >> (x / scale))))
                    continue;
                const int gx = left + x + off, gy = top + y + off;
                if (gx >= 0 && gy >= 0 && gx < width && gy < height)
                    px[std::size_t(gy) * width + gx] = pass == 0 ? 3 : DemoIndex(kRed, 8 + 4 * y / (7 * scale));
            }
    }
    return px;
}
