// Flow control between the file reader and the player: the semaphore that
// limits play blocks in flight, and the reader's stop event, in one object so
// the read loop can wait for either.
#pragma once

#include <condition_variable>
#include <mutex>

namespace mrqsnd {

class PlaybackGate {
public:
    explicit PlaybackGate(int count = 10) : m_count(count), m_maximum(count) {}

    // Waits for one count or the stop event; false when the stop event fired.
    bool acquireUnlessStopped() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_count > 0; });
        if (m_stopped) {
            return false;
        }
        --m_count;
        return true;
    }

    void release() {
        {
            std::lock_guard lock(m_mutex);
            if (m_count < m_maximum) {
                ++m_count;
            }
        }
        m_changed.notify_all();
    }

    void signalStop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

    void resetStop() {
        std::lock_guard lock(m_mutex);
        m_stopped = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count;
    int m_maximum;
    bool m_stopped = false;
};

}  // namespace mrqsnd
