#include "cli/commands.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "cli/glob.h"
#include "filetypes/filenames.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/rixfiletype.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>
#include <zlib.h>

namespace {

constexpr std::size_t kMaxComponentBytes = 255; // NAME_MAX of the usual Linux file systems

// Collects output and hands it to stdio in large pieces: a listing of a big
// archive is written in a handful of fwrite calls, never flushed per line.
class COutputBuffer
{
public:
    COutputBuffer() { m_text.reserve(kChunk + 4096); }
    std::string& Text() { return m_text; }
    void MaybeWrite()
    {
        if (m_text.size() >= kChunk)
            Write();
    }
    // False when stdout refused the bytes (a full disk, a closed pipe).
    bool Finish()
    {
        Write();
        return !m_bFailed && std::fflush(stdout) == 0 && !std::ferror(stdout);
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    void Write()
    {
        if (!m_text.empty() && std::fwrite(m_text.data(), 1, m_text.size(), stdout) != m_text.size())
            m_bFailed = true;
        m_text.clear();
    }
    std::string m_text;
    bool m_bFailed = false;
};

void AppendNumber(std::string& out, std::uint64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

int ReportOutputFailure()
{
    ReportError(std::string("standard output: ") + std::strerror(errno ? errno : EIO));
    return kExitFailure;
}

// Decoded names of the model: full paths rebuilt from the folder chains (the
// loader keeps only each item's own name), folder components, type texts.
class CEntryNames
{
public:
    explicit CEntryNames(const CDATFileDoc& doc) : m_folderPaths(doc.m_folders.size())
    {
        // The folder set orders by depth first, so a parent's path is ready
        // before its children ask for it.
        for (const CDATFolder& folder : doc.m_folders) {
            if (folder.m_nIndex >= m_folderPaths.size())
                continue;
            std::string path;
            if (folder.m_pParent != &g_rootFolder) {
                path = FolderPath(folder.m_pParent);
                path += '\\';
            }
            path += DecodeToUtf8(folder.m_strName);
            m_folderPaths[folder.m_nIndex] = std::move(path);
        }
    }

    std::string FullPath(const CDATInternalFile& file) const
    {
        std::string path;
        if (file.m_pParent != &g_rootFolder) {
            path = FolderPath(file.m_pParent);
            path += '\\';
        }
        path += DecodeToUtf8(file.m_strName);
        return path;
    }

    // Folders from the top, then the entry's own name.
    static void Components(const CDATInternalFile& file, std::vector<std::string>& out)
    {
        out.clear();
        out.push_back(DecodeToUtf8(file.m_strName));
        // The depth byte bounds a sane chain; the limit only guards a broken one.
        const CDATFolder* folder = file.m_pParent;
        for (int guard = 0; folder && folder != &g_rootFolder && guard < 256; ++guard) {
            out.push_back(DecodeToUtf8(folder->m_strName));
            folder = folder->m_pParent;
        }
        std::reverse(out.begin(), out.end());
    }

    const std::string& TypeText(const CDATInternalFile& file)
    {
        auto it = m_types.find(file.m_pType);
        if (it == m_types.end())
            it = m_types.emplace(file.m_pType, file.m_pType ? DecodeToUtf8(file.m_pType->m_strDescription) : "")
                     .first;
        return it->second;
    }

private:
    std::string FolderPath(const CDATFolder* folder) const
    {
        if (folder->m_nIndex < m_folderPaths.size())
            return m_folderPaths[folder->m_nIndex];
        // Not indexed (never by the loader): walk the chain instead.
        std::string path = DecodeToUtf8(folder->m_strName);
        for (int guard = 0; folder->m_pParent && folder->m_pParent != &g_rootFolder && guard < 256; ++guard) {
            folder = folder->m_pParent;
            path = DecodeToUtf8(folder->m_strName) + '\\' + path;
        }
        return path;
    }

    std::vector<std::string> m_folderPaths;
    std::unordered_map<const CDATFileType*, std::string> m_types;
};

// Loads the archive, or reports why not. An archive whose data-size word is 0
// still has its entries, and the commands serve them.
bool LoadArchiveOrReport(CDATFileDoc& doc, const std::string& path)
{
    try {
        doc.LoadArchive(path);
        return true;
    } catch (const std::exception& e) {
        std::string text = DescribeException(e);
        if (text.compare(0, path.size(), path) != 0 || path.empty())
            text = path + ": " + text;
        ReportError(text);
        return false;
    }
}

// What became of one entry.
enum class EOutcome { kDone, kEntryFailed, kStop };

class CExtractor
{
public:
    CExtractor(CFile& archive, std::string outDir) : m_archive(archive), m_strBase(std::move(outDir))
    {
        if (m_strBase.back() != '/')
            m_strBase += '/';
        struct stat st;
        if (::fstat(archive.GetHandle(), &st) == 0) {
            m_archiveDev = st.st_dev;
            m_archiveIno = st.st_ino;
        }
    }

    EOutcome Extract(const CDATInternalFile& entry, const std::string& displayPath)
    {
        try {
            return ExtractChecked(entry, displayPath);
        } catch (const CFileException& e) {
            if (e.m_strFileName == m_archive.GetFilePath()) {
                ReportError("entry " + Quoted(displayPath) + ": " + DescribeException(e));
                return EOutcome::kEntryFailed;
            }
            // The output side failed: later entries would most likely fail too.
            ReportError(DescribeException(e) + " (while extracting " + Quoted(displayPath) + "; extraction stopped)");
            return EOutcome::kStop;
        } catch (const std::exception& e) {
            ReportError(m_archive.GetFilePath() + ": entry " + Quoted(displayPath) + ": " + DescribeException(e));
            return EOutcome::kEntryFailed;
        }
    }

private:
    static std::string Quoted(const std::string& s) { return "'" + s + "'"; }

    EOutcome Refuse(const std::string& displayPath, const std::string& why)
    {
        ReportError(m_archive.GetFilePath() + ": entry " + Quoted(displayPath) + " refused: " + why);
        return EOutcome::kEntryFailed;
    }

    // Why a component cannot stand as one file name inside the output folder,
    // or nothing when it can.
    static const char* ComponentProblem(const std::string& c)
    {
        if (c.empty())
            return "it has an empty name component";
        if (c == "." || c == "..")
            return c.size() == 1 ? "it has a \".\" component" : "it has a \"..\" component";
        if (c.find('/') != std::string::npos)
            return "a name component holds '/'";
        if (c.find('\0') != std::string::npos)
            return "a name component holds a zero byte";
        if (c.size() > kMaxComponentBytes)
            return "a name component is longer than 255 bytes";
        return nullptr;
    }

    EOutcome ExtractChecked(const CDATInternalFile& entry, const std::string& displayPath)
    {
        CEntryNames::Components(entry, m_components);
        std::size_t total = m_strBase.size();
        for (const std::string& c : m_components) {
            if (const char* problem = ComponentProblem(c))
                return Refuse(displayPath, problem);
            total += c.size() + 1;
        }
        if (total >= PATH_MAX)
            return Refuse(displayPath, "the path would be too long");

        // Every folder on the way must be a real folder: a symbolic link, even
        // one that was there before, could lead out of the output folder.
        std::string rel;
        for (std::size_t k = 0; k + 1 < m_components.size(); ++k) {
            rel += m_components[k];
            if (!m_verified.count(rel)) {
                const std::string full = m_strBase + rel;
                struct stat st;
                if (::lstat(full.c_str(), &st) != 0) {
                    if (errno != ENOENT)
                        CFileException::ThrowErrno(errno, full);
                    if (::mkdir(full.c_str(), 0777) != 0 && errno != EEXIST)
                        CFileException::ThrowErrno(errno, full, "the folder could not be created");
                    if (::lstat(full.c_str(), &st) != 0)
                        CFileException::ThrowErrno(errno, full);
                }
                if (S_ISLNK(st.st_mode))
                    return Refuse(displayPath, "folder " + Quoted(full) + " is a symbolic link");
                if (!S_ISDIR(st.st_mode))
                    return Refuse(displayPath, Quoted(full) + " exists and is not a folder");
                m_verified.insert(rel);
            }
            rel += '/';
        }
        rel += m_components.back();
        const std::string target = m_strBase + rel;

        // The file itself is replaced by a rename, so a link there is replaced,
        // not followed; a folder or the archive being read is not replaced.
        struct stat st;
        if (::lstat(target.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                return Refuse(displayPath, "a folder " + Quoted(target) + " is in the way");
            if (m_archiveIno != 0 && st.st_dev == m_archiveDev && st.st_ino == m_archiveIno)
                return Refuse(displayPath, Quoted(target) + " is the archive being read");
        }

        // A damaged entry is written padded, unless its sizes are impossible;
        // the report says which (a new file always has a new inode).
        const bool existed = ::lstat(target.c_str(), &st) == 0;
        const ino_t oldInode = existed ? st.st_ino : 0;
        int status;
        bool good;
        if (entry.m_nRealSize > kMaxInMemoryEntry) {
            // The mapped path keeps a packed copy at target + ".tmp" and removes
            // it afterwards; a user's file of that name must not be the one.
            const std::string scratch = target + ".tmp";
            if (::lstat(scratch.c_str(), &st) == 0)
                return Refuse(displayPath, "its scratch file " + Quoted(scratch) + " already exists");
            status = ExtractEntryMapped(m_archive, entry, target);
            good = status == 1;
        } else {
            status = ExtractEntry(m_archive, entry, target);
            good = status == 0;
        }
        if (!good) {
            const bool written = ::lstat(target.c_str(), &st) == 0 && (!existed || st.st_ino != oldInode);
            ReportError(m_archive.GetFilePath() + ": entry " + Quoted(displayPath) + " is damaged (" +
                        zError(status) + ", zlib status " + std::to_string(status) + "); " +
                        (written ? Quoted(target) + " holds zeros after the damaged part"
                                 : "nothing was written to " + Quoted(target)));
            return EOutcome::kEntryFailed;
        }
        return EOutcome::kDone;
    }

    CFile& m_archive;
    std::string m_strBase;
    dev_t m_archiveDev = 0;
    ino_t m_archiveIno = 0;
    std::vector<std::string> m_components;
    std::unordered_set<std::string> m_verified; // folders (relative) known to be real folders
};

} // namespace

void ReportError(std::string_view text)
{
    std::string line = "dravik-cli: ";
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void AppendJsonString(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
}

int ListArchive(const std::string& archivePath, bool json)
{
    CDATFileDoc doc(false);
    if (!LoadArchiveOrReport(doc, archivePath))
        return kExitFailure;
    CEntryNames names(doc);
    COutputBuffer output;
    std::string& out = output.Text();
    if (json)
        out += '[';
    bool first = true;
    for (const CDATInternalFile& f : doc.m_files) {
        const std::string path = names.FullPath(f);
        const std::string& type = names.TypeText(f);
        if (json) {
            out += first ? "\n  {\"path\": " : ",\n  {\"path\": ";
            AppendJsonString(out, path);
            out += ", \"size\": ";
            AppendNumber(out, f.m_nRealSize);
            out += ", \"packed\": ";
            AppendNumber(out, f.m_nPackedSize);
            out += ", \"offset\": ";
            AppendNumber(out, f.m_nOffset);
            out += ", \"type\": ";
            AppendJsonString(out, type);
            out += '}';
        } else {
            out += path;
            out += '\t';
            AppendNumber(out, f.m_nRealSize);
            out += '\t';
            AppendNumber(out, f.m_nPackedSize);
            out += '\t';
            AppendNumber(out, f.m_nOffset);
            out += '\t';
            out += type;
            out += '\n';
        }
        first = false;
        output.MaybeWrite();
    }
    if (json)
        out += first ? "]\n" : "\n]\n";
    return output.Finish() ? kExitOk : ReportOutputFailure();
}

int ShowArchiveInfo(const std::string& archivePath)
{
    CDATFileDoc doc(false);
    if (!LoadArchiveOrReport(doc, archivePath))
        return kExitFailure;
    COutputBuffer output;
    std::string& out = output.Text();
    out += "entries: ";
    AppendNumber(out, doc.m_files.size());
    out += "\nfolders: ";
    AppendNumber(out, doc.m_folders.size());
    out += "\ntypes: ";
    AppendNumber(out, doc.m_types.size());
    out += "\ndata size: ";
    AppendNumber(out, doc.m_dwDataSize);
    out += "\npalette: ";
    out += doc.m_pPaletteEntry ? CEntryNames(doc).FullPath(*doc.m_pPaletteEntry) : std::string("none");
    out += '\n';
    return output.Finish() ? kExitOk : ReportOutputFailure();
}

int ExtractArchive(const std::string& archivePath, const std::string& outDir, const std::vector<std::string>& patterns)
{
    CDATFileDoc doc(false);
    if (!LoadArchiveOrReport(doc, archivePath))
        return kExitFailure;

    CFile archive;
    try {
        archive.Open(archivePath, CFile::modeRead);
    } catch (const std::exception& e) {
        ReportError(DescribeException(e));
        return kExitFailure;
    }

    // The output folder is the user's choice, links and all; only what lies
    // inside it is checked.
    const std::string dir = outDir.empty() ? std::string(".") : outDir;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        ReportError(dir + ": the output folder could not be created" + (ec ? " (" + ec.message() + ")" : ""));
        return kExitFailure;
    }

    std::vector<CGlob> globs(patterns.begin(), patterns.end());
    std::vector<bool> matched(globs.size(), false);
    CEntryNames names(doc);
    CExtractor extractor(archive, dir);
    std::size_t failed = 0;
    for (const CDATInternalFile& f : doc.m_files) {
        const std::string path = names.FullPath(f);
        if (!globs.empty()) {
            bool any = false;
            for (std::size_t i = 0; i < globs.size(); ++i) {
                if (globs[i].Matches(path)) {
                    matched[i] = true;
                    any = true;
                }
            }
            if (!any)
                continue;
        }
        switch (extractor.Extract(f, path)) {
        case EOutcome::kDone: break;
        case EOutcome::kEntryFailed: ++failed; break;
        case EOutcome::kStop: return kExitFailure;
        }
    }
    for (std::size_t i = 0; i < globs.size(); ++i)
        if (!matched[i])
            ReportError("warning: no entry matches '" + globs[i].Text() + "'");
    if (failed != 0) {
        ReportError(archivePath + ": " + std::to_string(failed) + (failed == 1 ? " entry" : " entries") +
                    " could not be extracted intact");
        return kExitFailure;
    }
    return kExitOk;
}

int ConvertArchiveEntry(const std::string& archivePath, const std::string& entryPath, const std::string& outPath)
{
    CDATFileDoc doc(false);
    if (!LoadArchiveOrReport(doc, archivePath))
        return kExitFailure;
    doc.SetPathName(archivePath); // the converters read the entries from it
    std::string wanted = entryPath;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    CEntryNames names(doc);
    const CDATInternalFile* entry = nullptr;
    for (const CDATInternalFile& f : doc.m_files) {
        if (EqualNames(names.FullPath(f), wanted)) {
            entry = &f;
            break;
        }
    }
    const std::string quoted = "'" + entryPath + "'";
    struct stat archiveStat, outStat;
    if (::stat(archivePath.c_str(), &archiveStat) == 0 && ::stat(outPath.c_str(), &outStat) == 0 &&
        archiveStat.st_dev == outStat.st_dev && archiveStat.st_ino == outStat.st_ino) {
        ReportError(outPath + " is the archive being read; it is not replaced");
        return kExitFailure;
    }
    if (!entry) {
        ReportError(archivePath + ": no entry " + quoted);
        return kExitFailure;
    }
    try {
        std::string bmp;
        if (dynamic_cast<const CDAT_FRM_FileType*>(entry->m_pType)) {
            const CDATInternalFile* palette = FindPaletteFor(*entry);
            if (!palette) {
                ReportError(archivePath + ": entry " + quoted + " has no palette (neither " +
                            DecodeToUtf8(ReplaceExtension(entry->m_strName, ".pal")) +
                            " nor color.pal is in the archive)");
                return kExitFailure;
            }
            bmp = FrmEntryToBmp(*entry, *palette);
        } else if (dynamic_cast<const CDAT_RIX_FileType*>(entry->m_pType)) {
            bmp = RixEntryToBmp(*entry);
        } else {
            ReportError(archivePath + ": entry " + quoted + " is not an FRM or RIX picture");
            return kExitFailure;
        }
        WriteFileAtomically(outPath, bmp.data(), bmp.size());
    } catch (const std::exception& e) {
        ReportError("entry " + quoted + ": " + DescribeException(e));
        return kExitFailure;
    }
    return kExitOk;
}
