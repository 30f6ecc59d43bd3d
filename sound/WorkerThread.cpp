#include "WorkerThread.h"

namespace mrqsnd {

WorkerThread::WorkerThread(std::function<void()> body) : m_end(std::make_shared<EndSignal>()) {
    m_thread = std::thread([end = m_end, body = std::move(body)] {
        body();
        std::lock_guard lock(end->mutex);
        end->done = true;
        end->ended.notify_all();
    });
}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) {
    if (this != &other) {
        release();
        m_thread = std::move(other.m_thread);
        m_end = std::move(other.m_end);
    }
    return *this;
}

WorkerThread::~WorkerThread() {
    release();
}

bool WorkerThread::waitForEnd(std::chrono::milliseconds limit) {
    if (!m_thread.joinable()) {
        return true;
    }
    bool ended;
    {
        std::unique_lock lock(m_end->mutex);
        ended = m_end->ended.wait_for(lock, limit, [this] { return m_end->done; });
    }
    if (ended) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
    m_end.reset();
    return ended;
}

void WorkerThread::release() {
    // A handle dropped without waiting must not take the process down.
    waitForEnd(std::chrono::milliseconds(0));
}

}  // namespace mrqsnd
