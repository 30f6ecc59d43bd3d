#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The CR-terminated commands waiting to be sent, as one text in sending
// order. The log thread appends to it too, so every operation is locked.
class CommandQueue {
public:
    void append(std::string_view commands) {
        std::lock_guard lock(m_mutex);
        m_text.append(commands);
    }
    void replace(std::string_view commands) {
        std::lock_guard lock(m_mutex);
        m_text.assign(commands);
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }
    void insertFront(std::string_view commands) {
        std::lock_guard lock(m_mutex);
        m_text.insert(0, commands);
    }
    bool empty() const {
        std::lock_guard lock(m_mutex);
        return m_text.empty();
    }
    std::size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_text.size();
    }
    std::string text() const {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    // Cuts the first command, its CR included, off the front. Without a CR
    // in the queue it returns nothing and leaves the queue as it is.
    std::optional<std::string> takeFirst() {
        std::lock_guard lock(m_mutex);
        const auto cr = m_text.find('\r');
        if (cr == std::string::npos) {
            return std::nullopt;
        }
        std::string command = m_text.substr(0, cr + 1);
        m_text.erase(0, cr + 1);
        return command;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

}  // namespace korvex
