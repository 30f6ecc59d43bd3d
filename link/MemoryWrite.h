#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

class LinkHost;
struct PollFields;

// A write of channels into the receiver's memory (a memory file, a CSV
// import, a paste), followed command by command: which of its commands have
// gone out, which channels the receiver has acknowledged, and, when the
// write has to stop, what the operator is told.
class MemoryWrite {
public:
    enum class Failure { Refused, NoAnswer, LinkError };

    // Takes the commands of a write as queued (CR-terminated). A write that
    // is still going on is extended by them.
    void begin(std::string_view commands);
    bool active() const { return m_active; }

    // The send step has written a command.
    void sent(std::string_view command);
    // True while command is the write's command that has gone out and not
    // yet been answered.
    bool awaits(std::string_view command) const;
    // The receiver answered the command (an acknowledgement or data).
    void answered(std::string_view command);
    // Stops the write after a failure of command: returns the write's
    // commands that have not gone out, and keeps the report for the operator.
    std::vector<std::string> fail(Failure failure, std::string_view command);
    // The report of a stopped write, once; "" when there is none.
    std::string takeReport();

    int channelCount() const;
    int channelsWritten() const { return m_written; }

private:
    struct Step {
        std::string command;
        std::string channel;  // the channel written or cleared; "" for other commands
    };

    std::vector<Step> m_steps;
    std::size_t m_next = 0;      // the next step to go out
    bool m_outstanding = false;  // step m_next - 1 is waiting for its answer
    int m_written = 0;
    bool m_active = false;
    std::string m_report;
};

// Starts following a channel write in the poll fields; announceDone also
// sets memWriteActive, so "mem write done." follows a complete write.
void beginMemoryWrite(PollFields& poll, std::string_view commands, bool announceDone);

// Stops the write in the poll fields: its commands still queued are dropped,
// memWriteActive is cleared (so no "mem write done." follows), the status
// line says how far it came, and the list is read back from the receiver.
// The report waits for the next poll tick (see PollCycle), because a modal
// box must not open in the middle of received bytes.
void stopMemoryWrite(PollFields& poll, LinkHost& host, MemoryWrite::Failure failure,
                     std::string_view command);

}  // namespace korvex
