#pragma once

// The clipboard record of one memory channel: "Korvex:::" and the eight
// texts of the row joined by TABs, in Windows-1252 bytes.

#include <optional>
#include <string>
#include <string_view>

#include "model/Records.h"

namespace korvex::clip {

inline constexpr std::string_view kPrefix = "Korvex:::";
// A rest after the prefix this short or shorter holds no channel.
inline constexpr std::size_t kShortestIgnored = 19;
// A record a copy makes is far shorter than this; a longer text (up to its
// first NUL) is no record. The paste reads no more of the clipboard than this
// and one character.
inline constexpr std::size_t kLongestRecord = 1024;

std::string makeRecord(const ChannelRecord& row);

// The record's fields with its channel replaced by target; nullopt for a
// text that is no record (no prefix, too short, too long) or whose frequency, step,
// mode or attenuator could not make a channel write.
std::optional<ChannelRecord> parseRecord(std::string_view text, std::string_view target);

}  // namespace korvex::clip
