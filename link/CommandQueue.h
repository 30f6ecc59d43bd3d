#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Removes the given commands, each once and in their order, wherever
    // they stand between the others; commands queued in between stay.
    void removeInOrder(const std::vector<std::string>& commands) {
        std::lock_guard lock(m_mutex);
        std::size_t from = 0;
        for (const std::string& command : commands) {
            std::size_t at = from;
            while (at < m_text.size() && m_text.compare(at, command.size(), command) != 0) {
                const std::size_t cr = m_text.find('\r', at);
                at = cr == std::string::npos ? m_text.size() : cr + 1;
            }
            if (at < m_text.size() && !command.empty()) {
                m_text.erase(at, command.size());
                from = at;
            }
        }
    }
    // Removes the commands from the front when the queue begins with them;
    // false, and the queue as it was, when it does not.
    bool removeFront(std::string_view commands) {
        std::lock_guard lock(m_mutex);
        if (commands.empty() || !std::string_view(m_text).starts_with(commands)) {
            return false;
        }
        m_text.erase(0, commands.size());
        return true;
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
