#pragma once

#include <string>
#include <string_view>

namespace korvex {

// The unit a caller's frequency text is written in.
enum class FrequencyUnit { MHz, kHz };

// Upper tuning limits in MHz, without and with the MARK II option.
inline constexpr int kFrequencyLimitMHz = 2040;
inline constexpr int kFrequencyLimitMark2MHz = 3000;

// Turns a typed, looked-up or clicked frequency into the receiver's frequency
// argument: "RF" and ten digits (four MHz, six Hz) on the 50 Hz grid, from
// 0.1 MHz up to 2040 MHz (3000 MHz when mark2 is set). Returns "" when the text
// is not a valid frequency.
std::string frequencyText(std::string_view text, FrequencyUnit unit, bool mark2);

// A frequency from a file ("0145.500000", MHz) as the receiver holds it, by
// the rules of frequencyText: "" when it cannot hold it.
std::string heldFrequency(std::string_view mhz, bool mark2);

}  // namespace korvex
