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
    bool open(const std::string& path);
    bool isOpen() const { return m_out.is_open(); }
    void written(std::string_view command);
    // Received bytes arrive in pieces; a line is traced once its LF arrived.
    void received(std::string_view bytes);

private:
    void line(char direction, std::string_view bytes);

    std::mutex m_mutex;
    std::ofstream m_out;
    std::string m_pending;
};

}  // namespace korvex
