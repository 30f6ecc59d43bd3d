#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Records.h"

namespace korvex {

// ---- tag helpers ----
// Every helper clips to the line: nothing here reads outside the view it is given.

// Up to n characters of the line from pos; empty when pos is at or past the end.
std::string_view charsAt(std::string_view line, std::size_t pos, std::size_t n);

// Up to n characters that follow a two-letter tag found at tagPos.
inline std::string_view afterTag(std::string_view line, std::size_t tagPos, std::size_t n) {
    return charsAt(line, tagPos + 2, n);
}

// The first position at or after from where tag stands in field position: at
// the start of the line or right after a blank. npos when there is none.
std::size_t findFieldTag(std::string_view line, std::string_view tag, std::size_t from = 0);

// A flag character reads as on when it is "1" or greater.
inline bool flagOn(char c) {
    return static_cast<unsigned char>(c) >= '1';
}

// The flag character right after a two-letter tag at tagPos; nullopt when the
// line ends there.
std::optional<bool> flagAfterTag(std::string_view line, std::size_t tagPos);

// A text made only of decimal digits (at most 18 of them) as a number;
// nullopt for anything else, the empty text included.
std::optional<std::int64_t> parseDigits(std::string_view text);

// The line up to its free-text field ("TM" or "TT" in field position), where
// the tags of a report are looked for, so a name such as "ST MARY" is never
// taken for a field.
std::string_view headBeforeText(std::string_view line);

// ---- value texts ----

// The receiver's ten frequency digits with "." after the fourth: "0145.500000".
// A shorter text gets the point only when it has more than four characters.
std::string frequencyWithPoint(std::string_view tenDigits);

// The frequency as shown: with the point, leading zeros removed down to the
// one before the point: "145.500000", "0.100000".
std::string displayFrequency(std::string_view tenDigits);

// The receiver's six step digits with "." after the third: "012.500".
std::string stepWithPoint(std::string_view sixDigits);

// The mode name of a receiver mode digit "0".."8"; any other text is kept as it is.
std::string modeTextFromDigit(std::string_view digit);

// ---- report lines ----

// A memory-channel report ("MA" pages, "RX" replies and the channel-write
// command text): "MXA00 MP0 RF0101100000 ST100000 AU0 MD0 AT0 TMname".
// False, and out untouched, when the line holds no "MX". A slot without "RF"
// is the empty slot: the channel and EMPTY_FIELD everywhere else. A missing
// tag leaves EMPTY_FIELD, except the pass flag, which reads "0".
bool decodeMemoryChannel(std::string_view line, ChannelRecord& out);

// A search-bank report: "SRA SL0080000000 SU0108000000 ST100000 AU0 MD0 AT0 TTname".
// The bank letter is at position 2; a bank without "SL" is an empty slot.
void decodeSearchBank(std::string_view line, ChannelRecord& out);

// A select-scan report: "GR00 MXA00 RF0145500000 ST012500 AU0 MD1 AT0 TMname".
// The end entry is the one without a link channel.
void decodeSelectScan(std::string_view line, ChannelRecord& out);

// A pass-frequency report: "PRA00 0145500000"; a line holding "---" is the
// end entry, whose frequency is EMPTY_FIELD.
void decodePassFrequency(std::string_view line, PassFrequencyRecord& out);

// The tags of one kind of group report, for fields 1 to 5 of a GroupRecord.
struct GroupTags {
    std::string_view delay;
    std::string_view levelSquelch;
    std::string_view voiceSquelch;
    std::string_view freePause;
    std::string_view option;
};
inline constexpr GroupTags kScanGroupTags{"XD", "XB", "XA", "XP", "XM"};
inline constexpr GroupTags kSearchGroupTags{"SD", "SB", "SA", "SP", "AS"};
inline constexpr GroupTags kVfoSearchTags{"DD", "DB", "DA", "DP", "VT"};

// Fields 1 to 5 of a group report such as "GM0 XD1.0 XB 100 XA 050 XP05 XM0":
// the delay from the characters 2 and 4 after its tag ("1.0" gives "10"), the
// squelch levels as 3 characters from 3 after theirs (skipping the blank or
// "+"), the free pause as 2 from 2, the option as 1. A missing tag gives
// EMPTY_FIELD.
void decodeGroupFields(std::string_view line, const GroupTags& tags, GroupRecord& out);

}  // namespace korvex
