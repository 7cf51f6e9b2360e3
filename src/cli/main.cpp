// dravik-cli: the archive browser's core for scripts. Parses the command line,
// runs one command and turns every failure into a message and an exit status.
#include "cli/commands.h"
#include "platform/exceptions.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: dravik-cli COMMAND ARCHIVE [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  list ARCHIVE [--json]\n"
    "      One line per entry, in directory order, fields separated by tabs:\n"
    "      path (as the archive stores it), size, packed size, offset, type.\n"
    "      With --json, one JSON array of\n"
    "      objects {\"path\", \"size\", \"packed\", \"offset\", \"type\"} instead (the\n"
    "      safe choice for names holding tabs or line breaks).\n"
    "  info ARCHIVE\n"
    "      Entry, folder and type counts, the data-size word and the palette entry.\n"
    "  info ARCHIVE ENTRY --json\n"
    "      The facts of an ACM sound (rate, channels, samples, duration_ms) or an\n"
    "      MVE movie (width, height, frames, duration_ms, audio) as one JSON object.\n"
    "  extract ARCHIVE [-o DIR] [-j N] [--keep-damaged] [--] [PATTERN...]\n"
    "      Writes the entries matching any PATTERN (every entry when none is given)\n"
    "      under DIR (default: the current folder), each at the path the archive\n"
    "      stores, folders in their own letter case. Files of the same name are\n"
    "      replaced. Entries whose names would land outside DIR or pass through a\n"
    "      symbolic link are refused. A damaged entry is reported and leaves no\n"
    "      file; with --keep-damaged its file keeps the bytes that did unpack,\n"
    "      never padded to the recorded size. With -j N, N threads unpack and\n"
    "      write (default: one per processor core).\n"
    "  convert ARCHIVE ENTRY OUT.bmp|OUT.wav\n"
    "      Writes the FRM or RIX entry ENTRY (its whole path, letter case ignored,\n"
    "      '/' or '\\' between the parts) as an 8-bit BMP, byte for byte what the\n"
    "      browser shows. An FRM takes its colours from the palette entry named\n"
    "      like it with .pal, else from color.pal. An ACM entry becomes a 16-bit\n"
    "      PCM WAV file, mono or stereo as the game plays it.\n"
    "\n"
    "Patterns are matched against the entry's whole stored path, letter case\n"
    "ignored:\n"
    "  *      any run of characters, separators included (\"*.frm\" is every FRM)\n"
    "  ?      any one character\n"
    "  [...]  one character of the set, ranges like a-z; [!...] or [^...] negates\n"
    "  '/' and '\\' are the same separator. Quote patterns to keep them from the\n"
    "  shell; put -- before a pattern that starts with '-'.\n"
    "\n"
    "Names are decoded from CP1251 to UTF-8.\n"
    "\n"
    "Exit status: 0 success; 1 bad usage; 2 the archive could not be read, an\n"
    "entry was damaged or refused, or the output could not be written.\n"
    "\n"
    "  -h, --help   show this text\n";

int UsageError(const std::string& problem)
{
    ReportError(problem);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

bool ParseJobs(const std::string& text, unsigned& jobs)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned n = unsigned(std::stoul(text));
    if (n < 1 || n > 256)
        return false;
    jobs = n;
    return true;
}

bool IsHelp(std::string_view arg)
{
    return arg == "-h" || arg == "--help";
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageError("no command given");
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (IsHelp(arg)) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
        }
    }

    const std::string& command = args[0];
    if (command != "list" && command != "info" && command != "extract" && command != "convert")
        return UsageError("unknown command '" + command + "'");

    bool json = false;
    bool keepDamaged = false;
    unsigned jobs = 0;
    bool haveOutDir = false;
    std::string outDir = ".";
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if ((command == "list" || command == "info") && arg == "--json") {
            json = true;
        } else if (command == "extract" && arg == "--keep-damaged") {
            keepDamaged = true;
        } else if (command == "extract" && (arg == "-o" || arg == "--output")) {
            if (i + 1 >= args.size())
                return UsageError("option " + arg + " needs a folder");
            outDir = args[++i];
            haveOutDir = true;
        } else if (command == "extract" && arg.rfind("--output=", 0) == 0) {
            outDir = arg.substr(9);
            haveOutDir = true;
        } else if (command == "extract" && arg.rfind("-o", 0) == 0) {
            outDir = arg.substr(2);
            haveOutDir = true;
        } else if (command == "extract" && (arg.rfind("-j", 0) == 0 || arg == "--jobs" ||
                                            arg.rfind("--jobs=", 0) == 0)) {
            std::string count;
            if (arg == "-j" || arg == "--jobs") {
                if (i + 1 >= args.size())
                    return UsageError("option " + arg + " needs a number of threads");
                count = args[++i];
            } else {
                count = arg[1] == 'j' ? arg.substr(2) : arg.substr(7);
            }
            if (!ParseJobs(count, jobs))
                return UsageError("option -j needs a number of threads from 1 to 256, not '" + count + "'");
        } else {
            return UsageError("unknown option '" + arg + "' for " + command);
        }
    }
    if (haveOutDir && outDir.empty())
        return UsageError("the output folder name is empty");
    if (operands.empty())
        return UsageError(command + ": no archive given");
    const std::string& archive = operands[0];
    if (command == "convert") {
        if (operands.size() < 3)
            return UsageError("convert: ARCHIVE, ENTRY and OUT.bmp or OUT.wav are needed");
        if (operands.size() > 3)
            return UsageError("convert: unexpected argument '" + operands[3] + "'");
        return ConvertArchiveEntry(archive, operands[1], operands[2]);
    }
    if (command == "info" && (operands.size() == 2 || json)) {
        if (operands.size() != 2 || !json)
            return UsageError("info: the facts of one ENTRY are given with --json only");
        return ShowEntryInfo(archive, operands[1]);
    }
    if (command != "extract" && operands.size() > 1)
        return UsageError(command + ": unexpected argument '" + operands[1] + "'");

    if (command == "list")
        return ListArchive(archive, json);
    if (command == "info")
        return ShowArchiveInfo(archive);
    return ExtractArchive(archive, outDir, std::vector<std::string>(operands.begin() + 1, operands.end()), jobs,
                          keepDamaged);
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0)));
    } catch (const std::exception& e) {
        ReportError(DescribeException(e));
    } catch (...) {
        ReportError("an unexpected error occurred");
    }
    return kExitFailure;
}
