// dravik-cli as scripts see it: the real binary run on fixture archives, its
// stdout, stderr, exit status and the files it leaves behind.
#include "../filetypes/handlertest.h"
#include "archive/datfiledoc.h"
#include "dat1writer.h"
#include "fakes.h"
#include "frmwriter.h"
#include "mvewriter.h"
#include "helpers.h"
#include "pngread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct SRun
{
    int code = -1;
    std::string out, err;
};

// Runs dravik-cli with args in cwd (empty: ours); both streams go to files.
SRun RunCli(const std::vector<std::string>& args, const std::string& cwd = {})
{
    CTempDir io;
    const std::string outPath = io / "out", errPath = io / "err";
    std::vector<std::string> all{DRAVIK_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid;
    const int rc = posix_spawn(&pid, DRAVIK_CLI_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || ::waitpid(pid, &status, 0) != pid)
        throw std::runtime_error("dravik-cli could not be run");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadWholeFile(outPath),
            ReadWholeFile(errPath)};
}

std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t pos; (pos = line.find(sep, start)) != std::string::npos; start = pos + 1)
        parts.push_back(line.substr(start, pos - start));
    parts.push_back(line.substr(start));
    return parts;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines = Split(text, '\n');
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

// Every file (or link) under root, relative; links are not entered.
std::set<std::string> Files(const std::string& root)
{
    std::set<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_symlink() || !e.is_directory())
            paths.insert(e.path().lexically_relative(root).string());
    return paths;
}

class CliTest : public ::testing::Test
{
protected:
    std::string Write(const CDatWriter& w, const SDatOptions& opt = {}, const std::string& name = "archive.dat")
    {
        std::string path = m_tmp / name;
        w.WriteTo(path, opt);
        return path;
    }
    CTempDir m_tmp;
};

// ---------------------------------------------------------------- list, info

TEST_F(CliTest, ListPrintsEveryEntryAsStoredInDirectoryOrderWithItsFieldsAlsoAsJson)
{
    CDatWriter w = ExampleArchive();
    w.AddStored("\xCF\xE0\xEF\xEA\xE0\\\xC0\xC1\xC2.txt", "cyrillic");
    w.AddStored("ART\\INTRFACE\\Y.frm", "the browser's art\\intrface folder");
    w.AddStored("odd\\q\"uote\x01\x1F\t.txt", "x");
    w.AddStored("noext.\xE0\xE1", "type named in CP1251");
    const std::string archive = Write(w);
    const std::string bytes = ReadWholeFile(archive);
    const struct { std::string path, json, type; unsigned long size; } expected[] = {
        {"art\\intrface\\b.frm", "art\\\\intrface\\\\b.frm", "FRM files", 7},
        {"art\\intrface\\a.frm", "art\\\\intrface\\\\a.frm", "FRM files", 4004},
        {"art\\critters\\c.frm", "art\\\\critters\\\\c.frm", "FRM files", 0},
        {"text\\english\\d.msg", "text\\\\english\\\\d.msg", "Msg files", 15},
        {"readme.txt", "readme.txt", "Text files", 9},
        {"Папка\\АБВ.txt", "Папка\\\\АБВ.txt", "Text files", 8},
        {"ART\\INTRFACE\\Y.frm", "ART\\\\INTRFACE\\\\Y.frm", "FRM files", 33}, // not rebuilt from its folders
        {"odd\\q\"uote\x01\x1F\t.txt", "odd\\\\q\\\"uote\\u0001\\u001f\\u0009.txt", "Text files", 1},
        {"noext.аб", "noext.аб", "аб", 20}, // type texts are decoded too
    };
    const SRun text = RunCli({"list", archive}), json = RunCli({"list", "--json", archive});
    ASSERT_EQ(text.code + json.code, 0) << text.err << json.err;
    EXPECT_EQ(text.err + json.err, "");
    const std::vector<std::string> lines = Lines(text.out), objects = Lines(json.out);
    ASSERT_EQ(lines.size(), 9u) << text.out;
    ASSERT_EQ(objects.size(), 11u) << json.out;
    EXPECT_EQ(objects.front() + objects.back(), "[]");
    for (std::size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(lines[i]);
        // path TAB size TAB packed TAB offset TAB type; the path may hold tabs itself.
        EXPECT_EQ(lines[i].substr(0, expected[i].path.size() + 1), expected[i].path + "\t");
        const std::vector<std::string> fields = Split(lines[i].substr(expected[i].path.size() + 1), '\t');
        ASSERT_EQ(fields.size(), 4u);
        EXPECT_EQ(std::stoul(fields[0]), expected[i].size);
        EXPECT_EQ(fields[3], expected[i].type);
        // Offset and packed size must point at exactly the bytes written for the entry.
        const std::size_t packed = std::stoul(fields[1]), offset = std::stoul(fields[2]);
        ASSERT_LE(offset + packed, bytes.size());
        EXPECT_EQ(bytes.substr(offset, packed), w.PackedBytes(i));
        EXPECT_EQ(objects[i + 1], "  {\"path\": \"" + expected[i].json + "\", \"size\": " + fields[0] +
                                      ", \"packed\": " + fields[1] + ", \"offset\": " + fields[2] + ", \"type\": \"" +
                                      expected[i].type + "\"}" + (i < 8 ? "," : ""));
    }
    // An empty file opens as an empty archive.
    const std::string empty = m_tmp / "empty.dat";
    WriteWholeFile(empty, "");
    EXPECT_EQ(RunCli({"list", empty, "--json"}).out, "[]\n");
    EXPECT_EQ(RunCli({"list", empty}).out, "");

    // Patterns pick exactly what extract would take, in directory order.
    const struct { Args patterns; std::vector<std::string> paths; } picks[] = {
        {{"art/*/*.frm"}, {"art\\intrface\\b.frm", "art\\intrface\\a.frm", "art\\critters\\c.frm", "ART\\INTRFACE\\Y.frm"}},
        {{"*\\?.msg", "папка/абв.*"}, {"text\\english\\d.msg", "Папка\\АБВ.txt"}},
        {{"--json", "--", "readme.txt"}, {"  {\"path\": \"readme.txt\""}},
        {{"nothing*"}, {}},
    };
    for (const auto& [patterns, paths] : picks) {
        SCOPED_TRACE(::testing::PrintToString(patterns));
        Args args{"list", archive};
        args.insert(args.end(), patterns.begin(), patterns.end());
        const SRun run = RunCli(args);
        EXPECT_EQ(run.code, 0);
        std::vector<std::string> got;
        for (const std::string& line : Lines(run.out))
            if (line != "[" && line != "]")
                got.push_back(line.substr(0, line.find(paths.empty() || paths[0][0] != ' ' ? '\t' : ',')));
        EXPECT_EQ(got, paths);
        // A pattern that matches nothing is worth a warning, not a failure.
        EXPECT_EQ(run.err.find("no entry matches") != std::string::npos, paths.empty()) << run.err;
    }
}

TEST_F(CliTest, InfoReportsCountsDataSizeAndPaletteAndZeroSizeArchivesStillServe)
{
    const std::string plain = Write(ExampleArchive());
    SRun run = RunCli({"info", plain});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "entries: 5\nfolders: 5\ntypes: 3\ndata size: " +
                           std::to_string(fs::file_size(plain)) + "\npalette: none\nformat: DAT2\n");

    CDatWriter w = ExampleArchive();
    w.AddStored("Art\\Palettes\\COLOR.PAL", std::string(768, '\0'));
    w.AddStored("other\\color.pal", "second one is not the palette");
    run = RunCli({"info", Write(w, Options({}, {}, 1234), "pal.dat")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("entries: 7\nfolders: 7\ntypes: 4\ndata size: 1234\n"), std::string::npos) << run.out;
    // Named as stored, although ART and Art are one folder to the browser.
    EXPECT_NE(run.out.find("palette: Art\\Palettes\\COLOR.PAL\n"), std::string::npos) << run.out;

    // A data-size word of 0 marks the document unloaded, but the entries are there.
    const std::string zero = Write(ExampleArchive(), Options({}, {}, 0), "zero.dat");
    EXPECT_NE(RunCli({"info", zero}).out.find("data size: 0\n"), std::string::npos);
    EXPECT_EQ(Lines(RunCli({"list", zero}).out).size(), 5u);
    run = RunCli({"extract", zero, "-o", m_tmp / "out"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(m_tmp / "out/text/english/d.msg"), "{100}{}{Hello}\n");
}

// ---------------------------------------------------------------- extract

TEST_F(CliTest, ExtractWritesEveryEntryAtItsStoredPathIntoTheCurrentFolderByDefault)
{
    CDatWriter w = ExampleArchive();
    std::string noise;
    for (int i = 0; i < 300; ++i)
        noise += char((i * 7919) >> 3);
    w.Add(Def("art\\noise.bin", noise, [](SDatEntryDef& d) { d.forceCompress = true; })); // it does not shrink
    w.AddCompressed("empty.z", "");
    w.AddStored("\xCF\xE0\xEF\xEA\xE0\\\xC0\xC1\xC2.txt", "cyrillic");
    w.AddStored("ART\\y.frm", "y"); // one folder with art\ to the browser, another on disk
    w.AddStored("Art\\Sub\\z.frm", "z");
    const std::string archive = Write(w);
    const std::string cwd = m_tmp / "work";
    fs::create_directory(cwd);
    WriteWholeFile(cwd + "/readme.txt", "an older copy, to be replaced");

    SRun run = RunCli({"extract", archive, "*"}, cwd);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::map<std::string, std::string> expected = {
        {"art/intrface/b.frm", "frame b"},  {"art/intrface/a.frm", std::string(4000, 'a') + "tail"},
        {"art/critters/c.frm", ""},         {"text/english/d.msg", "{100}{}{Hello}\n"},
        {"readme.txt", "read me\r\n"},      {"art/noise.bin", noise},
        {"empty.z", ""},                    {"Папка/АБВ.txt", "cyrillic"},
        {"ART/y.frm", "y"},                 {"Art/Sub/z.frm", "z"}};
    // Nothing else: no scratch files, no undecoded names.
    EXPECT_EQ(Files(cwd).size(), expected.size()) << ::testing::PrintToString(Files(cwd));
    for (const auto& [path, data] : expected)
        EXPECT_EQ(ReadWholeFile(cwd + "/" + path), data) << path;
}

TEST_F(CliTest, PatternsMatchWholePathsIgnoringCaseAndSeparatorKind)
{
    CDatWriter w = ExampleArchive();
    w.AddStored("\xC0\xC1\xC2.txt", "cyrillic");
    const std::string archive = Write(w);
    struct SCase { std::vector<std::string> patterns; std::set<std::string> files; };
    const std::string b = "art/intrface/b.frm", a = "art/intrface/a.frm", c = "art/critters/c.frm",
                      d = "text/english/d.msg", r = "readme.txt", cyr = "АБВ.txt";
    const SCase cases[] = {
        {{"ART/INTRFACE/*.FRM"}, {a, b}},
        {{"art\\Critters/C.frm"}, {c}},
        {{"*.frm"}, {a, b, c}}, // '*' crosses separators
        {{"*"}, {a, b, c, d, r, cyr}},
        {{"text/english/?.msg"}, {d}},
        {{"art?intrface?b.frm"}, {b}}, // '?' takes a separator too
        {{"art/intrface/[!a].frm"}, {b}},
        {{"*/[B-C].frm"}, {b, c}},
        {{"art[/]critters[\\]c.frm"}, {c}},
        {{"абв.TXT"}, {cyr}}, // Cyrillic letters fold too
        {{"readme.txt", "*.msg", "*.MSG"}, {r, d}},
        {{"[.frm"}, {}}, // an unclosed set is a literal '['
        {{"art"}, {}},   // a folder name alone is not a path
    };
    for (const SCase& tc : cases) {
        SCOPED_TRACE(::testing::PrintToString(tc.patterns));
        CTempDir out;
        std::vector<std::string> args{"extract", archive, "-o", out.Path(), "--"};
        args.insert(args.end(), tc.patterns.begin(), tc.patterns.end());
        SRun run = RunCli(args);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(Files(out.Path()), tc.files);
        EXPECT_EQ(tc.files.empty(), run.err.find("no entry matches") != std::string::npos) << run.err;
    }
}

TEST_F(CliTest, DamagedEntriesAreReportedAndTheOthersStillExtracted)
{
    CDatWriter w;
    w.AddStored("first.txt", "first");
    w.Add(Def("art\\corrupt.frm", std::string(100, 'c'), [](SDatEntryDef& d) {
        d.packedBytes = std::string("\x78\x01\x00\x05\x00\xFA\xFF", 7) + "HELLO" + "\x07"; // then a bad block
    }));
    w.Add(Def("beyond.txt", "never read", [](SDatEntryDef& d) { d.offset = 0x7FFFFFF0u; }));
    w.Add(Def("straddles.txt", "short", [](SDatEntryDef& d) { d.packedSize = 1u << 20; })); // past the file's end
    w.AddCompressed("art\\last.frm", std::string(500, 'z'));
    const std::string archive = Write(w);
    const std::string out = m_tmp / "out";

    SRun run = RunCli({"extract", archive, "-o", out});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("'art\\corrupt.frm' is damaged"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("entry 'beyond.txt': " + archive), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("entry 'straddles.txt': " + archive), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("stopped"), std::string::npos) << "archive damage must not stop the run";
    EXPECT_EQ(ReadWholeFile(out + "/first.txt"), "first");
    EXPECT_EQ(ReadWholeFile(out + "/art/last.frm"), std::string(500, 'z'));
    EXPECT_FALSE(FileExists(out + "/art/corrupt.frm")) << "no file for a damaged entry";
    EXPECT_FALSE(FileExists(out + "/beyond.txt"));
    EXPECT_FALSE(FileExists(out + "/straddles.txt"));

    // Kept on request: the bytes that unpacked, never padded to the recorded size.
    run = RunCli({"extract", archive, "-o", out, "--keep-damaged", "*.frm"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("'art\\corrupt.frm' is damaged"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(out + "/art/corrupt.frm"), "HELLO");
}

TEST_F(CliTest, FirstGameArchivesListInfoAndExtractAsTheSecondGamesDo)
{
    const std::string text = "{100}{}{Welcome}\r\n" + std::string(40000, ' ') + "end";
    CDat1Writer w;
    w.AddStored(".", "README.TXT", "stored, packed field 0");
    w.Add({"ART\\INTRFACE", "IFACE.FRM", BuildFrm(4, 4, std::vector<std::uint8_t>(16, 7))});
    w.Add({"TEXT\\ENGLISH\\GAME", "misc.msg", text, EDat1Storage::kStream});
    SDat1EntryDef bad{"TEXT\\ENGLISH\\GAME", "bad.msg", "", EDat1Storage::kBlocks};
    bad.realSize = 10;
    bad.packedBytes = std::string("\x00\x03\x01Z\x05", 5);
    w.Add(bad);
    const std::string archive = m_tmp / "first.dat";
    w.WriteTo(archive);

    const std::vector<std::string> lines = Lines(RunCli({"list", archive}).out);
    const std::vector<std::string> expected = {
        "README.TXT\t22\t22\t", "ART\\INTRFACE\\IFACE.FRM\t",
        "TEXT\\ENGLISH\\GAME\\misc.msg\t" + std::to_string(text.size()) + "\t" + std::to_string(w.PackedBytes(2).size()) + "\t",
        "TEXT\\ENGLISH\\GAME\\bad.msg\t10\t5\t"};
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, expected[i].size()), expected[i]);
    EXPECT_NE(lines[1].find("\tFRM files"), std::string::npos) << lines[1];
    EXPECT_NE(RunCli({"info", archive}).out.find("entries: 4\nfolders: 5\n"), std::string::npos);
    EXPECT_NE(RunCli({"info", archive}).out.find("format: DAT1\n"), std::string::npos);

    const std::string out = m_tmp / "out";
    SRun run = RunCli({"extract", archive, "-o", out});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("'TEXT\\ENGLISH\\GAME\\bad.msg' is damaged"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(out + "/README.TXT"), "stored, packed field 0");
    EXPECT_EQ(ReadWholeFile(out + "/ART/INTRFACE/IFACE.FRM"), BuildFrm(4, 4, std::vector<std::uint8_t>(16, 7)));
    EXPECT_EQ(ReadWholeFile(out + "/TEXT/ENGLISH/GAME/misc.msg"), text);
    EXPECT_FALSE(FileExists(out + "/TEXT/ENGLISH/GAME/bad.msg"));
    run = RunCli({"extract", archive, "-o", m_tmp / "one", "-j", "1", "art\\*.frm"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Files(m_tmp / "one"), std::set<std::string>{"ART/INTRFACE/IFACE.FRM"});
}

TEST_F(CliTest, OutputFailuresStopTheRunWithAMessage)
{
    const std::string archive = Write(ExampleArchive());
    const std::string blocker = m_tmp / "plain-file";
    WriteWholeFile(blocker, "not a folder");
    SRun run = RunCli({"extract", archive, "-o", blocker + "/sub"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find(blocker + "/sub"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(blocker), "not a folder");

    // A folder nothing can be created in: the first entry fails, the rest are not tried.
    run = RunCli({"extract", archive, "-o", "/proc/self", "readme.txt", "*.frm"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("extraction stopped"), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
}

// ---------------------------------------------------------------- failures and usage

TEST_F(CliTest, MalformedArchivesExit2WithAMessageNamingTheFile)
{
    const std::string stub = m_tmp / "stub.dat";
    WriteWholeFile(stub, "DAT");
    const std::pair<std::string, std::string> archives[] = { // path, what the message must say
        {Write(CDatWriter(), Options(0x7FFFFFFFu, {}, {}, std::string(8, '\0')), "huge.dat"), "2147483647"},
        {stub, "trailer"},
        {m_tmp / "missing.dat", "could not be found"},
    };
    ASSERT_EQ(fs::file_size(archives[0].first), 20u); // 20 bytes claiming 2^31 - 1 entries
    for (const auto& [path, detail] : archives) {
        for (const Args& args : {Args{"list", path}, Args{"list", "--json", path}, Args{"info", path},
                                 Args{"extract", path, "-o", m_tmp / "out"}}) {
            SCOPED_TRACE(::testing::PrintToString(args));
            SRun run = RunCli(args);
            EXPECT_EQ(run.code, 2);
            EXPECT_EQ(run.out, "");
            EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(detail), std::string::npos) << run.err;
        }
    }
    EXPECT_FALSE(FileExists(m_tmp / "out")) << "nothing is created for an archive that does not load";
}

TEST_F(CliTest, BadUsageExits1WithUsageOnStderrAndHelpGoesToStdout)
{
    const std::string archive = Write(ExampleArchive());
    const Args bad[] = {{}, {"frobnicate", archive}, {"list"}, {"list", "--bogus", archive},
                        {"info"}, {"info", "--json", archive}, {"extract"}, {"extract", archive, "-o"},
                        {"extract", archive, "-o", ""}, {"extract", archive, "--json"}, {"extract", archive, "-j", "0"},
                        {"extract", "-x", archive}, {"convert", archive}, {"convert", "-x", archive},
                        {"convert", archive, "a.frm", "out.bmp", "extra"}};
    for (const Args& args : bad) {
        SCOPED_TRACE(::testing::PrintToString(args));
        SRun run = RunCli(args);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << run.err;
    }
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"extract", "--help"}}) {
        SRun run = RunCli(args);
        EXPECT_EQ(run.code, 0);
        EXPECT_NE(run.out.find("Usage:"), std::string::npos);
        EXPECT_NE(run.out.find("separators included"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
    // Options may follow the operands; after "--" a dash starts a pattern.
    SRun run = RunCli({"extract", archive, "--", "-o"}, m_tmp.Path());
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("no entry matches '-o'"), std::string::npos);
    EXPECT_EQ(RunCli({"extract", archive, "readme.txt", "--output=" + (m_tmp / "o2")}).code, 0);
    EXPECT_TRUE(FileExists(m_tmp / "o2/readme.txt"));
}

// ---------------------------------------------------------------- convert

TEST_F(CliTest, ConvertWritesExactlyTheBitmapTheBrowserCaches)
{
    Palette63 red{}, green{};
    red[1] = {63, 0, 0};
    green[1] = {0, 63, 0};
    CDatWriter w;
    for (auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"art\\Ghost.FRM", BuildFrm(5, 3, std::vector<std::uint8_t>(15, 1))},
             {"art\\plain.frm", BuildFrm(2, 7, {1, 2, 3})},
             {"COLOR.PAL", BuildPalette(green)},
             {"misc\\ghost.pal", BuildPalette(red)},
             {"splash\\s.RIX", BuildRix(3, 2, red, {1, 1, 0, 0, 1, 1})}})
        w.AddCompressed(name, data);
    const std::string archive = Write(w);

    CFakeUiServices ui;
    CDATFileDoc doc(false);
    ASSERT_TRUE(doc.OpenDocumentFile(archive));
    doc.m_CashPath.Set(m_tmp / "cache");
    for (const auto& [entry, spelling] : std::vector<std::pair<std::string, std::string>>{
             {"Ghost.FRM", "art/ghost.frm"}, {"plain.frm", "ART\\PLAIN.FRM"}, {"s.RIX", "splash/S.rix"}}) {
        SCOPED_TRACE(spelling);
        CDATInternalFile* item = doc.FindEntry(entry);
        CRecordingDC dc;
        RECT pane{0, 0, 100, 100};
        ShowEntry(doc, *item, dc, pane);
        ASSERT_EQ(dc.m_dibs.size(), 1u);
        SRun run = RunCli({"convert", archive, spelling, m_tmp / "out.bmp"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ReadWholeFile(m_tmp / "out.bmp"), ReadWholeFile(item->m_strCachePath));
    }
    EXPECT_TRUE(ui.m_reports.empty());
}

TEST_F(CliTest, ConvertFailuresExit2NamingTheEntry)
{
    CDatWriter w;
    w.AddStored("art\\a.frm", BuildFrm(2, 2, {}));
    w.AddStored("art\\bad.rix", "RIFF and more");
    w.AddStored("readme.txt", "text");
    const std::string archive = Write(w);
    const std::string out = m_tmp / "out.bmp";
    const struct { std::string entry, complaint; } failures[] = {
        {"art/a.frm", "'art/a.frm' has no palette"},
        {"art/bad.rix", "bad.rix"},
        {"readme.txt", "not an FRM or RIX picture"},
        {"art/none.frm", "no entry 'art/none.frm'"},
        {"a.frm", "no entry 'a.frm'"},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.entry);
        SRun run = RunCli({"convert", archive, f.entry, out});
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(f.complaint), std::string::npos) << run.err;
        EXPECT_FALSE(FileExists(out));
    }
    w.AddStored("color.pal", std::string(768, '\1'));
    const std::string good = Write(w, {}, "good.dat"), archiveBytes = ReadWholeFile(good);
    for (const std::string& target : {m_tmp / "missing/out.bmp", good}) // the second is the archive itself
        EXPECT_EQ(RunCli({"convert", good, "art\\a.frm", target}).code, 2);
    EXPECT_EQ(RunCli({"convert", m_tmp / "missing.dat", "art\\a.frm", out}).code, 2);
    EXPECT_EQ(ReadWholeFile(good), archiveBytes);
    EXPECT_EQ(RunCli({"convert", good, "art\\a.frm", out}).code, 0);
    EXPECT_EQ(ReadWholeFile(out).size(), 1078u + 2 * 4);
}

} // namespace

// ---------------------------------------------------------------- sets of sources, diff

namespace {

TEST_F(CliTest, OverlaysListAndExtractTheWinningCopyWithItsSourceAndAllCopiesWinnerFirst)
{
    const std::string base = Write(ExampleArchive());
    CDatWriter p;
    p.AddStored("ART\\INTRFACE\\B.FRM", "patched b");
    p.AddStored("new.txt", "new");
    const std::string patch = Write(p, {}, "patch.dat"), data = m_tmp / "data";
    fs::create_directories(data + "/art/critters");
    WriteWholeFile(data + "/Readme.TXT", "loose readme");
    WriteWholeFile(data + "/art/critters/c.frm", "loose c");
    const struct { std::string path, source, data; } winners[] = {
        {"ART\\INTRFACE\\B.FRM", patch, "patched b"}, {"art\\intrface\\a.frm", base, std::string(4000, 'a') + "tail"},
        {"art\\critters\\c.frm", data, "loose c"},    {"text\\english\\d.msg", base, "{100}{}{Hello}\n"},
        {"Readme.TXT", data, "loose readme"},          {"new.txt", patch, "new"}};
    SRun run = RunCli({"list", base, "--overlay", patch, "--overlay=" + data});
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), std::size(winners)) << run.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], '\t');
        ASSERT_EQ(fields.size(), 6u) << lines[i];
        EXPECT_EQ(fields[0] + " " + fields[1] + " " + fields[5],
                  winners[i].path + " " + std::to_string(winners[i].data.size()) + " " + winners[i].source);
        EXPECT_EQ(fields[3].empty(), winners[i].source == data) << "a loose file has no offset: " << lines[i];
    }
    run = RunCli({"extract", base, "--overlay", patch, "--overlay", data, "-o", m_tmp / "out"});
    ASSERT_EQ(run.code, 0) << run.err;
    for (const auto& w : winners) {
        std::string path = w.path;
        std::replace(path.begin(), path.end(), '\\', '/');
        EXPECT_EQ(ReadWholeFile(m_tmp / ("out/" + path)), w.data) << path;
    }
    // An overlay archive in the output folder is never replaced by an entry of its name.
    fs::create_directory(m_tmp / "o2");
    const std::string inside = Write(p, {}, "o2/patch.dat");
    CDatWriter e;
    e.AddStored("patch.dat", "not an archive");
    run = RunCli({"extract", Write(e, {}, "e.dat"), "--overlay", inside, "-o", m_tmp / "o2"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("is the archive being read"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(inside), ReadWholeFile(patch));

    // Every copy, the winning one first; the same file twice is two copies.
    lines = Lines(RunCli({"list", base, "--overlay", patch, "--overlay", data, "--all-copies"}).out);
    std::vector<std::string> sources;
    for (const std::string& line : lines)
        sources.push_back(line.substr(0, 2) + Split(line, '\t').back());
    EXPECT_EQ(sources, (std::vector<std::string>{"AR" + patch, "ar" + base, "ar" + base, "ar" + data, "ar" + base,
                                                 "te" + base, "Re" + data, "re" + base, "ne" + patch}));
    const std::string again = m_tmp / "./archive.dat";
    run = RunCli({"list", "--json", base, "--overlay", again, "--all-copies"});
    EXPECT_EQ(Lines(run.out).size(), 2u + 10u) << run.out;
    EXPECT_NE(run.out.find("\"source\": \"" + again + "\", \"wins\": true},\n  {\"path\": \"art\\\\intrface\\\\b.frm\""),
              std::string::npos) << run.out;
    EXPECT_NE(RunCli({"list", "--json", data}).out.find("\"offset\": null, \"type\": \"Text files\", \"source\": \""),
              std::string::npos);
}

TEST_F(CliTest, DiffPrintsSortedChangesInflatingOnlyWhereStoredBytesDifferAndExitsLikeDiff)
{
    CDatWriter o, n, damaged;
    for (CDatWriter* w : {&o, &n, &damaged}) {
        w->AddStored("keep.txt", "same");
        w->AddStored(w == &o ? "art\\Case.frm" : "ART/case.FRM", "same picture");
    }
    o.AddCompressed("recompressed.txt", std::string(100, 'r'));
    o.AddStored("changed.txt", "one");
    o.AddStored("resized.txt", "short");
    o.AddStored("gone.txt", "gone");
    for (CDatWriter* w : {&n, &damaged}) {
        w->AddStored("Recompressed.txt", std::string(100, 'r'));
        w->AddStored("resized.txt", "longer");
        w->AddStored("added.txt", "added");
    }
    n.AddCompressed("changed.txt", std::string("two"));
    damaged.Add(Def("changed.txt", "one", [](SDatEntryDef& d) { d.packedBytes = "\x78\x01garbage"; }));
    const std::string oldPath = Write(o, {}, "old.dat"), newPath = Write(n, {}, "new.dat");
    const std::string brokenPath = Write(damaged, {}, "damaged.dat"), folder = m_tmp / "unpacked";
    ASSERT_EQ(RunCli({"extract", oldPath, "-o", folder}).code, 0);
    const struct { Args args; std::string out; int code; std::string complaint; } cases[] = {
        {{oldPath, newPath}, "A\tadded.txt\nM\tchanged.txt\nD\tgone.txt\nM\tresized.txt\n", 1, ""},
        {{newPath, oldPath}, "D\tadded.txt\nM\tchanged.txt\nA\tgone.txt\nM\tresized.txt\n", 1, ""},
        {{"--json", oldPath, newPath},
         "[\n  {\"change\": \"A\", \"path\": \"added.txt\"},\n  {\"change\": \"M\", \"path\": \"changed.txt\"},\n"
         "  {\"change\": \"D\", \"path\": \"gone.txt\"},\n  {\"change\": \"M\", \"path\": \"resized.txt\"}\n]\n",
         1, ""},
        {{oldPath, oldPath}, "", 0, ""},
        {{folder, oldPath, "--json"}, "[]\n", 0, ""}, // loose files against packed ones
        {{oldPath, brokenPath}, "A\tadded.txt\nD\tgone.txt\nM\tresized.txt\n", 2, "'changed.txt' was not compared"},
        {{oldPath, m_tmp / "missing.dat"}, "", 2, "missing.dat"},
        {{oldPath}, "", 2, "Usage:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        Args args{"diff"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SRun run = RunCli(args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(c.complaint.empty(), run.err.empty()) << run.err;
        EXPECT_NE(run.err.find(c.complaint), std::string::npos) << run.err;
    }
}

} // namespace

// ---------------------------------------------------------------- sounds and movies

namespace {

TEST_F(CliTest, InfoJsonGivesSoundAndMovieFactsAndConvertWritesWav)
{
    SMveMovie movie = DemoMovie(32, 16, 3, 15, true, 2);
    movie.sound->sampleRate = 11025;
    CDatWriter w;
    w.AddCompressed("sound\\music\\calm.acm", BuildAcm(44100, 1, 22050, std::string(3000, '\0')));
    w.AddStored("sound\\sfx\\hit.acm", BuildAcm(4410, 2, 22050, std::string(300, '\0')));
    w.AddStored("art\\cuts\\intro.mve", BuildMve(movie));
    w.AddStored("art\\cuts\\bad.mve", "Interplay MVE File");
    w.AddStored("sound\\sfx\\bad.acm", std::string("\x97\x28\x03\x01", 4) + "short");
    w.AddStored("readme.txt", "text");
    const std::string archive = Write(w);
    const std::string duration = std::to_string(std::int64_t(MveFramePeriod(movie)) * 3 / 1000);
    const struct { std::string entry; int code; std::string out; } cases[] = {
        {"SOUND/MUSIC/calm.acm", 0, R"({"kind":"sound","rate":22050,"channels":2,"samples":44100,"duration_ms":1000})"},
        {"SOUND\\SFX\\HIT.ACM", 0, R"({"kind":"sound","rate":22050,"channels":1,"samples":4410,"duration_ms":200})"},
        {"ART/CUTS/INTRO.MVE", 0, R"({"kind":"movie","width":32,"height":16,"frames":3,"duration_ms":)" + duration +
                                      R"(,"audio":{"rate":11025,"channels":2,"codec":"pcm_s16le"}})"},
        {"art/cuts/bad.mve", 2, ""},
        {"readme.txt", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const SRun run = RunCli({"info", archive, c.entry, "--json"});
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(run.out, c.out.empty() ? "" : c.out + "\n");
    }
    for (const auto& [entry, channels] : {std::pair{"SOUND/MUSIC/CALM.ACM", 2}, {"sound/sfx/hit.acm", 1}}) {
        const SRun run = RunCli({"convert", archive, entry, m_tmp / "out.wav"});
        EXPECT_EQ(run.code, 0) << run.err;
        const std::string wav = ReadWholeFile(m_tmp / "out.wav");
        EXPECT_EQ(wav.size(), 44u + 2 * (channels == 2 ? 44100 : 4410));
        EXPECT_EQ(wav[22], char(channels));
    }
    // Many at once: the damaged sound is reported, the rest written at their folders.
    const std::string dir = m_tmp / "wavs";
    const struct { std::vector<std::string> patterns; int code; std::string err; std::set<std::string> files; } batches[] = {
        {{}, 2, "1 sound could not be converted", {"sound/music/calm.wav", "sound/sfx/hit.wav"}},
        {{"*/calm.acm", "none*"}, 0, "warning: no sound matches 'none*'", {"sound/music/calm.wav"}},
    };
    for (const auto& b : batches) {
        fs::remove_all(dir);
        Args args{"convert", archive, "-o", dir, "--to", "wav"};
        args.insert(args.end(), b.patterns.begin(), b.patterns.end());
        const SRun run = RunCli(args);
        EXPECT_EQ(run.code, b.code) << run.err;
        EXPECT_NE(run.err.find(b.err), std::string::npos) << run.err;
        EXPECT_EQ(b.code == 0, run.err.find("bad.acm") == std::string::npos) << run.err;
        EXPECT_EQ(Files(dir), b.files);
    }
}

} // namespace

// ---------------------------------------------------------------- pictures

namespace pictures {

// Frames, and their display times, as FFmpeg's APNG demuxer reads the file.
std::vector<std::int64_t> ApngDelaysMs(const std::string& path)
{
    std::vector<std::int64_t> delays;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), av_find_input_format("apng"), nullptr) < 0)
        return delays;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        delays.push_back(av_rescale_q(packet->duration, format->streams[0]->time_base, {1, 1000}));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    return delays;
}

std::uint32_t Rgba(const Palette63& p, std::uint8_t index, bool transparent)
{
    return std::uint32_t(std::uint8_t(p[index][0] * 4)) << 24 | std::uint32_t(std::uint8_t(p[index][1] * 4)) << 16 |
           std::uint32_t(std::uint8_t(p[index][2] * 4)) << 8 | (transparent && index == 0 ? 0u : 0xFFu);
}

// Index i of a frame fixture: 0 in the first column, so that transparency shows.
std::vector<std::uint8_t> Pixels(int w, int h)
{
    std::vector<std::uint8_t> px(std::size_t(w) * h);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = std::uint8_t(i % std::size_t(w) == 0 ? 0 : 60 + i);
    return px;
}

} // namespace pictures

TEST_F(CliTest, PicturesConvertToIndexedPngAnimationsAndSheetsWithTheirPalettes)
{
    using namespace pictures;
    const Palette63 game = DemoPalette();
    Palette63 other{};
    for (int i = 0; i < 256; ++i)
        other[std::size_t(i)] = {std::uint8_t(i % 64), 63, std::uint8_t(63 - i % 64)};
    CDatWriter w;
    w.AddCompressed("art\\walk.frm", BuildFrm(4, 3, Pixels(4, 3), 3));
    w.AddCompressed("art\\knock.FR2", BuildFrm(2, 2, Pixels(2, 2), 2));
    w.AddCompressed("art\\title.rix", BuildRix(3, 2, other, Pixels(3, 2)));
    w.AddStored("color.pal", BuildPalette(game));
    w.AddStored("other.pal", BuildPalette(other));
    const std::string archive = Write(w);
    const std::string disk = m_tmp / "disk.pal";
    std::ofstream(disk, std::ios::binary) << BuildPalette(other);
    const std::string png = m_tmp / "out.png";

    // Frame k of the writer's pictures holds the first frame's indices plus k.
    const struct { Args extra; std::string entry; int w, h, frame; const Palette63* palette; bool clear; } stills[] = {
        {{}, "art/walk.frm", 4, 3, 0, &game, true},
        {{"--frame", "2", "--direction", "0"}, "art/walk.frm", 4, 3, 2, &game, true},
        {{"--opaque", "--frame", "1"}, "art/walk.frm", 4, 3, 1, &game, false},
        {{"--palette", "OTHER.PAL"}, "art/walk.frm", 4, 3, 0, &other, true},
        {{"--palette", disk, "--frame", "1"}, "art/knock.FR2", 2, 2, 1, &other, true},
        {{}, "art/title.rix", 3, 2, 0, &other, false},
        {{"--transparent"}, "art/title.rix", 3, 2, 0, &other, true},
    };
    for (const auto& c : stills) {
        SCOPED_TRACE(c.entry + " " + ::testing::PrintToString(c.extra));
        Args args{"convert", archive, c.entry, png};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        SRun run = RunCli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const SRgbaPicture got = ReadPngRgba(ReadWholeFile(png));
        EXPECT_TRUE(got.indexed);
        ASSERT_EQ(got.pixels.size(), std::size_t(c.w * c.h));
        const std::vector<std::uint8_t> px = Pixels(c.w, c.h);
        for (std::size_t i = 0; i < px.size(); ++i)
            EXPECT_EQ(got.pixels[i], Rgba(*c.palette, std::uint8_t(px[i] + c.frame), c.clear)) << i;
    }

    SRun run = RunCli({"convert", archive, "other.pal", png});
    ASSERT_EQ(run.code, 0) << run.err;
    const SRgbaPicture swatch = ReadPngRgba(ReadWholeFile(png));
    ASSERT_EQ(swatch.width * swatch.height, 256u);
    for (std::size_t i = 0; i < 256; ++i)
        EXPECT_EQ(swatch.pixels[i], Rgba(other, std::uint8_t(i), false));

    // Three frames at the writer's 10 per second.
    ASSERT_EQ(RunCli({"convert", archive, "art/walk.frm", png, "--animation"}).code, 0);
    EXPECT_EQ(ApngDelaysMs(png), (std::vector<std::int64_t>{100, 100, 100}));

    // Every frame cut out of the sheet where its JSON says is that frame.
    run = RunCli({"convert", archive, "art/walk.frm", png, "--sheet", "--opaque"});
    ASSERT_EQ(run.code, 0) << run.err;
    const SRgbaPicture sheet = ReadPngRgba(ReadWholeFile(png));
    const std::string json = ReadWholeFile(m_tmp / "out.json");
    for (int f = 0; f < 3; ++f) {
        const std::string rect = "[" + std::to_string(4 * f) + ",0,4,3]";
        EXPECT_NE(json.find("\"rect\":" + rect), std::string::npos) << json;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(sheet.pixels[std::size_t(y) * sheet.width + std::size_t(4 * f + x)],
                          Rgba(game, std::uint8_t(Pixels(4, 3)[std::size_t(y * 4 + x)] + f), false));
    }

    run = RunCli({"info", archive, "art/walk.frm", "--json"});
    EXPECT_EQ(run.out, "{\"fps\":10,\"action_frame\":0,\"frames_per_direction\":3,\"directions\":[{\"shift\":[0,0],"
                       "\"frames\":[{\"width\":4,\"height\":3,\"offset\":[0,0]},{\"width\":4,\"height\":3,\"offset\":"
                       "[0,0]},{\"width\":4,\"height\":3,\"offset\":[0,0]}]}]}\n");
}

TEST_F(CliTest, PictureFailuresExit2AndABatchGoesOnPastDamage)
{
    CDatWriter w;
    w.AddCompressed("art\\a.frm", BuildFrm(2, 2, {1, 2, 3, 4}, 3));
    w.AddCompressed("art\\k.fr4", BuildFrm(2, 2, {1, 2, 3, 4}));
    w.AddStored("art\\b.frm", "not a picture");
    w.AddStored("..\\escape.frm", BuildFrm(1, 1, {1}));
    w.AddCompressed("art\\z.rix", BuildRix(2, 1, DemoPalette(), {0, 5}));
    const std::string noPalette = Write(w, {}, "nopal.dat");
    w.AddStored("color.pal", BuildPalette(DemoPalette()));
    const std::string archive = Write(w);
    const std::string out = m_tmp / "out.png";
    const struct { Args args; std::string complaint; } failures[] = {
        {{"convert", noPalette, "art/a.frm", out}, "'art/a.frm' has no palette"},
        {{"convert", archive, "art/a.frm", out, "--frame", "3"}, "direction 0 of 'art/a.frm' has 3 frames (0 to 2)"},
        {{"convert", archive, "art/a.frm", out, "--direction", "1"}, "has 1 direction (0 to 0), not 1"},
        {{"convert", archive, "art/k.fr4", out, "--direction", "0"}, "holds direction 4 only"},
        {{"convert", archive, "art/z.rix", out, "--frame", "1"}, "'art/z.rix' has 1 frame (0 to 0)"},
        {{"convert", archive, "art/a.frm", out, "--palette", "none.pal"}, "palette 'none.pal' is neither"},
        {{"info", archive, "art/z.rix"}, "is not an FRM picture"},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(::testing::PrintToString(f.args));
        SRun run = RunCli(f.args);
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(f.complaint), std::string::npos) << run.err;
        EXPECT_FALSE(FileExists(out));
    }

    // The damaged and the escaping entries are reported; the rest are written.
    const std::string dir = m_tmp / "batch";
    SRun run = RunCli({"convert", archive, "-o", dir});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("'art\\b.frm'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("'..\\escape.frm' refused"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2 pictures could not be converted"), std::string::npos) << run.err;
    EXPECT_EQ(Files(m_tmp.Path()).count("escape.png"), 0u);
    EXPECT_EQ(Files(dir), (std::set<std::string>{"art/a.png", "art/k.fr4.png", "art/z.png"}));
    EXPECT_EQ(ReadPngRgba(ReadWholeFile(dir + "/art/z.png")).pixels.at(0) & 0xFF, 0xFFu) << "RIX stays opaque";
    run = RunCli({"convert", archive, "-o", dir, "--to", "bmp", "*.rix"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(dir + "/art/z.bmp").substr(0, 2), "BM");

    // A folder that cannot be written to stops the run with one message.
    const std::string locked = m_tmp / "locked";
    fs::create_directories(locked + "/art");
    fs::permissions(locked + "/art", fs::perms::owner_read | fs::perms::owner_exec);
    run = RunCli({"convert", archive, "-o", locked, "art/*.frm"});
    fs::permissions(locked + "/art", fs::perms::owner_all);
    if (::geteuid() != 0) {
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find("conversion stopped"), std::string::npos) << run.err;
    }
    run = RunCli({"convert", archive, "-o", archive + "/dir"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("the output folder could not be created"), std::string::npos) << run.err;
}
