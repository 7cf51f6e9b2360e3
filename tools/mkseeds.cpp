// Writes the fuzz targets' seed inputs from the fixture writers:
//   dravik-fuzz-seeds OUTDIR   ->  OUTDIR/<target>/<seed>
// Each seed is a few KB at most, so the repository keeps them.
#include "dat1writer.h"
#include "datwriter.h"
#include "formats/picture.h"
#include "frmwriter.h"
#include "mvewriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const std::string& bytes)
{
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + (dir / name).string());
}

void PutLe16(std::string& out, unsigned v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void PutLe32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

std::string Cp1251Russian()
{
    // "Привет, мир!" and "Строка два" in CP1251, CRLF line ends.
    return "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!\r\n\xD1\xF2\xF0\xEE\xEA\xE0 \xE4\xE2\xE0\r\n";
}

void ArchiveSeeds(const fs::path& dir)
{
    const Palette63 palette = DemoPalette();
    {
        CDatWriter w;
        w.AddCompressed("art\\intrface\\ring.frm", BuildFrm(12, 8, RingsPicture(12, 8)));
        w.AddStored("art\\intrface\\ring.pal", BuildPalette(palette).substr(0, 96));
        w.AddCompressed("COLOR.PAL", BuildPalette(palette));
        w.AddStored("text\\russian\\game\\hello.msg", Cp1251Russian());
        w.AddStored("movies\\intro.mve", {});
        Write(dir, "well-formed.dat", w.Build());
    }
    {
        CDatWriter w;
        std::string deep;
        for (int i = 0; i < 12; ++i)
            deep += "d" + std::to_string(i) + "\\";
        w.AddStored(deep + "deep.txt", "deep");
        w.AddStored("a\\b.txt", "b");
        w.AddStored("a\\c.TXT", "c");
        w.AddStored("A\\d.txt", "d");
        w.AddStored("..\\up.txt", "up");
        w.AddStored("x/y.txt", "slash");
        Write(dir, "folders.dat", w.Build());
    }
    {
        CDatWriter w;
        SDatEntryDef damaged;
        damaged.name = "damaged.txt";
        damaged.data = std::string(200, 'z');
        damaged.packedBytes = std::string("\x78\x01\x00\x05\x00\xFA\xFF", 7) + "HELLO" + "\x07";
        damaged.realSize = 200;
        w.Add(damaged);
        SDatEntryDef beyond;
        beyond.name = "beyond.txt";
        beyond.data = "beyond";
        beyond.offset = 0x7FFFFFF0u;
        w.Add(beyond);
        w.AddCompressed("good.txt", std::string(300, 'g'));
        SDatOptions opt;
        opt.trailingDirectoryBytes = "spare";
        Write(dir, "damaged.dat", w.Build(opt));
    }
    Write(dir, "names.dat", BuildDirectoryOnlyArchive(40, [](std::size_t i) {
              return "f" + std::to_string(i % 5) + "\\n" + std::to_string(i) + (i % 3 ? ".frm" : ".txt");
          }));
    {
        // A bare directory for the parser alone (no data, no trailer).
        CDatWriter w;
        w.AddStored("a.txt", "");
        w.AddStored("b\\c.frm", "");
        const std::string whole = w.Build();
        Write(dir, "bare-directory", whole.substr(0, whole.size() - 8));
    }
}

// Palette length (16 bits), palette bytes, FRM file.
std::string FrmSeed(const std::string& palette, const std::string& frm)
{
    std::string out;
    PutLe16(out, unsigned(palette.size()));
    return out + palette + frm;
}

void FrmSeeds(const fs::path& dir)
{
    const std::string palette = BuildPalette(DemoPalette());
    Write(dir, "rings-12x8.bin", FrmSeed(palette, BuildFrm(12, 8, RingsPicture(12, 8))));
    Write(dir, "checker-3-frames.bin", FrmSeed(palette.substr(0, 300), BuildFrm(9, 7, CheckerPicture(9, 7, 'A'), 3)));
    std::string shortFrm = BuildFrm(20, 10, LandscapePicture(20, 10));
    shortFrm.resize(shortFrm.size() - 15); // 92.5 % of the pixels
    Write(dir, "short-pixels.bin", FrmSeed({}, shortFrm));
    Write(dir, "one-pixel.bin", FrmSeed(palette, BuildFrm(1, 1, {7})));
}

void RixSeeds(const fs::path& dir)
{
    const Palette63 palette = DemoPalette();
    Write(dir, "landscape-16x12.rix", BuildRix(16, 12, palette, LandscapePicture(16, 12)));
    std::string cut = BuildRix(10, 10, palette, CheckerPicture(10, 10, 'R'));
    cut.resize(cut.size() - 8);
    Write(dir, "short-pixels.rix", cut);
}

// A BMP of any bit depth: header, info header, colour table, rows as given.
std::string Bmp(int width, int height, int bits, int colours, const std::string& rows)
{
    std::string out = "BM";
    const std::uint32_t offBits = 14 + 40 + 4 * std::uint32_t(colours);
    PutLe32(out, offBits + std::uint32_t(rows.size()));
    PutLe32(out, 0);
    PutLe32(out, offBits);
    PutLe32(out, 40);
    PutLe32(out, std::uint32_t(width));
    PutLe32(out, std::uint32_t(height));
    PutLe16(out, 1);
    PutLe16(out, unsigned(bits));
    PutLe32(out, 0);
    PutLe32(out, std::uint32_t(rows.size()));
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, std::uint32_t(colours));
    PutLe32(out, 0);
    for (int i = 0; i < colours; ++i)
        PutLe32(out, std::uint32_t(i * 0x010203));
    return out + rows;
}

void DibSeeds(const fs::path& dir)
{
    const std::string palette = BuildPalette(DemoPalette());
    const std::vector<std::uint8_t> rings = RingsPicture(7, 5);
    Write(dir, "indexed-7x5.bmp", BuildIndexedBmp(7, 5, reinterpret_cast<const std::uint8_t*>(palette.data()),
                                                  rings.data()));
    Write(dir, "mono-9x3.bmp", Bmp(9, 3, 1, 2, std::string("\xAA\x80\0\0\x55\0\0\0\xFF\x80\0\0", 12)));
    Write(dir, "nibbles-5x4.bmp", Bmp(5, 4, 4, 16, std::string("\x01\x23\x40\0\x56\x78\x90\0\xAB\xCD\xE0\0\xF0\x12\x30\0", 16)));
    Write(dir, "rgb-3x3.bmp", Bmp(3, 3, 24, 0, std::string(36, '\x7F')));
    Write(dir, "rgba-2x2.bmp", Bmp(2, 2, 32, 0, std::string(16, '\x40')));
}

void TextSeeds(const fs::path& dir)
{
    // Encoding choice, folder choice, then the entry's bytes.
    auto seed = [](int encoding, int folder, const std::string& bytes) {
        return std::string(1, char(encoding)) + char(folder) + bytes;
    };
    Write(dir, "cp1251-russian.bin", seed(0, 0, Cp1251Russian()));
    Write(dir, "utf8-bom.bin", seed(1, 2, "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\nok\n"));
    Write(dir, "cp866-box.bin", seed(2, 8, "\xC9\xCD\xCD\xBB\r\n\xBA\x8F\xE0\xA8\xA2\xA5\xE2\xBA\r\n\xC8\xCD\xCD\xBC"));
    Write(dir, "big5.bin", seed(6, 3, "\xA4\xA4\xA4\xE5\r\n\xA5\xBF\xC5\xE9\r"));
    Write(dir, "zero-and-mixed-ends.bin", seed(0, 1, std::string("line one\r\rline two\n\rthree") + '\0' + "hidden"));
    Write(dir, "shift-jis.bin", seed(8, 5, "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\r\n"));
}

void MovieSeeds(const fs::path& dir)
{
    SMveMovie checker;
    checker.width = 16;
    checker.height = 16;
    checker.frames = 2;
    checker.palette = DemoPalette();
    checker.frame = [](int k) { return CheckerPicture(16, 16, char('A' + k)); };
    Write(dir, "checker-16x16.mve", BuildMve(checker));

    SMveMovie sound = DemoMovie(16, 8, 3, 15, true, 2);
    sound.sound->sampleRate = 1500;
    Write(dir, "stereo-16x8.mve", BuildMve(sound));

    SMveMovie single = DemoMovie(8, 8, 1, 10, true, 1);
    single.sound->sampleRate = 800;
    Write(dir, "mono-8x8.mve", BuildMve(single));
}

void Dat1Seeds(const fs::path& dir)
{
    const Palette63 palette = DemoPalette();
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "   line " + std::to_string(i % 7) + " of a text that repeats\r\n";
    CDat1Writer w;
    SDat1EntryDef frm{"ART\\INTRFACE", "RING.FRM", BuildFrm(12, 8, RingsPicture(12, 8))};
    w.Add(frm);
    SDat1EntryDef pal{".", "COLOR.PAL", BuildPalette(palette)};
    pal.blockSize = 300;
    w.Add(pal);
    SDat1EntryDef msg{"TEXT\\ENGLISH", "HELLO.MSG", text, EDat1Storage::kStream};
    w.Add(msg);
    w.AddStored("TEXT\\ENGLISH", "PLAIN.TXT", "stored as it is\n");
    SDat1EntryDef mixed{"SOUND", "MIXED.ACM", text + Cp1251Russian()};
    mixed.blockSize = 512;
    mixed.storeAll = true;
    w.Add(mixed);
    Write(dir, "well-formed.dat", w.Build());
    CDat1Writer one;
    one.Add({".", "A.TXT", "   ABCABCABCD"});
    SDat1Options game; // capacities above the counts, as in the game's archives
    game.capacity = 10;
    Write(dir, "one-entry.dat", one.Build(game));
}

void LzssSeeds(const fs::path& dir)
{
    // The framing byte, three bytes of real size, then the packed bytes.
    auto seed = [&](const std::string& name, bool stream, const std::string& real, const std::string& packed) {
        std::string s(1, char(stream ? 1 : 0));
        s += char(real.size() >> 16);
        s += char(real.size() >> 8);
        s += char(real.size());
        Write(dir, name, s + packed);
    };
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "entry " + std::to_string(i % 13) + "    \n";
    seed("blocks", false, text, LzssBlocks(text, 1024));
    seed("stored-blocks", false, text, LzssBlocks(text, 700, true));
    seed("stream", true, text, LzssCompress(text));
    seed("spaces", true, std::string(300, ' '), LzssCompress(std::string(300, ' ')));
}

// Movies and sounds for the browser's reading of both.
void SoundSeeds(const fs::path& dir)
{
    std::string noise;
    for (int i = 0; i < 600; ++i)
        noise += char(i * 37 ^ i >> 3);
    Write(dir, "noise-mono.acm", BuildAcm(4096, 1, 22050, noise));
    Write(dir, "silence-stereo.acm", BuildAcm(6000, 2, 44100, std::string(200, '\0')));
    Write(dir, "short-tail.acm", BuildAcm(9000, 2, 22050, noise.substr(0, 90)));
    MovieSeeds(dir);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 1;
    }
    try {
        const fs::path root = argv[1];
        ArchiveSeeds(root / "dirparser");
        Dat1Seeds(root / "dat1dir");
        LzssSeeds(root / "lzss");
        FrmSeeds(root / "frm");
        RixSeeds(root / "rix");
        DibSeeds(root / "dib");
        TextSeeds(root / "text");
        MovieSeeds(root / "movie");
        SoundSeeds(root / "sound");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
