// `dravik-cli extract`: entries checked and their folders made in directory
// order on this thread, written by a pool, complaints printed in order.
#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/entrypaths.h"
#include "archive/sourcestack.h"
#include "cli/commands.h"
#include "cli/extractor.h"
#include "cli/glob.h"
#include "cli/writepool.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <thread>

namespace {

// Jobs checked ahead of the writing, handed to the pool a window at a time
// in the order of their data in the archive: on a disk that has to seek
// (and for the read-ahead of any disk) that is the order to read in.
constexpr std::size_t kWindow = 512;

// A job in directory order; m_written is set by the pool once it has it.
// Made in place: the pool keeps the flag's address.
struct SQueued
{
    std::unique_ptr<SExtractJob> m_pJob;
    std::atomic<int> m_written{0};
    bool m_bSubmitted = false;
    std::string m_strKey; // its target among those being written
    bool m_bHeld = false; // ready, waiting for its window to go out
};

} // namespace

unsigned DefaultExtractJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores ? cores : 1;
}

namespace {

// What an extraction reads: a model and its stored names, read from archive
// (named archivePath), or for a set of sources each entry from the file that
// holds its winning copy.
struct SExtractInput
{
    const CDATArchive& m_doc;
    const CStoredNames& m_names;
    CFile& m_archive;
    const std::string& m_strArchivePath; // empty for a set
    const std::string& m_strLabel;       // for the closing complaint
    const CSourceStack* m_pStack = nullptr;
};

int RunExtraction(const SExtractInput& in, const std::string& outDir, const std::vector<std::string>& patterns,
                  unsigned jobs, bool keepDamaged);

} // namespace

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
    return RunExtraction({doc, names, archive, archivePath, archivePath}, outDir, patterns, jobs, keepDamaged);
}

int ExtractStack(const std::vector<std::string>& sources, const std::string& outDir,
                 const std::vector<std::string>& patterns, unsigned jobs, bool keepDamaged)
{
    CSourceStack stack;
    CDATArchive merged;
    CStoredNames names;
    if (!BuildStackOrReport(stack, sources, merged, &names))
        return kExitFailure;
    CFile none;
    const std::string noArchive;
    return RunExtraction({merged, names, none, noArchive, sources.front(), &stack}, outDir, patterns, jobs,
                         keepDamaged);
}

namespace {

int RunExtraction(const SExtractInput& in, const std::string& outDir, const std::vector<std::string>& patterns,
                  unsigned jobs, bool keepDamaged)
{
    const CDATArchive& doc = in.m_doc;
    const CStoredNames& names = in.m_names;
    CFile& archive = in.m_archive;
    // The output folder is the user's choice, links and all; only what lies
    // inside it is checked.
    const std::string dir = outDir.empty() ? std::string(".") : outDir;
    std::error_code ec;
    const bool dirMade = std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        ReportError(dir + ": the output folder could not be created" + (ec ? " (" + ec.message() + ")" : ""));
        return kExitFailure;
    }

    CGlobSet globs(patterns);
    CExtractor extractor(archive, dir, keepDamaged, dirMade && !ec);
    if (in.m_pStack)
        for (std::size_t s = 0; s < in.m_pStack->SourceCount(); ++s)
            if (in.m_pStack->Source(s).Kind() == CStackSource::EKind::kArchive)
                extractor.Protect(in.m_pStack->Source(s).Path());
    if (jobs == 0)
        jobs = DefaultExtractJobs();
    std::size_t failed = 0;

    // Declared before the pool, so that the jobs outlive its threads.
    std::deque<SQueued> queued;
    std::unordered_set<std::string> beingWritten; // targets, ASCII letters folded
    std::unique_ptr<CWritePool> pool;
    std::vector<SQueued*> held; // of queued, in directory order
    bool stop = false;

    // The window goes out, lowest archive offset first.
    auto flush = [&] {
        std::stable_sort(held.begin(), held.end(), [](const SQueued* a, const SQueued* b) {
            return a->m_pJob->m_pEntry->m_nOffset < b->m_pJob->m_pEntry->m_nOffset;
        });
        for (SQueued* q : held) {
            q->m_bHeld = false;
            q->m_bSubmitted = true;
            pool->Submit(*q->m_pJob, q->m_written);
        }
        held.clear();
    };

    // Prints finished jobs from the front, waiting for them until at most keep
    // remain. After a job that stops the run, the rest are dropped unprinted:
    // a sequential run would not have tried them.
    auto drain = [&](std::size_t keep) {
        // One sleep for the last job to go rather than one per job: jobs
        // finish about in order, so those before it are mostly done by then.
        if (queued.size() > keep + 1 && !stop && queued[queued.size() - keep - 1].m_bSubmitted)
            CWritePool::Wait(queued[queued.size() - keep - 1].m_written);
        while (!queued.empty()) {
            SQueued& q = queued.front();
            if (q.m_bHeld && !stop)
                return;
            if (q.m_bSubmitted) {
                if (queued.size() <= keep && !CWritePool::IsDone(q.m_written))
                    return;
                CWritePool::Wait(q.m_written);
                beingWritten.erase(q.m_strKey);
            }
            const SExtractJob& job = *q.m_pJob;
            if (!stop) {
                std::fwrite(job.m_strReport.data(), 1, job.m_strReport.size(), stderr);
                if (job.m_outcome == EOutcome::kEntryFailed)
                    ++failed;
                if (job.m_outcome == EOutcome::kStop) {
                    stop = true;
                    held.clear();
                    if (pool)
                        pool->Stop();
                    keep = 0;
                }
            }
            queued.pop_front();
        }
    };
    for (std::size_t n = 0; n < doc.m_files.size(); ++n) {
        std::string path = DecodeToUtf8(names[n]);
        if (!globs.Admits(path))
            continue;
        auto owned = std::make_unique<SExtractJob>();
        SExtractJob& job = *owned;
        std::string key;
        bool isHeld = false;
        job.m_pEntry = &doc.m_files[n];
        if (in.m_pStack) {
            const SEntryCopy& winner = in.m_pStack->Winner(n);
            job.m_strSourcePath = in.m_pStack->Source(winner.m_nSource).FileOf(winner.m_nIndex);
        }
        job.m_strDisplayPath = std::move(path);
        const SStoredPath split = SplitStoredPath(job.m_strDisplayPath);
        job.m_folders = split.m_folders;
        job.m_name = split.m_name;
        // A file still being written where this entry needs a folder or its
        // own file: let the writes finish first, as one thread would.
        if (pool && extractor.Clashes(job, beingWritten, key)) {
            flush();
            drain(0);
            if (stop)
                return kExitFailure;
        }
        extractor.Prepare(job);
        if (job.m_bReady) {
            if (pool) {
                beingWritten.insert(key);
                isHeld = true;
            } else {
                // The first file is written here: writing one reads the umask
                // by setting it, which must not race with the folders made.
                if (jobs == 1)
                    ReadAheadFor(archive, job);
                extractor.Write(job, archive);
                if (jobs > 1 && job.m_outcome != EOutcome::kStop) {
                    try {
                        pool = std::make_unique<CWritePool>(extractor, in.m_strArchivePath, jobs);
                    } catch (const std::exception&) {
                        jobs = 1; // one thread it is, then
                    }
                }
            }
        }
        // A job the pool has is not looked at until it is written.
        const bool decidedStop = !isHeld && job.m_outcome == EOutcome::kStop;
        SQueued& q = queued.emplace_back();
        q.m_pJob = std::move(owned);
        q.m_strKey = std::move(key);
        q.m_bHeld = isHeld;
        if (isHeld)
            held.push_back(&q);
        if (pool && (decidedStop || held.size() >= kWindow || queued.size() >= 2 * kWindow))
            flush();
        // A window being written while the next one is checked; once two are
        // out, the older is awaited in one go rather than job by job.
        drain(decidedStop ? 0 : queued.size() > 2 * kWindow ? kWindow : 2 * kWindow);
        if (stop)
            return kExitFailure;
    }
    if (pool)
        flush();
    drain(0);
    if (stop)
        return kExitFailure;
    globs.WarnUnmatched("entry");
    if (failed != 0) {
        ReportError(in.m_strLabel + ": " + std::to_string(failed) + (failed == 1 ? " entry" : " entries") +
                    " could not be extracted intact");
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace
