#pragma once

#include <array>
#include <span>
#include <string_view>

namespace korvex {

// The tuning steps as the dialogs list them (kHz), in the order of their
// step codes.
inline constexpr std::array<std::string_view, 17> kStepEntries = {
    "000.050", "000.100", "000.200", "000.500", "001.000", "002.000",
    "005.000", "006.250", "008.330", "009.000", "010.000", "012.500",
    "020.000", "025.000", "030.000", "050.000", "100.000"};

// The position of the first entry that begins with the text; 0 when none
// does or the text is empty.
inline int choiceStartingWith(std::span<const std::string_view> entries, std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].starts_with(text)) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace korvex
