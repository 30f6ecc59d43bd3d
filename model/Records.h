#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

// The marker the receiver model puts into every field of an empty slot: three
// degree signs in Windows-1252. Emptiness is decided on the first byte only.
inline constexpr std::string_view EMPTY_FIELD = "\xB0\xB0\xB0";
inline constexpr char EMPTY_BYTE = '\xB0';

inline bool isEmptyField(std::string_view field) {
    return !field.empty() && field.front() == EMPTY_BYTE;
}

// One memory channel, search bank or select-scan entry: eight texts whose
// meaning depends on the list the record lives in.
struct ChannelRecord {
    // Memory channel meaning.
    static constexpr std::size_t kChannel = 0;  // bank letter and two digits
    static constexpr std::size_t kPass = 1;
    static constexpr std::size_t kFrequency = 2;
    static constexpr std::size_t kStep = 3;
    static constexpr std::size_t kAutoMode = 4;
    static constexpr std::size_t kMode = 5;
    static constexpr std::size_t kAttenuator = 6;
    static constexpr std::size_t kText = 7;
    // Search bank meaning of fields 0..2.
    static constexpr std::size_t kBank = 0;
    static constexpr std::size_t kLower = 1;
    static constexpr std::size_t kUpper = 2;
    // Select-scan meaning of fields 0..2.
    static constexpr std::size_t kIndex = 0;
    static constexpr std::size_t kLink = 1;
    static constexpr std::size_t kFieldCount = 8;
    // The most characters of a channel's text the receiver keeps.
    static constexpr std::size_t kTextLength = 12;
    // The widest text of each memory-channel field as the bank view shows
    // it: "A05", "1", "0080.200000", "012.500", "0", "NFM", "0", the text.
    static constexpr std::array<std::size_t, kFieldCount> kWidths = {3, 1, 11, 7,
                                                                     1, 3, 1,  kTextLength};

    std::array<std::string, kFieldCount> field{};

    std::string& operator[](std::size_t i) { return field[i]; }
    const std::string& operator[](std::size_t i) const { return field[i]; }

    // A slot without a frequency: the key in field 0, EMPTY_FIELD elsewhere.
    static ChannelRecord emptySlot(std::string_view key);
    // Every field EMPTY_FIELD.
    static ChannelRecord allEmpty();

    bool operator==(const ChannelRecord&) const = default;
};

// One pass-frequency entry: "PR" + bank (or "V") + two digits, and the
// frequency text or EMPTY_FIELD for a free entry.
struct PassFrequencyRecord {
    static constexpr std::size_t kChannel = 0;
    static constexpr std::size_t kFrequency = 1;
    static constexpr std::size_t kFieldCount = 2;

    std::array<std::string, kFieldCount> field{};

    std::string& operator[](std::size_t i) { return field[i]; }
    const std::string& operator[](std::size_t i) const { return field[i]; }

    bool operator==(const PassFrequencyRecord&) const = default;
};

// A scan group, search group or the VFO-search settings.
struct GroupRecord {
    static constexpr std::size_t kNumber = 0;
    static constexpr std::size_t kDelay = 1;         // two digits, seconds and tenths
    static constexpr std::size_t kLevelSquelch = 2;  // three digits 0..255
    static constexpr std::size_t kVoiceSquelch = 3;  // three digits 0..255
    static constexpr std::size_t kFreePause = 4;     // two digits 0..60
    static constexpr std::size_t kOption = 5;        // one character
    static constexpr std::size_t kBankLink = 6;      // one character per bank, "-" = not linked
    static constexpr std::size_t kFieldCount = 7;

    std::array<std::string, kFieldCount> field{};

    std::string& operator[](std::size_t i) { return field[i]; }
    const std::string& operator[](std::size_t i) const { return field[i]; }

    bool operator==(const GroupRecord&) const = default;
};

}  // namespace korvex
