#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvex {

// The receiver's mode names, indexed by the receiver's mode digit '0'..'8'.
inline constexpr std::array<std::string_view, 9> kModeNamesByDigit = {
    "WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};

// The model's mode index (the order of the panel's mode list) to the
// receiver digit, and back. The same table serves both directions.
inline constexpr std::array<char, 9> kModeIndexToDigit = {'0', '1', '6', '7', '2',
                                                          '8', '3', '4', '5'};
inline constexpr std::array<std::string_view, 9> kModeNamesByIndex = {
    "WFM", "NFM", "SFM", "WAM", "AM", "NAM", "USB", "LSB", "CW"};

// Receiver digit '0'..'8' to the model's mode index; nullopt for anything else.
constexpr std::optional<int> modeIndexFromDigit(char digit) {
    for (int i = 0; i < static_cast<int>(kModeIndexToDigit.size()); ++i) {
        if (kModeIndexToDigit[i] == digit) {
            return i;
        }
    }
    return std::nullopt;
}

// Mode name to the receiver digit; nullopt for an unknown name.
constexpr std::optional<char> modeDigitFromName(std::string_view name) {
    for (int i = 0; i < static_cast<int>(kModeNamesByDigit.size()); ++i) {
        if (kModeNamesByDigit[i] == name) {
            return static_cast<char>('0' + i);
        }
    }
    return std::nullopt;
}

// Bank letters in index order: "A".."J" are 0..9, "a".."j" are 10..19.
inline constexpr std::string_view kBankLetters = "ABCDEFGHIJabcdefghij";
inline constexpr int kBankCount = 20;

// The tuning steps the receiver knows, as its six-digit step codes.
inline constexpr std::array<std::string_view, 17> kStepCodes = {
    "000050", "000100", "000200", "000500", "001000", "002000", "005000", "006250", "008330",
    "009000", "010000", "012500", "020000", "025000", "030000", "050000", "100000"};

}  // namespace korvex
