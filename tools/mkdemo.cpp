// dravik-mkdemo: the demo archive, from the sample texts plus pictures drawn here.
#include "datwriter.h"
#include "frmwriter.h"
#include "mvewriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// The demo palette seen through old photo paper: a splash FRM with this palette
// under its own name shows that the per-picture palette wins over color.pal.
Palette63 SepiaPalette()
{
    Palette63 pal = DemoPalette();
    for (auto& c : pal) {
        double l = (0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2]) / 63;
        c = {static_cast<std::uint8_t>(std::lround(63 * std::min(1.0, l * 1.08))),
             static_cast<std::uint8_t>(std::lround(63 * l * 0.86)), static_cast<std::uint8_t>(std::lround(63 * l * 0.62))};
    }
    return pal;
}

// The RIX carries its own palette: the sky ramp turned into a sunset.
Palette63 SunsetPalette()
{
    Palette63 pal = DemoPalette();
    for (int s = 0; s < 16; ++s) {
        double t = std::clamp((s - 5) / 10.0, 0.0, 1.0);
        double dark = s < 5 ? (s + 1) / 6.0 : 1.0;
        pal[DemoIndex(kSky, s)] = {static_cast<std::uint8_t>(std::lround(dark * (22 + 40 * t))),
                                   static_cast<std::uint8_t>(std::lround(dark * (12 + 30 * t))),
                                   static_cast<std::uint8_t>(std::lround(dark * (36 - 14 * t)))};
    }
    return pal;
}

std::string Proto()
{
    // Big-endian words, as the game's prototypes are; only the type matters here.
    std::string out;
    for (std::uint32_t v : {0x00000001u, 100u, 0x07000002u, 8u, 0x10000u, 0u, 3u, 25u, 40u, 0u}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>(v >> shift);
    }
    return out;
}

// An ACM-style sound header followed by a little noise of our own.
std::string ClickSound()
{
    std::string bytes = {'\x97', '\x28', '\x03', '\x01'};
    const std::uint32_t samples = 2205;
    for (int i = 0; i < 4; ++i)
        bytes += char((samples >> (8 * i)) & 0xFF);
    bytes += "\x01\x00\x22\x56\x00\x00"; // one channel, 22,050 Hz
    std::uint32_t state = 12345;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += char(state >> 24);
    }
    return bytes;
}

std::vector<SDatEntryDef> Generated()
{
    std::vector<SDatEntryDef> out;
    auto add = [&out](std::string name, std::string data) {
        SDatEntryDef e;
        e.name = std::move(name);
        e.data = std::move(data);
        e.compress = true;
        out.push_back(std::move(e));
    };
    auto frm = [](int w, int h, const std::vector<std::uint8_t>& px, int frames = 1) {
        return BuildFrm(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), px, frames);
    };
    const std::vector<std::uint8_t> dot = {DemoIndex(kRed, 10),  DemoIndex(kGold, 12), DemoIndex(kGreen, 10),
                                           15,                   0,                    15,
                                           DemoIndex(kSky, 10),  DemoIndex(kBlue, 10), DemoIndex(kViolet, 10),
                                           8,                    15,                   8,
                                           DemoIndex(kBrown, 8), DemoIndex(kSand, 12), DemoIndex(kTeal, 10)};

    add("color.pal", BuildPalette(DemoPalette()));
    add("art\\intrface\\dot.frm", frm(3, 5, dot));
    add("art\\intrface\\button.frm", frm(24, 24, RingsPicture(24, 24)));
    add("art\\intrface\\checker.frm", frm(120, 80, CheckerPicture(120, 80, 'A')));
    add("art\\intrface\\panorama.frm", frm(800, 300, LandscapePicture(800, 300)));
    add("art\\critters\\ringwalk.frm", frm(48, 48, RingsPicture(48, 48), 6));
    add("art\\critters\\marker.frm", frm(64, 96, CheckerPicture(64, 96, 'M')));
    add("art\\splash\\splash0.frm", frm(640, 480, LandscapePicture(640, 480)));
    add("art\\splash\\splash1.frm", frm(320, 200, RingsPicture(320, 200)));
    add("art\\splash\\splash1.pal", BuildPalette(SepiaPalette()));
    add("art\\splash\\sunset.rix", BuildRix(320, 200, SunsetPalette(), LandscapePicture(320, 200)));
    add("proto\\items\\00000001.pro", Proto());
    // A short movie with sound, and a sound entry (kept as bytes only: sounds
    // are listed and copied, never played).
    add("art\\cuts\\intro.mve", BuildMve(DemoMovie(320, 200, 72, 15.0, true)));
    add("sound\\sfx\\click.acm", ClickSound());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: dravik-mkdemo OUT.dat SAMPLES_DIR\n"
                   "Packs the files under SAMPLES_DIR together with generated pictures,\n"
                   "palettes and a prototype into the demo archive OUT.dat.\n",
                   stderr);
        return 1;
    }
    try {
        std::vector<SDatEntryDef> entries = FolderEntries(argv[2], argv[1]);
        for (SDatEntryDef& e : Generated())
            entries.push_back(std::move(e));
        SortEntries(entries);
        CDatWriter w;
        for (SDatEntryDef& e : entries)
            w.Add(std::move(e));
        w.WriteTo(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dravik-mkdemo: %s\n", e.what());
        return 1;
    }
    return 0;
}
