#pragma once

#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

namespace korvex {

// Control bytes and bytes outside printable ASCII shown as <1E>, so a trace
// of the line shows exactly what crossed it.
std::string visibleBytes(std::string_view bytes);

// A wire trace: every command written and every line received, one per
// line with the time of day in milliseconds and the direction.
class Trace {
public:
    // Longest received text kept while it waits for its LF; beyond it the
    // text is traced as a line of its own, so a peer that never ends a line
    // cannot make it grow without bound.
    static constexpr std::size_t kMaxPartialLine = 4096;

    // False when the file cannot be opened for appending; the failure is
    // then waiting in takeFailure().
    bool open(const std::string& path);
    bool isOpen() const { return m_out.is_open(); }
    void written(std::string_view command);
    // Received bytes arrive in pieces; a line is traced once its LF arrived.
    void received(std::string_view bytes);
    // The errno value of the first failure to open or write the file (EIO
    // when the stream does not say), handed out once; 0 otherwise. Tracing
    // goes on, so a file that can be written again gets the later lines.
    int takeFailure();

private:
    void line(char direction, std::string_view bytes);
    void failed();

    std::mutex m_mutex;
    std::ofstream m_out;
    std::string m_pending;
    int m_failure = 0;
    bool m_failureSeen = false;
};

}  // namespace korvex
