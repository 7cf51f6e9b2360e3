#include "cli/commands.h"

#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/extract.h"
#include "cli/glob.h"
#include "archive/filenames.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/rixfiletype.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>
#include <thread>
#include <mutex>
#include <deque>
#include <condition_variable>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
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
    COutputBuffer() : m_pBuffer(new char[kChunk + kSlack]), m_nCapacity(kChunk + kSlack) {}
    // Room for n more bytes: write them at the pointer returned, then Commit
    // the end. Lines are copied straight in, with no string of their own.
    char* Room(std::size_t n)
    {
        if (m_nUsed + n > m_nCapacity) {
            Write();
            if (n > m_nCapacity) {
                m_pBuffer.reset(new char[n]);
                m_nCapacity = n;
            }
        }
        return m_pBuffer.get() + m_nUsed;
    }
    void Commit(const char* end) { m_nUsed = std::size_t(end - m_pBuffer.get()); }
    void Append(std::string_view text)
    {
        char* p = Room(text.size());
        std::memcpy(p, text.data(), text.size());
        Commit(p + text.size());
    }
    void MaybeWrite()
    {
        if (m_nUsed >= kChunk)
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
    static constexpr std::size_t kSlack = 64 << 10;
    void Write()
    {
        if (m_nUsed != 0 && std::fwrite(m_pBuffer.get(), 1, m_nUsed, stdout) != m_nUsed)
            m_bFailed = true;
        m_nUsed = 0;
    }
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nCapacity;
    std::size_t m_nUsed = 0;
    bool m_bFailed = false;
};

void AppendNumber(std::string& out, std::uint64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

// Names are mostly ASCII, which decodes to itself.
bool IsAscii(std::string_view raw)
{
    std::size_t i = 0;
    for (; i + 8 <= raw.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, raw.data() + i, 8);
        if (v & 0x8080808080808080ull)
            return false;
    }
    for (; i < raw.size(); ++i)
        if (static_cast<unsigned char>(raw[i]) >= 0x80)
            return false;
    return true;
}

char* Put(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

int ReportOutputFailure()
{
    ReportError(std::string("standard output: ") + std::strerror(errno ? errno : EIO));
    return kExitFailure;
}

// Type texts of the model, decoded once per type.
class CTypeTexts
{
public:
    const std::string& Of(const CDATInternalFile& file)
    {
        // Entries of one type usually stand together.
        if (m_pLastType == file.m_pType && m_pLastTypeText)
            return *m_pLastTypeText;
        auto it = m_types.find(file.m_pType);
        if (it == m_types.end())
            it = m_types.emplace(file.m_pType, file.m_pType ? DecodeToUtf8(file.m_pType->m_strDescription) : "")
                     .first;
        m_pLastType = file.m_pType;
        m_pLastTypeText = &it->second;
        return it->second;
    }

private:
    std::unordered_map<const CDATFileType*, std::string> m_types;
    const CDATFileType* m_pLastType = nullptr;
    const std::string* m_pLastTypeText = nullptr;
};

// Loads the archive, or reports why not. An archive whose data-size word is 0
// still has its entries, and the commands serve them.
// The command line names entries as the directory stores them, not by the
// merged folders of the model: names holds them, in the order of doc.m_files.
bool LoadArchiveOrReport(CDATFileDoc& doc, CStoredNames& names, const std::string& path)
{
    try {
        doc.KeepStoredNames(&names);
        doc.LoadArchive(path);
        doc.KeepStoredNames(nullptr);
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

// One entry on its way out: checked and its folders made on the main thread,
// in directory order; read, inflated and written by whichever thread is free.
// Its complaints are kept and printed in directory order.
struct SExtractJob
{
    const CDATInternalFile* m_pEntry = nullptr;
    std::string m_strDisplayPath; // the stored name, decoded
    std::string_view m_folders;   // its folders with their last '\\' ("" at the top)
    std::string_view m_name;      // its own name
    std::string m_strTarget;
    bool m_bExisted = false; // a file was at the target before
    ino_t m_oldInode = 0;
    bool m_bReady = false;   // checked: only the writing is left
    EOutcome m_outcome = EOutcome::kDone;
    std::string m_strReport; // "dravik-cli: ..." lines
};

void ReportTo(std::string& sink, std::string_view text)
{
    sink += "dravik-cli: ";
    sink += text;
    sink += '\n';
}

class CExtractor
{
public:
    CExtractor(CFile& archive, std::string outDir, bool keepDamaged)
        : m_archive(archive), m_strBase(std::move(outDir)), m_bKeepDamaged(keepDamaged)
    {
        if (m_strBase.back() != '/')
            m_strBase += '/';
        struct stat st;
        if (::fstat(archive.GetHandle(), &st) == 0) {
            m_archiveDev = st.st_dev;
            m_archiveIno = st.st_ino;
        }
    }

    // The entry's target and folders, name checks first. On return the job is
    // either decided (refused, failed) or ready to be written.
    void Prepare(SExtractJob& job)
    {
        Guarded(job, [&] { PrepareChecked(job); });
    }

    // Reads, inflates and writes a ready job through archive (the caller's
    // own handle of the same file).
    void Write(SExtractJob& job, CFile& archive)
    {
        Guarded(job, [&] { WriteChecked(job, archive); });
    }

    // Whether a folder or the file of a job about to be prepared is among
    // targets (relative paths, ASCII letters folded); its own target's key
    // goes to key.
    bool Clashes(const SExtractJob& job, const std::unordered_set<std::string>& targets, std::string& key)
    {
        LoadFolders(job.m_folders);
        bool clash = false;
        for (const std::string& folder : m_folderKeys)
            clash = clash || targets.count(folder) != 0;
        key = m_strFolderKeyPrefix;
        for (char c : job.m_name)
            key += char(FoldAscii(static_cast<unsigned char>(c)));
        return clash || targets.count(key) != 0;
    }

private:
    static std::string Quoted(const std::string& s) { return "'" + s + "'"; }

    template <class F>
    void Guarded(SExtractJob& job, F&& body)
    {
        try {
            body();
        } catch (const CFileException& e) {
            if (e.m_strFileName == m_archive.GetFilePath()) {
                ReportTo(job.m_strReport, "entry " + Quoted(job.m_strDisplayPath) + ": " + DescribeException(e));
                Decide(job, EOutcome::kEntryFailed);
                return;
            }
            // The output side failed: later entries would most likely fail too.
            ReportTo(job.m_strReport, DescribeException(e) + " (while extracting " + Quoted(job.m_strDisplayPath) +
                                          "; extraction stopped)");
            Decide(job, EOutcome::kStop);
        } catch (const std::exception& e) {
            ReportTo(job.m_strReport, m_archive.GetFilePath() + ": entry " + Quoted(job.m_strDisplayPath) + ": " +
                                          DescribeException(e));
            Decide(job, EOutcome::kEntryFailed);
        }
    }

    static void Decide(SExtractJob& job, EOutcome outcome)
    {
        job.m_outcome = outcome;
        job.m_bReady = false;
    }

    void Refuse(SExtractJob& job, const std::string& why)
    {
        ReportTo(job.m_strReport,
                 m_archive.GetFilePath() + ": entry " + Quoted(job.m_strDisplayPath) + " refused: " + why);
        Decide(job, EOutcome::kEntryFailed);
    }

    // Why a component cannot stand as one file name inside the output folder,
    // or nothing when it can.
    static const char* ComponentProblem(std::string_view c)
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

    void PrepareChecked(SExtractJob& job)
    {
        // Entries of one folder stand together: its names are split, checked
        // and its folders verified once, for the first of them.
        LoadFolders(job.m_folders);
        const bool checked = m_bChecked;
        std::size_t total = m_strBase.size();
        for (const std::string& c : m_folders) {
            if (const char* problem = checked ? nullptr : ComponentProblem(c))
                return Refuse(job, problem);
            total += c.size() + 1;
        }
        if (const char* problem = ComponentProblem(job.m_name))
            return Refuse(job, problem);
        total += job.m_name.size() + 1;
        if (total >= PATH_MAX)
            return Refuse(job, "the path would be too long");

        // Every folder on the way must be a real folder: a symbolic link, even
        // one that was there before, could lead out of the output folder.
        std::string rel;
        for (std::size_t k = 0; k < m_folders.size(); ++k) {
            if (checked) {
                rel = m_strCheckedRel;
                break;
            }
            rel += m_folders[k];
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
                    return Refuse(job, "folder " + Quoted(full) + " is a symbolic link");
                if (!S_ISDIR(st.st_mode))
                    return Refuse(job, Quoted(full) + " exists and is not a folder");
                m_verified.insert(rel);
            }
            rel += '/';
        }
        m_bChecked = true;
        m_strCheckedRel = rel;
        rel += job.m_name;
        job.m_strTarget = m_strBase + rel;

        // The file itself is replaced by a rename, so a link there is replaced,
        // not followed; a folder or the archive being read is not replaced.
        struct stat st;
        job.m_bExisted = ::lstat(job.m_strTarget.c_str(), &st) == 0;
        if (job.m_bExisted) {
            if (S_ISDIR(st.st_mode))
                return Refuse(job, "a folder " + Quoted(job.m_strTarget) + " is in the way");
            if (m_archiveIno != 0 && st.st_dev == m_archiveDev && st.st_ino == m_archiveIno)
                return Refuse(job, Quoted(job.m_strTarget) + " is the archive being read");
            job.m_oldInode = st.st_ino;
        }
        job.m_bReady = true;
    }

    void WriteChecked(SExtractJob& job, CFile& archive)
    {
        // Written as it inflates, so nothing but the bytes that came out of the
        // archive reaches the disk; a damaged entry's are kept only on request.
        const CDATInternalFile& entry = *job.m_pEntry;
        const std::string& target = job.m_strTarget;
        job.m_bReady = false;
        CAtomicFile out(target);
        std::uint64_t written = 0;
        int status;
        try {
            status = StreamEntryData(archive, entry, [&](const unsigned char* data, std::size_t size) {
                out.File().Write(data, size);
                written += size;
            });
        } catch (const CFileException& e) {
            if (e.m_strFileName != out.TempPath())
                throw;
            throw CFileException(e.m_cause, e.m_lOsError, target, e.m_strDetail); // the sibling is gone
        }
        if (status == Z_OK) {
            out.Commit();
            job.m_outcome = EOutcome::kDone;
            return;
        }
        if (m_bKeepDamaged)
            out.Commit();
        ReportTo(job.m_strReport, m_archive.GetFilePath() + ": entry " + Quoted(job.m_strDisplayPath) +
                                      " is damaged (" + zError(status) + ", zlib status " + std::to_string(status) +
                                      "); " +
                                      (m_bKeepDamaged ? Quoted(target) + " keeps the " + std::to_string(written) +
                                                            " of " + std::to_string(entry.m_nRealSize) +
                                                            " bytes that unpacked"
                                                      : "nothing was written to " + Quoted(target)));
        job.m_outcome = EOutcome::kEntryFailed;
    }

    CFile& m_archive;
    std::string m_strBase;
    bool m_bKeepDamaged;
    dev_t m_archiveDev = 0;
    ino_t m_archiveIno = 0;
    // Splits the folders of an entry ("a\\b\\", decoded), unless the previous
    // entry had the same ones.
    void LoadFolders(std::string_view folders)
    {
        if (m_bFoldersLoaded && folders == m_strFoldersOf)
            return;
        m_bFoldersLoaded = true;
        m_strFoldersOf.assign(folders);
        m_bChecked = false;
        m_folders.clear();
        if (!folders.empty()) {
            folders.remove_suffix(1);
            for (std::size_t from = 0;;) {
                const std::size_t sep = folders.find('\\', from);
                m_folders.emplace_back(folders.substr(from, sep == std::string_view::npos ? sep : sep - from));
                if (sep == std::string_view::npos)
                    break;
                from = sep + 1;
            }
        }
        m_folderKeys.clear();
        m_strFolderKeyPrefix.clear();
        for (const std::string& c : m_folders) {
            for (char ch : c)
                m_strFolderKeyPrefix += char(FoldAscii(static_cast<unsigned char>(ch)));
            m_folderKeys.push_back(m_strFolderKeyPrefix);
            m_strFolderKeyPrefix += '/';
        }
    }

    std::unordered_set<std::string> m_verified; // folders (relative) known to be real folders
    bool m_bFoldersLoaded = false;
    std::string m_strFoldersOf;                 // whose folders the next members hold
    std::vector<std::string> m_folders;         // decoded, from the top
    std::vector<std::string> m_folderKeys;      // "a", "a/b": folded, for Clashes
    std::string m_strFolderKeyPrefix;           // "a/b/"
    bool m_bChecked = false;                    // those folders passed the checks and exist
    std::string m_strCheckedRel;                // their relative path, "a/b/"
};

// Writes prepared jobs on worker threads, each with its own handle of the
// archive; the main thread keeps checking names and making folders, in order.
class CWritePool
{
public:
    // Raises when the archive cannot be opened again.
    CWritePool(CExtractor& extractor, const std::string& archivePath, unsigned threads) : m_extractor(extractor)
    {
        for (unsigned i = 0; i < threads; ++i)
            m_archives.push_back(std::make_unique<CFile>(archivePath, CFile::modeRead));
        for (unsigned i = 0; i < threads; ++i)
            m_threads.emplace_back([this, i] { Run(*m_archives[i]); });
    }
    ~CWritePool()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bQuit = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    CWritePool(const CWritePool&) = delete;
    CWritePool& operator=(const CWritePool&) = delete;

    void Submit(SExtractJob* job)
    {
        bool wake;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(job);
            wake = m_nIdle != 0;
        }
        // Busy workers find the job when they come back; waking one that is
        // not asleep only costs a switch per entry.
        if (wake)
            m_wake.notify_one();
    }
    // Blocks until job is finished; Wait also forgets it.
    void Await(const SExtractJob* job)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_pAwaited = job;
        m_done.wait(lock, [&] { return m_finished.count(job) != 0; });
        m_pAwaited = nullptr;
    }
    void Wait(const SExtractJob* job)
    {
        Await(job);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.erase(job);
    }
    bool IsFinished(const SExtractJob* job)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_finished.count(job) != 0;
    }
    // Jobs not yet started are dropped (left undone) once this is set.
    void Stop() { m_bStop = true; }

private:
    void Run(CFile& archive)
    {
        for (;;) {
            SExtractJob* job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                ++m_nIdle;
                m_wake.wait(lock, [&] { return m_bQuit || !m_queue.empty(); });
                --m_nIdle;
                if (m_queue.empty())
                    return;
                job = m_queue.front();
                m_queue.pop_front();
            }
            if (!m_bStop)
                m_extractor.Write(*job, archive);
            bool awaited;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_finished.insert(job);
                awaited = m_pAwaited == job;
            }
            if (awaited)
                m_done.notify_all();
        }
    }

    CExtractor& m_extractor;
    std::vector<std::unique_ptr<CFile>> m_archives;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<SExtractJob*> m_queue;
    std::unordered_set<const SExtractJob*> m_finished;
    const SExtractJob* m_pAwaited = nullptr; // the job the main thread waits for
    unsigned m_nIdle = 0;                    // workers waiting for a job
    bool m_bQuit = false;
    std::atomic<bool> m_bStop{false};
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
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    CTypeTexts types;
    COutputBuffer output;
    if (json)
        output.Append("[");
    std::string piece, decoded;
    for (std::size_t i = 0; i < doc.m_files.size(); ++i) {
        const CDATInternalFile& f = doc.m_files[i];
        const std::string& type = types.Of(f);
        std::string_view path = names[i];
        if (!IsAscii(path)) {
            decoded = DecodeToUtf8(path);
            path = decoded;
        }
        if (json) {
            piece.assign(i == 0 ? "\n  {\"path\": " : ",\n  {\"path\": ");
            AppendJsonString(piece, path);
            piece += ", \"size\": ";
            AppendNumber(piece, f.m_nRealSize);
            piece += ", \"packed\": ";
            AppendNumber(piece, f.m_nPackedSize);
            piece += ", \"offset\": ";
            AppendNumber(piece, f.m_nOffset);
            piece += ", \"type\": ";
            AppendJsonString(piece, type);
            piece += '}';
            output.Append(piece);
        } else {
            // path TAB size TAB packed TAB offset TAB type, written in place.
            char* p = output.Room(path.size() + 4 * 11 + type.size() + 1);
            p = Put(p, path);
            for (std::uint32_t v : {f.m_nRealSize, f.m_nPackedSize, f.m_nOffset}) {
                *p++ = '\t';
                p = std::to_chars(p, p + 10, v).ptr;
            }
            *p++ = '\t';
            p = Put(p, type);
            *p++ = '\n';
            output.Commit(p);
        }
        output.MaybeWrite();
    }
    if (json)
        output.Append(doc.m_files.empty() ? "]\n" : "\n]\n");
    return output.Finish() ? kExitOk : ReportOutputFailure();
}

int ShowArchiveInfo(const std::string& archivePath)
{
    CDATFileDoc doc(false);
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    std::string out;
    out += "entries: ";
    AppendNumber(out, doc.m_files.size());
    out += "\nfolders: ";
    AppendNumber(out, doc.m_folders.size());
    out += "\ntypes: ";
    AppendNumber(out, doc.m_types.size());
    out += "\ndata size: ";
    AppendNumber(out, doc.m_dwDataSize);
    out += "\npalette: ";
    out += doc.m_pPaletteEntry ? DecodeToUtf8(names[std::size_t(doc.m_pPaletteEntry - doc.m_files.data())])
                               : std::string("none");
    out += '\n';
    COutputBuffer output;
    output.Append(out);
    return output.Finish() ? kExitOk : ReportOutputFailure();
}

constexpr std::size_t kJobsAheadPerThread = 32;

unsigned DefaultExtractJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores ? cores : 1;
}

int ExtractArchive(const std::string& archivePath, const std::string& outDir, const std::vector<std::string>& patterns,
                   unsigned jobs, bool keepDamaged)
{
    CDATFileDoc doc(false);
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
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
    CExtractor extractor(archive, dir, keepDamaged);
    if (jobs == 0)
        jobs = DefaultExtractJobs();
    std::size_t failed = 0;

    // Jobs in directory order, their reports printed in that order whatever
    // thread finished them first. Declared before the pool, so they outlive
    // its threads.
    struct SQueued
    {
        std::unique_ptr<SExtractJob> m_pJob;
        bool m_bSubmitted = false;
        std::string m_strKey; // its target among those being written
    };
    std::deque<SQueued> queued;
    std::unordered_set<std::string> beingWritten; // targets, ASCII letters folded
    std::unique_ptr<CWritePool> pool;
    bool stop = false;

    // Prints finished jobs from the front, waiting for them until at most keep
    // remain. After a job that stops the run, the rest are dropped unprinted:
    // a sequential run would not have tried them.
    auto drain = [&](std::size_t keep) {
        // One sleep for the last job to go rather than one per job: jobs
        // finish about in order, so those before it are mostly done by then.
        if (queued.size() > keep + 1 && queued[queued.size() - keep - 1].m_bSubmitted && !stop)
            pool->Await(queued[queued.size() - keep - 1].m_pJob.get());
        while (!queued.empty()) {
            SQueued& q = queued.front();
            if (q.m_bSubmitted) {
                if (queued.size() <= keep && !pool->IsFinished(q.m_pJob.get()))
                    return;
                pool->Wait(q.m_pJob.get());
                beingWritten.erase(q.m_strKey);
            }
            const SExtractJob& job = *q.m_pJob;
            if (!stop) {
                std::fwrite(job.m_strReport.data(), 1, job.m_strReport.size(), stderr);
                if (job.m_outcome == EOutcome::kEntryFailed)
                    ++failed;
                if (job.m_outcome == EOutcome::kStop) {
                    stop = true;
                    if (pool)
                        pool->Stop();
                    keep = 0;
                }
            }
            queued.pop_front();
        }
    };
    for (std::size_t n = 0; n < doc.m_files.size(); ++n) {
        const CDATInternalFile& f = doc.m_files[n];
        std::string path = DecodeToUtf8(names[n]);
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
        SQueued q;
        q.m_pJob = std::make_unique<SExtractJob>();
        SExtractJob& job = *q.m_pJob;
        job.m_pEntry = &f;
        job.m_strDisplayPath = std::move(path);
        const std::string_view stored = job.m_strDisplayPath;
        const std::size_t split = stored.rfind('\\') + 1; // 0 without folders
        job.m_folders = stored.substr(0, split);
        job.m_name = stored.substr(split);
        if (pool) {
            // A file still being written where this entry needs a folder or
            // its own file: let the writes finish first, as one thread would.
            const bool clash = extractor.Clashes(job, beingWritten, q.m_strKey);
            if (clash) {
                drain(0);
                if (stop)
                    return kExitFailure;
            }
        }
        extractor.Prepare(job);
        if (job.m_bReady) {
            if (pool) {
                q.m_bSubmitted = true;
                beingWritten.insert(q.m_strKey);
                pool->Submit(&job);
            } else {
                // The first file is written here: writing one reads the umask
                // by setting it, which must not race with the folders made.
                extractor.Write(job, archive);
                if (!pool && jobs > 1 && job.m_outcome != EOutcome::kStop) {
                    try {
                        pool = std::make_unique<CWritePool>(extractor, archivePath, jobs);
                    } catch (const std::exception&) {
                        jobs = 1; // one thread it is, then
                    }
                }
            }
        }
        queued.push_back(std::move(q));
        const bool decidedStop = !job.m_bReady && job.m_outcome == EOutcome::kStop;
        // Enough jobs ahead that no worker waits for the checks; once that many
        // are out, half of them are awaited in one go rather than one by one.
        const std::size_t ahead = kJobsAheadPerThread * std::size_t(jobs);
        drain(decidedStop ? 0 : queued.size() > ahead ? ahead / 2 : ahead);
        if (stop)
            return kExitFailure;
    }
    drain(0);
    if (stop)
        return kExitFailure;
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
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    doc.SetPathName(archivePath); // the converters read the entries from it
    std::string wanted = entryPath;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    const CDATInternalFile* entry = nullptr;
    for (std::size_t i = 0; i < doc.m_files.size(); ++i) {
        if (EqualNames(DecodeToUtf8(names[i]), wanted)) {
            entry = &doc.m_files[i];
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
