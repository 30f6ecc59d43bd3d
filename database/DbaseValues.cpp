#include "database/DbaseValues.h"

#include "database/CellText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace korvex::db {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\0';
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view trim(std::string_view s) {
    s = trimRight(s);
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isValidDate(int year, int month, int day) {
    return year >= 0 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

// A decimal number as dBASE stores it ("  -12.5", "1,5" from some writers);
// nullopt for anything else.
std::optional<double> dbaseNumber(std::string_view s) {
    std::string text(trim(s));
    if (text.find('.') == std::string::npos) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return parseNumber(text);
}

std::string shortest(double value) {
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

std::string describe(const DbaseFieldLayout& field, std::string_view name) {
    std::string text = std::string(name) + " (" + field.type;
    if (field.type == 'N' || field.type == 'F') {
        text += " " + std::to_string(field.width) + "." + std::to_string(field.decimals);
    } else if (field.type == 'C') {
        text += " " + std::to_string(field.width);
    }
    return text + ")";
}

std::string padRight(std::string text, int width) {
    text.resize(static_cast<std::size_t>(width), ' ');
    return text;
}

std::optional<std::string> encodeNumber(const DbaseFieldLayout& field, std::string_view name,
                                        double value, std::string& error) {
    if (!std::isfinite(value)) {
        error = "Field " + describe(field, name) + " takes no infinite number.";
        return std::nullopt;
    }
    char buffer[400];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::fixed, field.decimals);
    const auto length = static_cast<int>(ptr - buffer);
    if (ec != std::errc() || length > field.width) {
        error = "Value " + shortest(value) + " does not fit field " + describe(field, name) + ".";
        return std::nullopt;
    }
    return std::string(static_cast<std::size_t>(field.width - length), ' ') +
           std::string(buffer, ptr);
}

std::string dateText(const DateTime& d, const char* format) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, d.year, d.month, d.day);
    return buffer;
}

}  // namespace

int dbaseFieldType(char letter) {
    switch (letter) {
        case 'C':
            return kText;
        case 'N':
        case 'F':
            return kDouble;
        case 'D':
            return kDateTime;
        case 'L':
            return kBoolean;
        case 'M':
            return kMemo;
        case 'I':
            return kLong;
        default:
            return kUnknownDbaseType;
    }
}

Value decodeDbaseField(const DbaseFieldLayout& field, std::string_view raw,
                       const TextCodec& codec) {
    switch (field.type) {
        case 'C': {
            const std::string_view text = trimRight(raw);
            return text.empty() ? Value::null() : Value::ofText(codec.toUtf8(text));
        }
        case 'N':
        case 'F': {
            const auto number = dbaseNumber(raw);
            return number ? Value::ofNumber(*number) : Value::null();
        }
        case 'D': {
            const std::string_view text = trim(raw);
            if (text.empty() || text == "00000000") {
                return Value::null();
            }
            if (text.size() == 8 && allDigits(text)) {
                DateTime d;
                d.year = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 +
                         (text[3] - '0');
                d.month = (text[4] - '0') * 10 + (text[5] - '0');
                d.day = (text[6] - '0') * 10 + (text[7] - '0');
                if (isValidDate(d.year, d.month, d.day)) {
                    return Value::ofDate(d);
                }
            }
            Value bad;
            bad.kind = Value::Kind::BadDate;
            bad.text = codec.toUtf8(text);
            return bad;
        }
        case 'L': {
            const std::string_view text = trim(raw);
            if (text.size() == 1 &&
                std::string_view("TtYy").find(text[0]) != std::string_view::npos) {
                return Value::ofNumber(1.0);
            }
            if (text.size() == 1 &&
                std::string_view("FfNn").find(text[0]) != std::string_view::npos) {
                return Value::ofNumber(0.0);
            }
            return Value::null();
        }
        case 'M':
            // The memo's text lives in a .dbt file this engine does not read.
            return Value::null();
        case 'I': {
            if (raw.size() != 4) {
                return Value::null();
            }
            std::uint32_t bits = 0;
            for (int i = 3; i >= 0; --i) {
                bits = bits << 8 | static_cast<unsigned char>(raw[static_cast<std::size_t>(i)]);
            }
            return Value::ofNumber(static_cast<double>(static_cast<std::int32_t>(bits)));
        }
        default: {
            const std::string_view text = trim(raw);
            return text.empty() ? Value::null() : Value::ofText(codec.toUtf8(text));
        }
    }
}

std::optional<std::string> encodeDbaseField(const DbaseFieldLayout& field, std::string_view name,
                                            const Value& value, const TextCodec& codec,
                                            std::string& error) {
    const std::string blank(static_cast<std::size_t>(field.width), ' ');
    if (value.kind == Value::Kind::Null) {
        return field.type == 'L' ? padRight("?", field.width) : blank;
    }
    switch (field.type) {
        case 'C': {
            std::string text;
            if (value.kind == Value::Kind::Text || value.kind == Value::Kind::BadDate) {
                text = value.text;
            } else if (value.kind == Value::Kind::Number) {
                text = shortest(value.number);
            } else {
                text = dateText(value.date, "%04d-%02d-%02d");
                if (value.date.hour != 0 || value.date.minute != 0) {
                    char time[16];
                    std::snprintf(time, sizeof time, " %02d:%02d", value.date.hour,
                                  value.date.minute);
                    text += time;
                }
            }
            const auto bytes = codec.fromUtf8(text);
            if (!bytes) {
                error = "The text \"" + text + "\" holds characters that field " +
                        describe(field, name) + " cannot store in code page " + codec.codePage() +
                        ".";
                return std::nullopt;
            }
            if (bytes->size() > static_cast<std::size_t>(field.width)) {
                error = "The text \"" + text + "\" is longer than field " + describe(field, name) +
                        " holds.";
                return std::nullopt;
            }
            return padRight(*bytes, field.width);
        }
        case 'N':
        case 'F': {
            if (value.kind == Value::Kind::Number) {
                return encodeNumber(field, name, value.number, error);
            }
            if (value.kind == Value::Kind::Text) {
                if (const auto number = dbaseNumber(value.text)) {
                    return encodeNumber(field, name, *number, error);
                }
            }
            error = "Field " + describe(field, name) + " takes numbers only.";
            return std::nullopt;
        }
        case 'D': {
            if (value.kind == Value::Kind::Date && field.width >= 8 &&
                isValidDate(value.date.year, value.date.month, value.date.day)) {
                return padRight(dateText(value.date, "%04d%02d%02d"), field.width);
            }
            error = "Field " + describe(field, name) + " takes valid dates only.";
            return std::nullopt;
        }
        case 'L': {
            if (value.kind == Value::Kind::Number) {
                return padRight(value.number != 0.0 ? "T" : "F", field.width);
            }
            error = "Field " + describe(field, name) + " takes yes or no only.";
            return std::nullopt;
        }
        default:
            error = "Field " + describe(field, name) + " cannot be written.";
            return std::nullopt;
    }
}

}  // namespace korvex::db
