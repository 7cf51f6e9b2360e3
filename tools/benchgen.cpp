#include "benchgen.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bump when the bytes of either archive change: cached copies are keyed by it.
constexpr int kGeneratorVersion = 1;

// splitmix64: tiny, fast, and the same everywhere.
class CRng
{
public:
    explicit CRng(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // [lo, hi]
    int Range(int lo, int hi) { return lo + int(Next() % std::uint64_t(hi - lo + 1)); }
    double Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t m_state;
};

// Cheap per-pixel noise: a 32-bit xorshift.
struct SNoise
{
    std::uint32_t s;
    std::uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

void PutBe16(std::string& out, std::uint32_t v)
{
    out += char(std::uint8_t(v >> 8));
    out += char(std::uint8_t(v));
}

void PutBe32(std::string& out, std::uint32_t v)
{
    PutBe16(out, v >> 16);
    PutBe16(out, v & 0xFFFF);
}

void PutLe32(std::string& out, std::uint32_t v)
{
    const char b[4] = {char(std::uint8_t(v)), char(std::uint8_t(v >> 8)), char(std::uint8_t(v >> 16)),
                       char(std::uint8_t(v >> 24))};
    out.append(b, 4);
}

// What an entry holds; the bytes are made from it when it is compressed.
enum class EContent : std::uint8_t { kCritter, kSprite, kTile, kScreen, kPalette, kText, kList, kProto, kScript,
                                     kMap, kSound, kTiny };

struct SEntryShape
{
    std::string m_name;
    EContent m_kind;
    std::uint64_t m_seed;
    int m_a = 0, m_b = 0, m_c = 0, m_d = 0; // kind-specific sizes
};

// --- Pictures -------------------------------------------------------------------

// Palette indices 16..255 are fifteen ramps of sixteen shades, as in the game.
inline std::uint8_t Shade(int ramp, int shade)
{
    shade = shade < 0 ? 0 : shade > 15 ? 15 : shade;
    return std::uint8_t(16 + ramp * 16 + shade);
}

// A lit blob on a transparent (index 0) background: the look of a sprite.
void DrawBlob(std::uint8_t* px, int w, int h, CRng& rng, int frame)
{
    const double cx = w * (0.5 + 0.04 * std::sin(frame * 0.9));
    const double cy = h * 0.52;
    const double rx = w * (0.36 + 0.05 * rng.Unit());
    const double ry = h * (0.42 + 0.05 * rng.Unit());
    const int rampTop = rng.Range(0, 14);
    const int rampBottom = rng.Range(0, 14);
    SNoise noise{std::uint32_t(rng.Next() | 1)};
    for (int y = 0; y < h; ++y) {
        const double dy = (y - cy) / ry;
        const int ramp = y < cy ? rampTop : rampBottom;
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / rx;
            const double d = dx * dx + dy * dy;
            if (d > 1.0) {
                px[y * w + x] = 0;
                continue;
            }
            const std::uint32_t n = noise.Next();
            const int shade = int(3 + 9 * (1 - d) - 3 * dx) + int(n & 1) + int((n >> 1) & (n >> 2) & 1);
            px[y * w + x] = Shade(ramp, shade);
        }
    }
}

// An isometric floor tile: a textured diamond.
void DrawTile(std::uint8_t* px, int w, int h, CRng& rng)
{
    const int ramp = rng.Range(0, 14);
    const int base = rng.Range(3, 9);
    SNoise noise{std::uint32_t(rng.Next() | 1)};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double u = std::abs(x - w / 2.0) / (w / 2.0) + std::abs(y - h / 2.0) / (h / 2.0);
            if (u > 1.0) {
                px[y * w + x] = 0;
                continue;
            }
            const std::uint32_t n = noise.Next();
            px[y * w + x] = Shade(ramp, base + int(n & 3) + ((x / 8 + y / 4) & 1));
        }
    }
}

// A full-screen picture: dithered sky, a horizon, rough ground.
void DrawScreen(std::uint8_t* px, int w, int h, CRng& rng)
{
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const int skyRamp = rng.Range(0, 14);
    const int groundRamp = rng.Range(0, 14);
    const double phase = rng.Unit() * 6.28;
    SNoise noise{std::uint32_t(rng.Next() | 1)};
    for (int x = 0, y = 0; y < h; ++y) {
        const double t = double(y) / h;
        for (x = 0; x < w; ++x) {
            const int horizon = int(h * (0.55 + 0.08 * std::sin(x * 0.013 + phase) + 0.03 * std::sin(x * 0.051)));
            if (y < horizon) {
                const double s = 15 * (1 - t / 0.7);
                const int whole = int(s);
                const bool up = (s - whole) * 16 > kBayer[y & 3][x & 3];
                px[y * w + x] = Shade(skyRamp, whole + (up ? 1 : 0));
            } else {
                const std::uint32_t n = noise.Next();
                px[y * w + x] = Shade(groundRamp, 2 + int(6 * (1 - t)) + int(n & 7));
            }
        }
    }
}

struct SFrameSize
{
    int w, h;
};

// An FRM: version 4, `dirs` directions of `frames` frames each.
std::string BuildFrmPicture(CRng& rng, int dirs, int frames, const std::vector<SFrameSize>& sizes,
                            EContent kind)
{
    std::size_t area = 0;
    for (int i = 0; i < dirs * frames; ++i)
        area += 12 + std::size_t(sizes[std::size_t(i)].w) * sizes[std::size_t(i)].h;
    std::string out;
    out.reserve(62 + area);
    PutBe32(out, 4);
    PutBe16(out, frames > 1 ? 10 : 0); // frames per second
    PutBe16(out, 0);                   // action frame
    PutBe16(out, std::uint32_t(frames));
    for (int i = 0; i < 12; ++i)
        PutBe16(out, 0); // x and y shifts
    std::uint32_t dirOffset = 0;
    for (int d = 0; d < 6; ++d) {
        PutBe32(out, d < dirs ? dirOffset : 0);
        if (d < dirs)
            for (int f = 0; f < frames; ++f) {
                const SFrameSize s = sizes[std::size_t(d * frames + f)];
                dirOffset += 12 + std::uint32_t(s.w) * std::uint32_t(s.h);
            }
    }
    PutBe32(out, std::uint32_t(area));
    std::vector<std::uint8_t> px;
    for (int i = 0; i < dirs * frames; ++i) {
        const SFrameSize s = sizes[std::size_t(i)];
        PutBe16(out, std::uint32_t(s.w));
        PutBe16(out, std::uint32_t(s.h));
        PutBe32(out, std::uint32_t(s.w * s.h));
        PutBe16(out, 0);
        PutBe16(out, 0);
        px.resize(std::size_t(s.w) * s.h);
        if (kind == EContent::kTile)
            DrawTile(px.data(), s.w, s.h, rng);
        else if (kind == EContent::kScreen)
            DrawScreen(px.data(), s.w, s.h, rng);
        else
            DrawBlob(px.data(), s.w, s.h, rng, i % frames);
        out.append(reinterpret_cast<const char*>(px.data()), px.size());
    }
    return out;
}

// --- Other kinds ----------------------------------------------------------------

const char* const kWords[] = {
    "the",   "a",      "you",   "see",    "wasteland", "vault",  "water", "chip",   "raider", "town",
    "dust",  "rusted", "door",  "locked", "ghoul",     "trader", "caps",  "rifle",  "ammo",   "radio",
    "north", "south",  "east",  "west",   "sheriff",   "dog",    "well",  "broken", "old",    "metal",
    "sand",  "storm",  "night", "fire",   "brother",   "steel",  "smoke", "ruins",  "road",   "market",
    "he",    "she",    "says",  "nothing", "quietly",  "looks",  "at",    "your",   "pip",    "boy",
    "is",    "not",    "here",  "anymore", "bring",    "me",     "three", "stims",  "and",    "leave",
    "now",   "maybe",  "later", "friend",
};

std::string BuildText(CRng& rng, std::size_t bytes)
{
    std::string out;
    out.reserve(bytes + 128);
    int number = 100;
    while (out.size() < bytes) {
        out += '{';
        out += std::to_string(number);
        number += rng.Range(1, 3);
        out += "}{}{";
        const int words = rng.Range(4, 18);
        for (int i = 0; i < words; ++i) {
            if (i)
                out += ' ';
            out += kWords[rng.Next() % (sizeof kWords / sizeof *kWords)];
        }
        out += ".}\r\n";
    }
    out.resize(bytes);
    return out;
}

std::string BuildList(CRng& rng, std::size_t lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines; ++i) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%c%c%c%04zu.frm\r\n", 'a' + int(rng.Next() % 26), 'a' + int(rng.Next() % 26),
                      'a' + int(rng.Next() % 26), i);
        out += buf;
    }
    return out;
}

// Big-endian fields, mostly small numbers and zeros.
std::string BuildProto(CRng& rng, int fields)
{
    std::string out;
    for (int i = 0; i < fields; ++i) {
        const int pick = rng.Range(0, 9);
        PutBe32(out, pick < 5 ? 0u : pick < 8 ? std::uint32_t(rng.Range(1, 100)) : std::uint32_t(rng.Next()));
    }
    return out;
}

// Byte code: opcodes from a small set, operands that repeat.
std::string BuildScript(CRng& rng, std::size_t bytes)
{
    std::string out;
    out.reserve(bytes + 8);
    std::uint32_t operands[32];
    for (auto& o : operands)
        o = std::uint32_t(rng.Next() & 0xFFFF);
    while (out.size() < bytes) {
        PutBe16(out, 0x8000u + std::uint32_t(rng.Range(0, 40)));
        if (rng.Range(0, 2) != 0)
            PutBe32(out, operands[rng.Next() % 32]);
    }
    out.resize(bytes);
    return out;
}

// Three elevations of tile pairs, mostly the same few floors, then objects.
std::string BuildMap(CRng& rng, int objects)
{
    std::string out;
    PutBe32(out, 20);
    out.append(232, '\0');
    for (int e = 0; e < 3; ++e) {
        const std::uint32_t floor = std::uint32_t(rng.Range(1, 400));
        for (int i = 0; i < 10000; ++i) {
            const std::uint32_t f = rng.Range(0, 9) == 0 ? std::uint32_t(rng.Range(1, 3000)) : floor;
            PutBe32(out, (1u << 16) | f);
        }
    }
    for (int i = 0; i < objects; ++i) {
        for (int k = 0; k < 18; ++k)
            PutBe32(out, k < 4 ? std::uint32_t(rng.Range(0, 40000)) : k < 10 ? 0u : std::uint32_t(rng.Range(0, 20)));
    }
    return out;
}

// Packed audio: nearly random, as deflate sees it.
std::string BuildSound(CRng& rng, std::size_t bytes)
{
    std::string out(bytes, '\0');
    SNoise noise{std::uint32_t(rng.Next() | 1)};
    for (std::size_t i = 0; i < bytes; ++i) {
        const std::uint32_t n = noise.Next();
        out[i] = char(std::uint8_t((n & 0xF0) | ((n >> 8) & 0x03)));
    }
    return out;
}

// 256 colours of 6-bit red, green, blue, then the 32,768-entry lookup table.
std::string BuildPalette()
{
    std::string out;
    for (int i = 0; i < 256; ++i) {
        int r, g, b;
        if (i < 16) {
            r = g = b = i * 4;
        } else {
            const int ramp = (i - 16) / 16;
            const int shade = (i - 16) % 16;
            r = (ramp * 37 % 64) * (shade + 1) / 16;
            g = (ramp * 23 % 64) * (shade + 1) / 16;
            b = (ramp * 53 % 64) * (shade + 1) / 16;
        }
        out += char(r);
        out += char(g);
        out += char(b);
    }
    for (int c = 0; c < 32768; ++c)
        out += char(std::uint8_t(16 + (c * 7) % 240));
    return out;
}

std::string BuildContent(const SEntryShape& shape)
{
    CRng rng(shape.m_seed);
    switch (shape.m_kind) {
    case EContent::kCritter:
    case EContent::kSprite: {
        // m_a x m_b, m_c directions of m_d frames, sizes wobbling a little per frame.
        std::vector<SFrameSize> sizes;
        for (int i = 0; i < shape.m_c * shape.m_d; ++i)
            sizes.push_back({std::max(4, shape.m_a + rng.Range(-3, 3)), std::max(4, shape.m_b + rng.Range(-3, 3))});
        return BuildFrmPicture(rng, shape.m_c, shape.m_d, sizes, shape.m_kind);
    }
    case EContent::kTile:
    case EContent::kScreen:
        return BuildFrmPicture(rng, 1, 1, {{shape.m_a, shape.m_b}}, shape.m_kind);
    case EContent::kPalette: return BuildPalette();
    case EContent::kText: return BuildText(rng, std::size_t(shape.m_a));
    case EContent::kList: return BuildList(rng, std::size_t(shape.m_a));
    case EContent::kProto: return BuildProto(rng, shape.m_a);
    case EContent::kScript: return BuildScript(rng, std::size_t(shape.m_a));
    case EContent::kMap: return BuildMap(rng, shape.m_a);
    case EContent::kSound: return BuildSound(rng, std::size_t(shape.m_a));
    case EContent::kTiny: return BuildText(rng, std::size_t(shape.m_a));
    }
    return {};
}

// --- Layouts --------------------------------------------------------------------

std::string Base26(std::uint32_t v, int letters, char first)
{
    std::string s(std::size_t(letters), first);
    for (int i = letters - 1; i >= 0; --i) {
        s[std::size_t(i)] = char(first + v % 26);
        v /= 26;
    }
    return s;
}

class CSpecList
{
public:
    explicit CSpecList(std::uint64_t salt) : m_salt(salt) {}
    SEntryShape& Add(std::string name, EContent kind, int a = 0, int b = 0, int c = 0, int d = 0)
    {
        const std::uint64_t seed = m_salt * 1000003ull + m_specs.size();
        m_specs.push_back({std::move(name), kind, seed, a, b, c, d});
        return m_specs.back();
    }
    std::vector<SEntryShape>& Specs() { return m_specs; }

private:
    std::uint64_t m_salt;
    std::vector<SEntryShape> m_specs;
};

std::vector<SEntryShape> Game30kLayout()
{
    CSpecList list(30000);
    CRng rng(7);
    char buf[64];
    list.Add("color.pal", EContent::kPalette);
    // The copy target: small floor tiles.
    for (std::uint32_t i = 0; i < kBenchCopyFolderEntries; ++i) {
        std::snprintf(buf, sizeof buf, "art\\tiles\\%s%04u.frm", Base26(i / 400, 3, 'a').c_str(), i % 10000);
        list.Add(buf, EContent::kTile, 80, 36);
    }
    list.Add("art\\tiles\\tiles.lst", EContent::kList, int(kBenchCopyFolderEntries));
    // Critters: six directions of several frames; most of the bytes.
    for (std::uint32_t i = 0; i < 2720; ++i) {
        const std::string base = Base26(i / 20, 4, 'A');
        static const char* const anims[20] = {"AA", "AB", "AE", "AG", "AJ", "AK", "AL", "AN", "AO", "AQ",
                                              "BA", "BB", "BD", "BH", "BL", "BO", "CH", "CJ", "NA", "RA"};
        std::snprintf(buf, sizeof buf, "art\\critters\\HM%s%s.FRM", base.c_str(), anims[i % 20]);
        list.Add(buf, EContent::kCritter, rng.Range(44, 84), rng.Range(70, 110), 6, rng.Range(5, 10));
    }
    list.Add("art\\critters\\critters.lst", EContent::kList, 2720);
    struct SFolder
    {
        const char* name;
        int count, minW, maxW, minH, maxH, dirs, maxFrames;
    };
    static const SFolder kSprites[] = {
        {"scenery", 2600, 30, 180, 30, 160, 1, 4}, {"walls", 2600, 40, 80, 60, 120, 1, 1},
        {"items", 1300, 20, 60, 20, 50, 1, 1},     {"inven", 1200, 40, 100, 30, 80, 1, 1},
        {"intrface", 700, 20, 300, 15, 200, 1, 3}, {"misc", 420, 20, 120, 20, 120, 1, 6},
        {"heads", 180, 300, 388, 180, 200, 1, 14}, {"skilldex", 100, 40, 120, 40, 120, 1, 1},
    };
    for (const SFolder& f : kSprites) {
        for (int i = 0; i < f.count; ++i) {
            std::snprintf(buf, sizeof buf, "art\\%s\\%s%04d.frm", f.name, Base26(std::uint32_t(i) / 97, 2, 'a').c_str(), i);
            list.Add(buf, EContent::kSprite, rng.Range(f.minW, f.maxW), rng.Range(f.minH, f.maxH), f.dirs,
                     rng.Range(1, f.maxFrames));
        }
        std::snprintf(buf, sizeof buf, "art\\%s\\%s.lst", f.name, f.name);
        list.Add(buf, EContent::kList, f.count);
    }
    // Full-screen pictures, the 640 x 480 ones the viewer benchmark selects.
    for (std::uint32_t i = 0; i < kBenchBigFrmCount; ++i) {
        std::snprintf(buf, sizeof buf, "%s\\splash%03u.frm", kBenchBigFrmFolder, i);
        list.Add(buf, EContent::kScreen, 640, 480);
    }
    for (int i = 0; i < 40; ++i) {
        std::snprintf(buf, sizeof buf, "art\\backgrnd\\back%03d.frm", i);
        list.Add(buf, EContent::kScreen, 640, 480);
    }
    // Prototypes, texts, scripts, maps, sounds.
    static const char* const kProtoFolders[] = {"critters", "items", "misc", "scenery", "tiles", "walls"};
    for (int i = 0; i < 3600; ++i) {
        std::snprintf(buf, sizeof buf, "proto\\%s\\%08d.pro", kProtoFolders[i % 6], 1000 + i);
        list.Add(buf, EContent::kProto, rng.Range(15, 100));
    }
    for (int i = 0; i < 1100; ++i) {
        std::snprintf(buf, sizeof buf, "text\\english\\dialog\\%s%03d.msg", Base26(std::uint32_t(i) / 50, 3, 'a').c_str(), i);
        list.Add(buf, EContent::kText, rng.Range(1500, 30000));
    }
    for (int i = 0; i < 60; ++i) {
        std::snprintf(buf, sizeof buf, "text\\english\\game\\game%02d.msg", i);
        list.Add(buf, EContent::kText, rng.Range(2000, 60000));
    }
    for (int i = 0; i < 900; ++i) {
        std::snprintf(buf, sizeof buf, "scripts\\%s%03d.int", Base26(std::uint32_t(i) / 40, 3, 'a').c_str(), i);
        list.Add(buf, EContent::kScript, rng.Range(2000, 40000));
    }
    list.Add("scripts\\scripts.lst", EContent::kList, 900);
    for (int i = 0; i < 130; ++i) {
        std::snprintf(buf, sizeof buf, "maps\\%s%02d.map", Base26(std::uint32_t(i) / 10, 4, 'a').c_str(), i);
        list.Add(buf, EContent::kMap, rng.Range(200, 3000));
        std::snprintf(buf, sizeof buf, "maps\\%s%02d.gam", Base26(std::uint32_t(i) / 10, 4, 'a').c_str(), i);
        list.Add(buf, EContent::kText, rng.Range(200, 2000));
    }
    // Whatever is left up to 30,000: sound effects.
    for (int i = 0; list.Specs().size() < 30000; ++i) {
        std::snprintf(buf, sizeof buf, "sound\\sfx\\%s%04d.acm", Base26(std::uint32_t(i) / 30, 3, 'a').c_str(), i);
        list.Add(buf, EContent::kSound, rng.Range(4000, 30000));
    }
    return std::move(list.Specs());
}

std::vector<SEntryShape> Tiny200kLayout()
{
    struct STop
    {
        const char* prefix;
        int leaves;
        const char* ext;
    };
    // 7 top folders, one middle folder (text\english), 126 leaves: 134 folders.
    static const STop kTops[] = {{"art\\", 50, "frm"},    {"proto\\", 12, "pro"},         {"text\\english\\", 30, "msg"},
                                 {"scripts\\", 8, "int"}, {"maps\\", 9, "map"},           {"sound\\", 10, "acm"},
                                 {"data\\", 7, "txt"}};
    std::vector<std::pair<std::string, const char*>> leaves;
    CRng rng(200000);
    for (const STop& t : kTops)
        for (int i = 0; i < t.leaves; ++i)
            leaves.emplace_back(std::string(t.prefix) + Base26(std::uint32_t(i), 2, 'a') + "dir" + std::to_string(i),
                                t.ext);
    std::vector<double> weight(leaves.size());
    double total = 0;
    for (double& w : weight)
        total += (w = 0.3 + 1.7 * rng.Unit());
    constexpr std::uint32_t kEntries = 200000;
    CSpecList list(200000);
    list.Add("color.pal", EContent::kPalette);
    std::uint32_t made = 1;
    char buf[96];
    for (std::size_t l = 0; l < leaves.size(); ++l) {
        const std::uint32_t count = l + 1 == leaves.size() ? kEntries - made
                                                           : std::uint32_t(std::lround((kEntries - 1) * weight[l] / total));
        for (std::uint32_t i = 0; i < count; ++i) {
            std::snprintf(buf, sizeof buf, "%s\\%s%05u.%s", leaves[l].first.c_str(), Base26(i / 100, 3, 'a').c_str(), i,
                          leaves[l].second);
            list.Add(buf, EContent::kTiny, rng.Range(8, 40));
        }
        made += count;
    }
    return std::move(list.Specs());
}

// The loader's order: ASCII letters folded, other bytes unsigned, prefix first.
bool FoldedLess(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// One thread's deflate state, reset between entries: the stream is what
// compress2 at level 9 gives, without a fresh 256 KiB allocation per entry.
class CDeflater
{
public:
    CDeflater()
    {
        std::memset(&m_z, 0, sizeof m_z);
        if (deflateInit2(&m_z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflateInit2 failed");
    }
    ~CDeflater() { deflateEnd(&m_z); }
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    std::string Compress(const std::string& data)
    {
        deflateReset(&m_z);
        std::string out(deflateBound(&m_z, uLong(data.size())), '\0');
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        m_z.avail_in = uInt(data.size());
        m_z.next_out = reinterpret_cast<Bytef*>(out.data());
        m_z.avail_out = uInt(out.size());
        if (deflate(&m_z, Z_FINISH) != Z_STREAM_END)
            throw std::runtime_error("deflate failed");
        out.resize(out.size() - m_z.avail_out);
        return out;
    }

private:
    z_stream m_z;
};

struct SPacked
{
    std::string m_bytes; // as written to the data region
    std::uint32_t m_nReal = 0;
};

std::runtime_error IoError(const std::string& what, const std::string& path)
{
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

std::uint32_t GetLe32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<unsigned char>(s[at + std::size_t(k)]);
    return v;
}

// The packed entries of an archive this generator wrote, in directory order.
std::vector<SPacked> ReadPackedEntries(const std::string& path, std::size_t count)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw IoError("cannot read", path);
    if (bytes.size() < 12 || GetLe32(bytes, bytes.size() - 8) > bytes.size() - 8)
        throw std::runtime_error(path + " is not a benchmark archive");
    std::size_t at = bytes.size() - 8 - GetLe32(bytes, bytes.size() - 8);
    if (GetLe32(bytes, at) != count)
        throw std::runtime_error(path + " was made by another generator");
    std::vector<SPacked> out(count);
    at += 4;
    for (SPacked& p : out) {
        at += 4 + GetLe32(bytes, at) + 1;
        p.m_nReal = GetLe32(bytes, at);
        p.m_bytes = bytes.substr(GetLe32(bytes, at + 8), GetLe32(bytes, at + 4));
        at += 12;
    }
    return out;
}

} // namespace

bool ParseBenchArchiveKind(const std::string& text, EBenchArchive& kind)
{
    if (text == "game30k")
        kind = EBenchArchive::kGame30k;
    else if (text == "tiny200k")
        kind = EBenchArchive::kTiny200k;
    else if (text == "game30k-patched")
        kind = EBenchArchive::kGame30kPatched;
    else
        return false;
    return true;
}

const char* BenchArchiveKindName(EBenchArchive kind)
{
    return kind == EBenchArchive::kGame30k    ? "game30k"
           : kind == EBenchArchive::kTiny200k ? "tiny200k"
                                              : "game30k-patched";
}

SBenchArchiveFacts WriteBenchArchive(EBenchArchive kind, const std::string& path, unsigned threads,
                                     const std::string& base)
{
    std::vector<SEntryShape> specs = kind == EBenchArchive::kTiny200k ? Tiny200kLayout() : Game30kLayout();
    std::stable_sort(specs.begin(), specs.end(),
                     [](const SEntryShape& a, const SEntryShape& b) { return FoldedLess(a.m_name, b.m_name); });
    const bool patched = kind == EBenchArchive::kGame30kPatched;
    auto redrawn = [&](std::size_t i) { return patched && i % 100 == 50; };
    for (std::size_t i = 0; i < specs.size(); ++i)
        if (redrawn(i))
            specs[i].m_seed ^= 0x9E3779B97F4A7C15ull;
    const std::vector<SPacked> kept =
        patched && !base.empty() ? ReadPackedEntries(base, specs.size()) : std::vector<SPacked>();

    // Tiny entries are stored; everything else is compressed when that shrinks it.
    const bool compress = kind != EBenchArchive::kTiny200k;
    std::vector<SPacked> packed(specs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        try {
            CDeflater deflater;
            for (std::size_t i; !failed && (i = next.fetch_add(1)) < specs.size();) {
                if (!kept.empty() && !redrawn(i)) {
                    packed[i] = kept[i];
                    continue;
                }
                std::string data = BuildContent(specs[i]);
                packed[i].m_nReal = std::uint32_t(data.size());
                std::string z = compress ? deflater.Compress(data) : std::string();
                packed[i].m_bytes = compress && z.size() < data.size() ? std::move(z) : std::move(data);
            }
        } catch (...) {
            failed = true;
        }
    };
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    if (failed)
        throw std::runtime_error("compressing the benchmark archive failed");

    SBenchArchiveFacts facts;
    facts.m_nEntries = std::uint32_t(specs.size());
    std::string directory;
    PutLe32(directory, std::uint32_t(specs.size()));
    std::set<std::string> folders;
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const std::string& name = specs[i].m_name;
        for (std::size_t s = name.find('\\'); s != std::string::npos; s = name.find('\\', s + 1))
            folders.insert(name.substr(0, s));
        const std::uint32_t real = packed[i].m_nReal;
        const std::uint32_t size = std::uint32_t(packed[i].m_bytes.size());
        PutLe32(directory, std::uint32_t(name.size()));
        directory += name;
        directory += char(real != size ? 1 : 0);
        PutLe32(directory, real);
        PutLe32(directory, size);
        PutLe32(directory, std::uint32_t(offset));
        offset += size;
        facts.m_nRealBytes += real;
    }
    facts.m_nPackedBytes = offset;
    facts.m_nFolders = std::uint32_t(folders.size());
    facts.m_nFileBytes = offset + directory.size() + 8;
    if (facts.m_nFileBytes > 0xFFFFFFFFull)
        throw std::length_error("the benchmark archive would not fit 32-bit offsets");

    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        throw IoError("cannot create", temp);
    bool ok = true;
    for (const SPacked& p : packed)
        ok = ok && std::fwrite(p.m_bytes.data(), 1, p.m_bytes.size(), f) == p.m_bytes.size();
    std::string trailer;
    PutLe32(trailer, std::uint32_t(directory.size()));
    PutLe32(trailer, std::uint32_t(facts.m_nFileBytes));
    ok = ok && std::fwrite(directory.data(), 1, directory.size(), f) == directory.size();
    ok = ok && std::fwrite(trailer.data(), 1, trailer.size(), f) == trailer.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw IoError("cannot write", path);
    }
    return facts;
}

std::string EnsureBenchArchive(EBenchArchive kind, const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    const std::string path =
        dir + "/" + BenchArchiveKindName(kind) + "-v" + std::to_string(kGeneratorVersion) + ".dat";
    if (::access(path.c_str(), R_OK) != 0)
        WriteBenchArchive(kind, path, 0,
                          kind == EBenchArchive::kGame30kPatched ? EnsureBenchArchive(EBenchArchive::kGame30k, dir) : "");
    return path;
}

std::string BenchDataDir(const std::string& fallback)
{
    const char* env = std::getenv("DRAVIK_BENCHDATA");
    return env && *env ? std::string(env) : fallback;
}
