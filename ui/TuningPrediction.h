#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The frequency line a step-tuning key is expected to leave behind, shown
// until the receiver's own report replaces it. `line` is the shown line
// ("0145.500000", MHz), `stepText` the step selector's text ("12.50", kHz),
// `steps` +1, +10, -1 or -10. The result carries six decimals without
// leading zeros ("145.625000"); nullopt when either text is no number or the
// result would fall below 0.
std::optional<std::string> predictedFrequency(std::string_view line, std::string_view stepText,
                                              int steps);

}  // namespace korvex
