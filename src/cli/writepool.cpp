#include "cli/writepool.h"

#include "archive/datitem.h"
#include "cli/extractor.h"

#include <vector>

CWritePool::CWritePool(CExtractor& extractor, const std::string& archivePath, unsigned threads)
    : m_extractor(extractor)
{
    // Without an archive every job names the file it reads.
    for (unsigned i = 0; i < threads; ++i)
        m_archives.push_back(archivePath.empty() ? std::make_unique<CFile>()
                                                 : std::make_unique<CFile>(archivePath, CFile::modeRead));
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this, i] { Run(*m_archives[i]); });
}

CWritePool::~CWritePool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void CWritePool::Submit(SExtractJob& job, std::atomic<int>& done)
{
    bool wake;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back({&job, &done});
        wake = m_nIdle != 0;
    }
    // Busy workers find the job when they come back; waking one that is not
    // asleep only costs a switch per entry.
    if (wake)
        m_wake.notify_one();
}

namespace {

// A worker takes entries lying together in the archive as one run and reads
// them in one piece: up to this much, and no gap wider than kGap.
constexpr std::uint64_t kRunBytes = 512u << 10;
constexpr std::uint64_t kGap = 4u << 10;

bool ReadsArchive(const SExtractJob& job)
{
    return job.m_strSourcePath.empty();
}

} // namespace

void ReadAheadFor(CFile& archive, const SExtractJob& job)
{
    const CDATInternalFile& entry = *job.m_pEntry;
    if (ReadsArchive(job) && archive.IsOpen() && entry.m_nPackedSize < kRunBytes &&
        !archive.IsHeld(entry.m_nOffset, entry.m_nPackedSize))
        archive.Prefetch(entry.m_nOffset, kRunBytes);
}

void CWritePool::Run(CFile& archive)
{
    std::vector<STask> run;
    for (;;) {
        run.clear();
        std::uint64_t start = 0, end = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_nIdle;
            m_wake.wait(lock, [&] { return m_bQuit || !m_queue.empty(); });
            --m_nIdle;
            if (m_queue.empty())
                return;
            run.push_back(m_queue.front());
            m_queue.pop_front();
            start = run.front().m_pJob->m_pEntry->m_nOffset;
            end = start + run.front().m_pJob->m_pEntry->m_nPackedSize;
            const bool fromArchive = ReadsArchive(*run.front().m_pJob);
            while (fromArchive && !m_queue.empty() && ReadsArchive(*m_queue.front().m_pJob)) {
                const CDATInternalFile& next = *m_queue.front().m_pJob->m_pEntry;
                const std::uint64_t at = next.m_nOffset, nextEnd = at + next.m_nPackedSize;
                if (at < end || at - end > kGap || nextEnd - start > kRunBytes)
                    break;
                end = nextEnd;
                run.push_back(m_queue.front());
                m_queue.pop_front();
            }
        }
        if (run.size() > 1)
            archive.Prefetch(start, std::size_t(end - start));
        for (STask& task : run) {
            if (!m_bStop)
                m_extractor.Write(*task.m_pJob, archive);
            task.m_pDone->store(1, std::memory_order_release);
            task.m_pDone->notify_one();
        }
    }
}
