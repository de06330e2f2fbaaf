#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <sched.h>
#include <utility>

namespace quba {

namespace {

// How long a thread looks for a change before it sleeps: long enough to
// catch the next round of a run's step, short enough to cost nothing on a
// busy machine.
constexpr auto kLookBeforeSleeping = std::chrono::microseconds(50);

// Whether `done` became true within kLookBeforeSleeping.
template <typename Done> bool ChangesSoon(Done done) {
    const auto until = std::chrono::steady_clock::now() + kLookBeforeSleeping;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

int32_t AvailableCores() {
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) == 0)
        return std::max(1, CPU_COUNT(&cores));
    return std::max(1, static_cast<int32_t>(std::thread::hardware_concurrency()));
}

WorkerPool::WorkerPool(int32_t threads) {
    for (int32_t thread = 1; thread < threads; ++thread)
        workers_.emplace_back([this, thread] { Work(thread); });
}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // Joined here, while the state they wait on still exists.
    workers_.clear();
}

void WorkerPool::RunChunks(int32_t thread) {
    std::unique_lock lock(mutex_);
    while (next_ < count_ && !failure_) {
        const int32_t first = next_;
        const int32_t last = std::min(count_, first + chunk_);
        next_ = last;
        const Body& body = *body_;
        lock.unlock();
        try {
            for (int32_t index = first; index < last; ++index)
                body(index, thread);
        } catch (...) {
            lock.lock();
            if (!failure_)
                failure_ = std::current_exception();
            continue;
        }
        lock.lock();
    }
}

void WorkerPool::Work(int32_t thread) {
    uint64_t seen = 0;
    for (;;) {
        const auto woken = [&] { return stopping_ || round_ != seen; };
        if (!ChangesSoon(woken)) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, woken);
        }
        if (stopping_)
            return;
        seen = round_;
        RunChunks(thread);
        {
            const std::lock_guard lock(mutex_);
            --busy_;
        }
        finished_.notify_one();
    }
}

void WorkerPool::ForEach(int32_t count, int32_t chunk, const Body& body) {
    if (count <= 0)
        return;
    if (workers_.empty() || count <= chunk) {
        for (int32_t index = 0; index < count; ++index)
            body(index, 0);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        body_ = &body;
        count_ = count;
        chunk_ = std::max(1, chunk);
        next_ = 0;
        failure_ = nullptr;
        busy_ = static_cast<int32_t>(workers_.size());
        ++round_;
    }
    wake_.notify_all();
    RunChunks(0);
    const auto done = [&] { return busy_ == 0; };
    if (!ChangesSoon(done)) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, done);
    }
    const std::lock_guard lock(mutex_);
    body_ = nullptr;
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

} // namespace quba
