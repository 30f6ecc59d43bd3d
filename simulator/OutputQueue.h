#pragma once

// What the serial runner still has to write: replies and reports, each due
// at a time, with the faults applied and, when pacing is on, no faster than
// the line carries them (11 bits per character at the baud rate): a reply
// starts once the command's own characters have arrived, and no character
// is written before the line has carried the ones ahead of it.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "simulator/Faults.h"

namespace korvex::sim {

class OutputQueue {
public:
    void setFaults(Faults faults) { m_faults = std::move(faults); }
    const Faults& faults() const { return m_faults; }
    // True when the faults say the command is to be refused.
    bool refuses(std::string_view command) const;
    void setPacing(bool pace, int baudRate);

    // The reply to `command` (empty for none), produced at `now`.
    void addReply(std::string_view command, std::string reply, int64_t now);
    // Text the receiver sends on its own at `now`.
    void addReport(std::string text, int64_t now);

    // The bytes that may be written at `now`; hand back how many were taken.
    std::string_view writable(int64_t now);
    void consumed(size_t count);

    size_t backlog() const;
    bool empty() const { return m_chunks.empty(); }
    // When the first chunk is due, or -1 when nothing is queued.
    int64_t nextDue() const;

private:
    struct Chunk {
        int64_t due = 0;
        std::string bytes;
        size_t pauseAt = 0;  // split: the pause comes after this many bytes
        int pauseMs = 0;
        size_t written = 0;
    };

    void insert(Chunk chunk);
    std::string garbageBytes();

    Faults m_faults;
    std::deque<Chunk> m_chunks;
    bool m_pace = false;
    double m_bytesPerMs = 9600.0 / 11000.0;
    // When the line has carried every character written so far.
    double m_lineFreeAt = 0;
    int m_replies = 0;
    uint32_t m_random = 0x2545F491;
};

}  // namespace korvex::sim
