// dravik-cli: the archive browser's core for scripts. Parses the command line,
// runs one command and turns every failure into a message and an exit status.
#include "cli/commands.h"
#include "cli/picturecommands.h"
#include "platform/exceptions.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: dravik-cli COMMAND ARCHIVE [OPTIONS]\n"
    "       dravik-cli diff OLD NEW [--json]\n"
    "\n"
    "Commands:\n"
    "  list ARCHIVE [--json] [--] [PATTERN...]\n"
    "      One line per entry matching any PATTERN (every entry when none is\n"
    "      given), in directory order, fields separated by tabs:\n"
    "      path (as the archive stores it), size, packed size, offset, type.\n"
    "      With --json, one JSON array of\n"
    "      objects {\"path\", \"size\", \"packed\", \"offset\", \"type\"} instead (the\n"
    "      safe choice for names holding tabs or line breaks).\n"
    "  list BASE --overlay SRC [--overlay SRC...] [--all-copies] [--json]\n"
    "      The sources read as one, as the game reads them: each later source's\n"
    "      copy of an entry overrides the earlier ones (names compared with letter\n"
    "      case ignored, '/' and '\\' the same). A source is an archive or a\n"
    "      folder, whose files count as stored entries without an offset. One\n"
    "      more field: the source of the winning copy, as given. With\n"
    "      --all-copies every copy, the winning one first.\n"
    "  diff OLD NEW [--json]\n"
    "      One line per difference, sorted by path: A (only in NEW), D (only in\n"
    "      OLD) or M (the contents differ), a tab, the path. OLD and NEW are\n"
    "      archives or folders. Exit status 0: no difference; 1: differences;\n"
    "      2: trouble (a source could not be read, an entry was damaged).\n"
    "  info ARCHIVE [ENTRY [--json]]\n"
    "      Entry, folder and type counts, the data-size word and the palette entry;\n"
    "      with ENTRY, an FRM's frames per second, action frame and frames per\n"
    "      direction, and per direction its shift and each frame's size and offset;\n"
    "      of an ACM sound (rate, channels, samples, duration_ms) or an MVE movie\n"
    "      (width, height, frames, duration_ms, audio), with --json as one object.\n"
    "  extract ARCHIVE [--overlay SRC...] [-o DIR] [-j N] [--keep-damaged] [--] [PATTERN...]\n"
    "      Writes the entries matching any PATTERN (every entry when none is given)\n"
    "      under DIR (default: the current folder), each at the path the archive\n"
    "      stores, folders in their own letter case. Files of the same name are\n"
    "      replaced. Entries whose names would land outside DIR or pass through a\n"
    "      symbolic link are refused. A damaged entry is reported and leaves no\n"
    "      file; with --keep-damaged its file keeps the bytes that did unpack,\n"
    "      never padded to the recorded size. With -j N, N threads unpack and\n"
    "      write (default: one per processor core). With --overlay, the winning\n"
    "      copies of the sources read as one (see list).\n"
    "  convert ARCHIVE ENTRY OUT.bmp|OUT.png [--frame N] [--direction D]\n"
    "          [--opaque|--transparent] [--palette P] [--animation|--sheet]\n"
    "      Writes the FRM or RIX entry ENTRY (its whole path, letter case ignored,\n"
    "      '/' or '\\' between the parts) as an 8-bit BMP, or an indexed PNG when\n"
    "      OUT ends in .png: frame N (from 0) of direction D (0 to 5; a .FR0 to\n"
    "      .FR5 entry holds only its own). An FRM takes its colours from the\n"
    "      palette entry named like it with .pal, else from color.pal; --palette\n"
    "      names a PAL entry or file to use instead. In a PNG index 0 is\n"
    "      transparent for FRM, opaque for RIX, unless --opaque or --transparent\n"
    "      says otherwise. --animation writes direction D as an animated PNG,\n"
    "      --sheet every direction (or D) as one sprite sheet with OUT.json\n"
    "      beside it. A PAL entry gives a 16 x 16 swatch of its colours. An ACM\n"
    "      entry written to OUT.wav becomes 16-bit PCM, mono or stereo as the game\n"
    "      plays it.\n"
    "  convert ARCHIVE -o DIR [--to png|bmp|wav] [--opaque|--transparent]\n"
    "          [--palette P] [--] [PATTERN...]\n"
    "      Converts the first frame of every FRM, .FR0-.FR5 and RIX entry\n"
    "      matching any PATTERN (all of them when none is given) into DIR, at the\n"
    "      archive's folders, names checked as extract checks them, one thread\n"
    "      per processor core. Pictures that fail are reported and the rest\n"
    "      converted. With --to wav the ACM entries become WAV files instead.\n"
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
    "  -h, --help   show this text\n"
    "  --version    show the version\n";

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

    if (args[0] == "--version") {
        std::fputs("dravik-cli " DRAVIK_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    }
    const std::string& command = args[0];
    if (command != "list" && command != "info" && command != "extract" && command != "convert" && command != "diff")
        return UsageError("unknown command '" + command + "'");
    // diff's status 1 means "they differ": its usage errors are trouble.
    const int usageStatus = command == "diff" ? kExitFailure : kExitUsage;
    auto usageError = [&](const std::string& problem) {
        UsageError(problem);
        return usageStatus;
    };

    if (command == "convert" || command == "info") {
        SPictureArgs picture;
        std::string problem;
        if (!ParsePictureArgs(args, picture, problem))
            return UsageError(problem);
        return RunPictureCommand(picture);
    }

    bool json = false;
    bool keepDamaged = false;
    unsigned jobs = 0;
    bool haveOutDir = false;
    std::string outDir = ".";
    std::vector<std::string> operands;
    std::vector<std::string> overlays;
    bool allCopies = false;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if ((command == "list" || command == "diff") && arg == "--json") {
            json = true;
        } else if (command == "list" && arg == "--all-copies") {
            allCopies = true;
        } else if ((command == "list" || command == "extract") &&
                   (arg == "--overlay" || arg.rfind("--overlay=", 0) == 0)) {
            if (arg == "--overlay" && i + 1 >= args.size())
                return UsageError("option --overlay needs an archive or folder");
            overlays.push_back(arg == "--overlay" ? args[++i] : arg.substr(10));
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
            return usageError("unknown option '" + arg + "' for " + command);
        }
    }
    if (haveOutDir && outDir.empty())
        return UsageError("the output folder name is empty");
    if (operands.empty())
        return usageError(command + ": no archive given");
    if (command == "diff") {
        if (operands.size() != 2)
            return usageError("diff: OLD and NEW are needed, and nothing more");
        return DiffSources(operands[0], operands[1], json);
    }
    const std::string& archive = operands[0];
    if (command != "extract" && command != "list" && operands.size() > 1)
        return UsageError(command + ": unexpected argument '" + operands[1] + "'");

    std::vector<std::string> sources{archive};
    sources.insert(sources.end(), overlays.begin(), overlays.end());
    std::error_code ec;
    const bool stacked = !overlays.empty() || allCopies || std::filesystem::is_directory(archive, ec);
    const std::vector<std::string> patterns(operands.begin() + 1, operands.end());
    if (command == "list")
        return stacked ? ListStack(sources, json, allCopies, patterns) : ListArchive(archive, json, patterns);
    if (command == "info")
        return ShowArchiveInfo(archive);
    if (stacked)
        return ExtractStack(sources, outDir, patterns, jobs, keepDamaged);
    return ExtractArchive(archive, outDir, patterns, jobs, keepDamaged);
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
