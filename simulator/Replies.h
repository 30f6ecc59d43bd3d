#pragma once

#include <string>
#include <string_view>

namespace korvex::sim {

// A set command's acknowledgement: an empty line.
inline const std::string kAck = "\r\n";
// An unknown or refused command.
inline const std::string kRefused = "?\r\n";

inline std::string line(std::string_view text) {
    return std::string(text) + "\r\n";
}

}  // namespace korvex::sim
