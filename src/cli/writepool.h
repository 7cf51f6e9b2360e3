#pragma once
// Writes prepared extraction jobs on worker threads, each with its own handle
// of the archive, while the main thread keeps checking names and making
// folders in directory order.
#include "platform/file.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CExtractor;
struct SExtractJob;

// Before writing job on the calling thread: holds the archive from its entry
// on, a worker's run ahead, unless it is held already.
void ReadAheadFor(CFile& archive, const SExtractJob& job);

class CWritePool
{
public:
    // Raises when the archive cannot be opened again.
    CWritePool(CExtractor& extractor, const std::string& archivePath, unsigned threads);
    ~CWritePool();
    CWritePool(const CWritePool&) = delete;
    CWritePool& operator=(const CWritePool&) = delete;

    // Sets done to 1 and wakes its waiter once job is written, or dropped
    // after Stop. A flag rather than a promise: a promise costs an allocation
    // and a futex call per file whether anyone waits or not.
    void Submit(SExtractJob& job, std::atomic<int>& done);
    static bool IsDone(const std::atomic<int>& done) { return done.load(std::memory_order_acquire) != 0; }
    static void Wait(const std::atomic<int>& done) { done.wait(0, std::memory_order_acquire); }
    // Jobs not yet started are dropped (left undone) once this is set.
    void Stop() { m_bStop = true; }

private:
    struct STask
    {
        SExtractJob* m_pJob;
        std::atomic<int>* m_pDone;
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
