#include "cli/writepool.h"

#include "cli/extractor.h"

#include <optional>

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

std::future<void> CWritePool::Submit(SExtractJob& job)
{
    std::promise<void> done;
    std::future<void> result = done.get_future();
    bool wake;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back({&job, std::move(done)});
        wake = m_nIdle != 0;
    }
    // Busy workers find the job when they come back; waking one that is not
    // asleep only costs a switch per entry.
    if (wake)
        m_wake.notify_one();
    return result;
}

void CWritePool::Run(CFile& archive)
{
    for (;;) {
        std::optional<STask> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_nIdle;
            m_wake.wait(lock, [&] { return m_bQuit || !m_queue.empty(); });
            --m_nIdle;
            if (m_queue.empty())
                return;
            task.emplace(std::move(m_queue.front()));
            m_queue.pop_front();
        }
        if (!m_bStop)
            m_extractor.Write(*task->m_pJob, archive);
        task->m_done.set_value();
    }
}
