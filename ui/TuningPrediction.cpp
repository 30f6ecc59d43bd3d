#include "ui/TuningPrediction.h"

#include <charconv>
#include <cstdint>

namespace korvex {

namespace {

// The digits of a text with its points removed, read as one decimal number.
std::optional<std::int64_t> digitsWithoutPoints(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c != '.') {
            digits += c;
        }
    }
    // Eighteen digits keep every sum below the range of the type.
    if (digits.empty() || digits.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size() || digits.front() == '-') {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::string> predictedFrequency(std::string_view line, std::string_view stepText,
                                              int steps) {
    const auto hz = digitsWithoutPoints(line);
    const auto tenHz = digitsWithoutPoints(stepText);
    if (!hz || !tenHz || *tenHz > 1'000'000) {
        return std::nullopt;
    }
    const std::int64_t result = *hz + *tenHz * 10 * steps;
    if (result < 0) {
        return std::nullopt;
    }
    std::string text = std::to_string(result);
    if (text.size() < 7) {
        text.insert(0, 7 - text.size(), '0');
    }
    text.insert(text.size() - 6, 1, '.');
    return text;
}

}  // namespace korvex
