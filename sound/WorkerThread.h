// A thread that can be waited for with a time limit. A thread that ends in
// time is joined; one that does not is detached and forgotten.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "MessageQueue.h"

namespace mrqsnd {

class WorkerThread {
public:
    WorkerThread() = default;
    explicit WorkerThread(std::function<void()> body);
    WorkerThread(WorkerThread&&) = default;
    WorkerThread& operator=(WorkerThread&& other);
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    ~WorkerThread();

    bool running() const { return m_thread.joinable(); }

    // Waits at most limit for the thread to end; true when it ended.
    bool waitForEnd(std::chrono::milliseconds limit);

private:
    struct EndSignal {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };

    void release();

    std::thread m_thread;
    std::shared_ptr<EndSignal> m_end;
};

}  // namespace mrqsnd

namespace mrqsnd {

// What the library keeps of a worker: its queue to post to and its thread.
struct WorkerHandle {
    QueuePtr queue;
    WorkerThread thread;

    explicit operator bool() const { return queue != nullptr; }
};

// Runs worker->run() on a new thread that owns the worker and destroys it
// when the thread ends.
template <typename Worker>
WorkerHandle startWorker(std::unique_ptr<Worker> worker, QueuePtr queue) {
    auto* raw = worker.release();
    return WorkerHandle{std::move(queue), WorkerThread([raw] {
                            std::unique_ptr<Worker> owned(raw);
                            owned->run();
                        })};
}

}  // namespace mrqsnd
