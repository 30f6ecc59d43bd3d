#include "MessageQueue.h"

namespace mrqsnd {

void MessageQueue::post(std::uint32_t id, MessageParam param) {
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(Message{id, std::move(param)});
    }
    m_arrived.notify_one();
}

Message MessageQueue::wait() {
    std::unique_lock lock(m_mutex);
    m_arrived.wait(lock, [this] { return !m_messages.empty(); });
    Message message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

std::size_t MessageQueue::size() {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
}

}  // namespace mrqsnd
