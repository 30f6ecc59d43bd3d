#include "database/CellText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace korvex::db {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Reads exactly `count` digits at `at`; -1 when any is no digit.
int digits(std::string_view s, std::size_t at, std::size_t count) {
    if (at + count > s.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(s[i])) {
            return -1;
        }
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "HH:MM" or "HH:MM:SS" exactly.
bool parseTime(std::string_view s, DateTime& out) {
    if (s.size() != 5 && s.size() != 8) {
        return false;
    }
    const int hour = digits(s, 0, 2);
    const int minute = digits(s, 3, 2);
    const int second = s.size() == 8 ? digits(s, 6, 2) : 0;
    if (s[2] != ':' || (s.size() == 8 && s[5] != ':') || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59) {
        return false;
    }
    out.hour = hour;
    out.minute = minute;
    out.second = second;
    return true;
}

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    // Only the plain decimal forms: from_chars would also take "inf", "nan"
    // and hexadecimal digits.
    std::size_t i = !s.empty() && s.front() == '-' ? 1 : 0;
    std::size_t mantissa = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++mantissa;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++mantissa;
        }
    }
    if (mantissa == 0) {
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
        }
        if (i == start) {
            return std::nullopt;
        }
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<DateTime> parseDateText(std::string_view text, bool timeAlone) {
    const std::string_view s = trimBlanks(text);
    DateTime out;
    if (timeAlone && s.size() <= 8 && parseTime(s, out)) {
        out.year = 1899;
        out.month = 12;
        out.day = 30;
        return out;
    }
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') {
        return std::nullopt;
    }
    out.year = digits(s, 0, 4);
    out.month = digits(s, 5, 2);
    out.day = digits(s, 8, 2);
    if (out.year < 0 || out.month < 1 || out.month > 12 || out.day < 1 ||
        out.day > daysInMonth(out.year, out.month)) {
        return std::nullopt;
    }
    if (s.size() == 10) {
        return out;
    }
    if (s[10] != ' ' || !parseTime(s.substr(11), out)) {
        return std::nullopt;
    }
    return out;
}

std::optional<DateTime> dateFromSerial(double serial) {
    // Years 100..9999, the range spreadsheets know.
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) {
        return std::nullopt;
    }
    long long days = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Civil date from days since 1970-01-01 (shifted from 1899-12-30).
    const long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    DateTime out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return out;
}

std::string numberText(double value) {
    char buffer[64];
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    std::string text = buffer;
    return text == "-0" ? "0" : text;
}

std::string plainNumberText(double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) {
        return {};
    }
    std::string text(buffer, end);
    return text == "-0" ? "0" : text;
}

std::string dateText(const DateTime& date) {
    char buffer[48];
    if (date.hour == 0 && date.minute == 0 && date.second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    } else if (date.second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", date.year, date.month,
                      date.day, date.hour, date.minute);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                      date.day, date.hour, date.minute, date.second);
    }
    return buffer;
}

std::string unnamedColumn(std::size_t index) {
    return "F" + std::to_string(index + 1);
}

}  // namespace korvex::db
