#include "simulator/OutputQueue.h"

#include <algorithm>
#include <cmath>

namespace korvex::sim {

namespace {

bool matches(std::string_view command, const std::string& word) {
    return !word.empty() && command.substr(0, word.size()) == word;
}

}  // namespace

void OutputQueue::setPacing(bool pace, int baudRate) {
    m_pace = pace;
    m_bytesPerMs = std::max(baudRate, 1) / 11000.0;
}

bool OutputQueue::refuses(std::string_view command) const {
    return std::any_of(m_faults.refuse.begin(), m_faults.refuse.end(),
                       [&](const std::string& word) { return matches(command, word); });
}

void OutputQueue::addReply(std::string_view command, std::string reply, int64_t now) {
    for (const std::string& word : m_faults.noReply) {
        if (matches(command, word)) {
            return;
        }
    }
    if (reply.empty()) {
        return;
    }
    ++m_replies;
    if (m_faults.garbage && m_faults.garbageEvery > 0 && m_replies % m_faults.garbageEvery == 0) {
        reply.insert(0, garbageBytes());
    }
    Chunk chunk;
    chunk.due = now;
    if (m_pace) {
        // The command and its CR were written at once to the pseudo-terminal;
        // on a real line the receiver has the CR only once they have all gone.
        chunk.due +=
            static_cast<int64_t>(std::ceil(static_cast<double>(command.size() + 1) / m_bytesPerMs));
    }
    for (const auto& [word, ms] : m_faults.late) {
        if (matches(command, word)) {
            chunk.due += std::max(ms, 0);
        }
    }
    if (m_faults.split && reply.size() >= 2) {
        chunk.pauseAt = reply.size() / 2;
        chunk.pauseMs = std::max(m_faults.splitPauseMs, 1);
    }
    chunk.bytes = std::move(reply);
    insert(std::move(chunk));
}

void OutputQueue::addReport(std::string text, int64_t now) {
    if (text.empty()) {
        return;
    }
    Chunk chunk;
    chunk.due = now;
    chunk.bytes = std::move(text);
    insert(std::move(chunk));
}

void OutputQueue::insert(Chunk chunk) {
    // Ordered by due time; a chunk already half written stays in front, so
    // nothing ends up in the middle of its lines.
    auto first = m_chunks.begin();
    if (first != m_chunks.end() && first->written > 0) {
        ++first;
    }
    const auto pos = std::upper_bound(first, m_chunks.end(), chunk.due,
                                      [](int64_t due, const Chunk& c) { return due < c.due; });
    m_chunks.insert(pos, std::move(chunk));
}

std::string OutputQueue::garbageBytes() {
    std::string bytes;
    m_random = m_random * 1664525u + 1013904223u;
    const int count = 1 + static_cast<int>((m_random >> 24) % 4);
    while (static_cast<int>(bytes.size()) < count) {
        m_random = m_random * 1664525u + 1013904223u;
        const auto byte = static_cast<unsigned char>(m_random >> 24);
        // Never XON/XOFF (they would stop the program's output) and never a
        // line end (the garbage corrupts a reply, it does not add lines).
        if (byte != 0x11 && byte != 0x13 && byte != '\r' && byte != '\n') {
            bytes += static_cast<char>(byte);
        }
    }
    return bytes;
}

std::string_view OutputQueue::writable(int64_t now) {
    if (m_chunks.empty() || m_chunks.front().due > now) {
        return {};
    }
    Chunk& c = m_chunks.front();
    size_t end = c.bytes.size();
    if (c.pauseAt > 0) {
        if (c.written == c.pauseAt) {
            c.due = now + c.pauseMs;
            c.pauseAt = 0;
            return {};
        }
        end = c.pauseAt;
    }
    size_t count = end - c.written;
    if (m_pace) {
        const double start = std::max(m_lineFreeAt, static_cast<double>(c.due));
        const double carried = std::floor((static_cast<double>(now) - start) * m_bytesPerMs);
        count = std::min(count, static_cast<size_t>(std::max(carried, 0.0)));
    }
    return std::string_view(c.bytes).substr(c.written, count);
}

void OutputQueue::consumed(size_t count) {
    if (m_chunks.empty()) {
        return;
    }
    Chunk& c = m_chunks.front();
    count = std::min(count, c.bytes.size() - c.written);
    if (m_pace && count > 0) {
        const double start = std::max(m_lineFreeAt, static_cast<double>(c.due));
        m_lineFreeAt = start + static_cast<double>(count) / m_bytesPerMs;
    }
    c.written += count;
    if (c.written == c.bytes.size()) {
        m_chunks.pop_front();
    }
}

size_t OutputQueue::backlog() const {
    size_t total = 0;
    for (const Chunk& c : m_chunks) {
        total += c.bytes.size() - c.written;
    }
    return total;
}

int64_t OutputQueue::nextDue() const {
    return m_chunks.empty() ? -1 : m_chunks.front().due;
}

}  // namespace korvex::sim
