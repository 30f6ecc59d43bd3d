#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "model/Records.h"

namespace korvex {

// One activity-log entry: six byte texts in file and column order.
struct LogEntry {
    static constexpr std::size_t kFieldCount = 6;

    std::string date;                                  // "%Y-%m-%d" of the start
    std::string time;                                  // "%H:%M:%S" of the start
    std::string duration;                              // "%H:%M:%S", whole days dropped
    std::string frequency;                             // the VFO frequency text at the start
    std::string level;                                 // the three level characters at the start
    std::string audioFile = std::string(EMPTY_FIELD);  // WAV name without folder

    std::string& field(std::size_t n);
    const std::string& field(std::size_t n) const;

    // An entry with a recording: audioFile begins with neither 0xB0 nor "-".
    bool hasAudio() const;

    bool operator==(const LogEntry&) const = default;
};

}  // namespace korvex
