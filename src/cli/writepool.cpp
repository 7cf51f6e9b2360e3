#include "cli/writepool.h"

#include "cli/extractor.h"


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

void CWritePool::Run(CFile& archive)
{
    for (;;) {
        STask task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_nIdle;
            m_wake.wait(lock, [&] { return m_bQuit || !m_queue.empty(); });
            --m_nIdle;
            if (m_queue.empty())
                return;
            task = m_queue.front();
            m_queue.pop_front();
        }
        if (!m_bStop)
            m_extractor.Write(*task.m_pJob, archive);
        task.m_pDone->store(1, std::memory_order_release);
        task.m_pDone->notify_one();
    }
}
