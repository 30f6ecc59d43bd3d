#include "database/DbTextRules.h"

#include "database/CellText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace korvex::db {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of the digits text[from, from + count).
int digitsValue(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// True when the text has the shape: a digit wherever the shape has a "9",
// the shape's own character everywhere else.
bool hasShape(std::string_view text, std::string_view shape) {
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (shape[i] == '9' ? !isDigit(text[i]) : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

// from_chars reads "inf" and "nan" too; a number here starts with a digit or
// a point followed by one.
bool startsLikeNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
    }
    return !text.empty() && isDigit(text.front());
}

}  // namespace

std::string trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string formatFixed(double number, int precision, int width) {
    // 309 integer digits at most, a sign, a point and the decimals.
    char buffer[400];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, precision);
    std::string text = ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    }
    return text;
}

std::optional<double> leadingNumber(std::string_view text) {
    if (!startsLikeNumber(text)) {
        return std::nullopt;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool isValidDateTime(const DateTime& d) {
    if (d.month < 1 || d.month > 12 || d.day < 1) {
        return false;
    }
    return d.day <= daysInMonth(d.year, d.month) && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 &&
           d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

std::optional<DateTime> entryDateForm(std::string_view text) {
    DateTime d;
    if (hasShape(text, "9999-99-99 99:99") || hasShape(text, "9999-99-99")) {
        d.year = digitsValue(text, 0, 4);
        d.month = digitsValue(text, 5, 2);
        d.day = digitsValue(text, 8, 2);
        if (text.size() == 16) {
            d.hour = digitsValue(text, 11, 2);
            d.minute = digitsValue(text, 14, 2);
        }
        return d;
    }
    if (hasShape(text, "99:99")) {
        // A time alone lies on the engine's day zero.
        d.year = 1899;
        d.month = 12;
        d.day = 30;
        d.hour = digitsValue(text, 0, 2);
        d.minute = digitsValue(text, 3, 2);
        return d;
    }
    return std::nullopt;
}

}  // namespace korvex::db
