#pragma once

// The tuning panel's fixed texts and the operating-state families its rules
// branch on. Plain C++, shared by the panel's logic and its widget.

#include <array>
#include <optional>
#include <string_view>

#include "model/Receiver.h"
#include "model/Tables.h"

namespace korvex::panel {

// The step selector's entries in kHz, position for position with kStepCodes.
inline constexpr std::array<std::string_view, 17> kStepTexts = {
    "0.05", "0.10",  "0.20",  "0.50",  "1.00",  "2.00",  "5.00",  "6.25",  "8.33",
    "9.00", "10.00", "12.50", "20.00", "25.00", "30.00", "50.00", "100.00"};
static_assert(kStepTexts.size() == kStepCodes.size());

// The mode selector lists the modes in the model's mode order.
inline constexpr auto& kModeTexts = kModeNamesByIndex;

// The list selector before the bank descriptions have been read ...
inline constexpr std::array<std::string_view, 25> kInitialListEntries = {
    "A", "B", "C",          "D",        "E",          "F",        "G",       "H", "I",
    "J", "a", "b",          "c",        "d",          "e",        "f",       "g", "h",
    "i", "j", "SRCH BANKS", "SEL SCAN", "PASS FREQS", "LOG VIEW", "DATABASE"};
// ... and the entries that follow the twenty bank descriptions once it has
// been rebuilt from the model.
inline constexpr std::array<std::string_view, 5> kFixedListEntries = {
    "SEARCH BANKS", "SELECT SCAN", "PASS FREQS", "LOG VIEW", "DATABASE"};
inline constexpr int kListEntryCount = kBankCount + static_cast<int>(kFixedListEntries.size());

inline constexpr int kScanGroupCount = 10;    // "0".."9"
inline constexpr int kSearchGroupCount = 11;  // "0".."9", "V"
inline constexpr int kVfoSearchGroup = 10;

inline constexpr int kSquelchMax = 255;
inline constexpr int kSquelchTick = 10;
// While the slider is dragged, a level-squelch command is queued only when
// fewer characters than this are waiting, so a drag cannot flood the line.
inline constexpr std::size_t kSquelchQueueLimit = 15;

inline constexpr std::string_view kInvalidFrequencyLong =
    "Invalid Frequency!\n\nTo enter frequencies from 2040..3000MHz, check\nthe \"MARK II\" "
    "option in the settings dialog.";
inline constexpr std::string_view kInvalidFrequencyShort = "Invalid Frequency!";

inline constexpr bool isVfoState(int s) {
    return s >= kStateVfo && s <= kStateVfoB;
}
inline constexpr bool isSearchState(int s) {
    return s >= kStateSearch && s <= kStateVfoSearchB;
}
inline constexpr bool isMemoryState(int s) {
    return s >= kStateMemoryRead && s <= kStateVvB;
}

// The step selector position of six step digits; nullopt for an unknown step.
constexpr std::optional<int> stepIndexOfCode(std::string_view code) {
    for (std::size_t i = 0; i < kStepCodes.size(); ++i) {
        if (kStepCodes[i] == code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace korvex::panel
