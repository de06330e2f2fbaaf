// Worker threads for the loops a run spreads over the cores. Waiting workers
// look for work for a few microseconds and then sleep on a condition
// variable instead of spinning on, so that on a machine whose other cores
// are busy they take no time from the thread that steps the run: all threads
// are never slower than one.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quba {

// The cores this process may run on.
int32_t AvailableCores();

class WorkerPool {
public:
    // `threads` threads in all: the caller of ForEach is thread 0.
    explicit WorkerPool(int32_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    [[nodiscard]] int32_t Threads() const { return static_cast<int32_t>(workers_.size()) + 1; }

    using Body = std::function<void(int32_t index, int32_t thread)>;
    // Calls body(index, thread) once for every index below `count`, handing
    // out `chunk` indices at a time to whichever thread is free; returns when
    // all are done. An exception of a body is thrown here once all threads
    // have stopped.
    void ForEach(int32_t count, int32_t chunk, const Body& body);

private:
    void Work(int32_t thread);
    void RunChunks(int32_t thread);

    std::vector<std::jthread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    // Written under mutex_, read without it while a thread looks for a change
    // before it sleeps.
    std::atomic<uint64_t> round_ = 0; // counts the ForEach calls, so that a worker sees each once
    std::atomic<bool> stopping_ = false;
    std::atomic<int32_t> busy_ = 0; // workers still in the current round
    // The current round, under mutex_.
    const Body* body_ = nullptr;
    int32_t count_ = 0;
    int32_t chunk_ = 1;
    int32_t next_ = 0;
    std::exception_ptr failure_;
};

} // namespace quba
