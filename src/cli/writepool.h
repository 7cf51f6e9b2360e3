#pragma once
// Writes prepared extraction jobs on worker threads, each with its own handle
// of the archive, while the main thread keeps checking names and making
// folders in directory order.
#include "platform/file.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CExtractor;
struct SExtractJob;

class CWritePool
{
public:
    // Raises when the archive cannot be opened again.
    CWritePool(CExtractor& extractor, const std::string& archivePath, unsigned threads);
    ~CWritePool();
    CWritePool(const CWritePool&) = delete;
    CWritePool& operator=(const CWritePool&) = delete;

    // Ready once job is written, or dropped after Stop.
    std::future<void> Submit(SExtractJob& job);
    // Jobs not yet started are dropped (left undone) once this is set.
    void Stop() { m_bStop = true; }

private:
    struct STask
    {
        SExtractJob* m_pJob;
        std::promise<void> m_done;
    };
    void Run(CFile& archive);

    CExtractor& m_extractor;
    std::vector<std::unique_ptr<CFile>> m_archives;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<STask> m_queue;
    unsigned m_nIdle = 0; // workers waiting for a job
    bool m_bQuit = false;
    std::atomic<bool> m_bStop{false};
};
