#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace korvex {

// Squelch changes (1 = opened on a signal, 0 = closed) pushed by the parser on
// the UI thread and taken by the log thread, so every access is locked.
class SquelchEvents {
public:
    void push(int event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    std::optional<int> take() {
        std::lock_guard lock(m_mutex);
        if (m_events.empty()) {
            return std::nullopt;
        }
        int e = m_events.front();
        m_events.pop_front();
        return e;
    }
    bool empty() const {
        std::lock_guard lock(m_mutex);
        return m_events.empty();
    }
    std::size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

    // The receiver's frequency and level texts as the parser last decoded
    // them; the log thread copies them when an entry begins.
    struct Values {
        std::string frequency;
        std::string level;
    };
    void publish(const std::string& frequency, const std::string& level) {
        std::lock_guard lock(m_mutex);
        m_values.frequency = frequency;
        m_values.level = level;
    }
    Values values() const {
        std::lock_guard lock(m_mutex);
        return m_values;
    }

private:
    mutable std::mutex m_mutex;
    std::deque<int> m_events;
    Values m_values;
};

}  // namespace korvex
