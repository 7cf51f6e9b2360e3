#pragma once
// The commands of dravik-cli. Each loads its archive itself, writes results to
// stdout and complaints to stderr, and returns the process exit status.
#include <string>
#include <string_view>
#include <vector>

enum EExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,   // unknown command or option, missing or extra argument
    kExitFailure = 2, // the archive, an entry or the output folder failed
};

// patterns: the CGlob patterns of extract; none lists every entry.
int ListArchive(const std::string& archivePath, bool json, const std::vector<std::string>& patterns = {});
int ShowArchiveInfo(const std::string& archivePath);
// Every entry goes to the path its directory stores (folders of other letter
// case are other folders). patterns: CGlob patterns; none takes every entry.
// jobs: threads that read, inflate and write entries (0: one per core); names
// are checked, folders made and complaints printed in directory order
// whatever the number. A damaged entry leaves no file, or with keepDamaged
// the bytes that unpacked, never padding.
int ExtractArchive(const std::string& archivePath, const std::string& outDir, const std::vector<std::string>& patterns,
                   unsigned jobs = 0, bool keepDamaged = false);
unsigned DefaultExtractJobs();

class CDATArchive;

// The BMP of an FRM or RIX entry (its whole path, '/' or '\\' between the
// parts, letter case ignored), exactly as the browser writes it to its cache.
// An ACM entry becomes a 16-bit PCM WAV file, its channels taken as the game takes them.
int ConvertArchiveEntry(const std::string& archivePath, const std::string& entryPath, const std::string& outPath);

// One JSON object of the facts of an ACM sound or MVE movie entry.
int ShowEntryInfo(const std::string& archivePath, const std::string& entryPath);
class CDATFileDoc;
class CStoredNames;
class CSourceStack;

// Several sources (archives or folders; the first the base, each later one
// overriding earlier copies entry by entry) read as one. list: the merged
// view with the winning copy's source (as given) last; allCopies lists every
// copy, the winning one first. extract: the winning copies.
int ListStack(const std::vector<std::string>& sources, bool json, bool allCopies,
              const std::vector<std::string>& patterns = {});
int ExtractStack(const std::vector<std::string>& sources, const std::string& outDir,
                 const std::vector<std::string>& patterns, unsigned jobs = 0, bool keepDamaged = false);
// One line per difference between two sources, sorted by path: A (only in
// NEW), D (only in OLD), M (contents differ). Identical stored bytes are not
// inflated; a difference in compression alone is none. Returns 0 when nothing
// differs, 1 when something does, 2 when a source or an entry failed.
int DiffSources(const std::string& oldPath, const std::string& newPath, bool json);

// Adds sources to stack in order (files of folders that cannot be entries are
// reported as warnings) and builds the merged view, or reports why not.
bool BuildStackOrReport(CSourceStack& stack, const std::vector<std::string>& sources, CDATArchive& merged,
                        CStoredNames* names);

// Loads the archive into doc, its stored names into names (in the order of
// doc.m_files), or reports why not. An archive whose data-size word is 0
// still has its entries, and the commands serve them.
bool LoadArchiveOrReport(CDATFileDoc& doc, CStoredNames& names, const std::string& path);

// "dravik-cli: text" on stderr.
void ReportError(std::string_view text);

// Appends text (UTF-8) as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, std::string_view text);
