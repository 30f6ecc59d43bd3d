// The text and lookup rules of the database list: how a field's value reads
// in a column, which mode a MOD text names, what Tune sends and where Jump
// lands, and the date forms "Add Database Entry" takes.

#include <array>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

#include "database/DbDao.h"
#include "database/DbTextRules.h"
#include "link/Commands.h"

namespace korvex::db {

namespace {

// Zero-padded decimal of at least `width` digits.
std::string padded(int value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return text;
}

std::string dateText(const DateTime& d) {
    return padded(d.year, 4) + "-" + padded(d.month, 2) + "-" + padded(d.day, 2);
}

std::string timeText(const DateTime& d) {
    return padded(d.hour, 2) + ":" + padded(d.minute, 2);
}

// A date/time value as the list shows it. The date counts in 1901..2999,
// the time when it is not midnight; a value with neither reads as "".
std::string dateTimeText(const DateTime& d) {
    if (!isValidDateTime(d)) {
        return "?date?";
    }
    const bool hasDate = d.year >= 1901 && d.year <= 2999;
    const bool hasTime = d.hour != 0 || d.minute != 0;
    if (hasDate && hasTime) {
        return dateText(d) + " " + timeText(d);
    }
    if (hasDate) {
        return dateText(d);
    }
    if (hasTime) {
        return timeText(d);
    }
    return {};
}

std::string numberText(double number, std::size_t role, bool inKhz) {
    if (role != 0) {
        return formatFixed(number, 6);
    }
    return inKhz ? formatFixed(number, 3, 7) : formatFixed(number, 6, 4);
}

// A FREQ text: "," read as ".", then the number at its start as FREQ
// numbers show. A text that does not start with a number stays as it is
// rather than reading as a frequency of zero.
std::string freqTextOf(std::string_view text, bool inKhz) {
    std::string dotted = trimmed(text);
    for (char& c : dotted) {
        if (c == ',') {
            c = '.';
        }
    }
    if (const auto number = leadingNumber(dotted)) {
        return numberText(*number, 0, inKhz);
    }
    return dotted;
}

}  // namespace

std::string recordText(const Value& value, int type, std::size_t role, bool inKhz) {
    if (value.kind == Value::Kind::Null) {
        return {};
    }
    if (!isSupportedType(type)) {
        return "?!?";
    }
    switch (value.kind) {
        case Value::Kind::Number:
            return trimmed(numberText(value.number, role, inKhz));
        case Value::Kind::Text:
            return role == 0 ? freqTextOf(value.text, inKhz) : trimmed(value.text);
        case Value::Kind::Date:
            return dateTimeText(value.date);
        case Value::Kind::BadDate:
            return "?date?";
        case Value::Kind::Null:
            break;
    }
    return {};
}

std::string previewText(const Value& value, int type) {
    if (!isSupportedType(type)) {
        return "?!?";
    }
    if (value.kind == Value::Kind::Number) {
        const std::string text = formatFixed(value.number, 6, 4);
        return text.front() == '-' ? text : " " + text;
    }
    return recordText(value, type, 1, false);
}

std::string modeInText(std::string_view modText) {
    std::string upper(modText);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    static constexpr std::array<std::string_view, 9> kSearchOrder = {
        "WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};
    for (const std::string_view name : kSearchOrder) {
        for (std::size_t at = upper.find(name); at != std::string::npos;
             at = upper.find(name, at + 1)) {
            // "AM" that ends "WAM" or "NAM" is those modes, found later.
            const bool endsWideOrNarrow =
                name == "AM" && at > 0 && (upper[at - 1] == 'W' || upper[at - 1] == 'N');
            if (!endsWideOrNarrow) {
                return std::string(name);
            }
        }
    }
    return {};
}

std::string tuneCommands(std::string_view freqText, std::string_view modText, bool inKhz,
                         bool mark2) {
    std::string commands =
        frequencyCommand(freqText, inKhz ? FrequencyUnit::kHz : FrequencyUnit::MHz, mark2);
    if (commands.empty()) {
        return {};
    }
    // Only a name from the fixed table goes out, never the MOD text itself.
    const std::string mode = modeInText(modText);
    if (!mode.empty()) {
        commands += cmd::modeSet(mode);
    }
    return commands;
}

std::optional<std::int64_t> frequencyDigits(std::string_view freqText) {
    std::string digits;
    for (char c : freqText) {
        if (c != '.' && c != ',') {
            digits += c;
        }
    }
    std::int64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    if (ec != std::errc() || ptr != end || digits.empty()) {
        return std::nullopt;
    }
    return value;
}

int jumpRow(const std::vector<std::string_view>& freqTexts, std::int64_t hertz) {
    for (std::size_t row = 0; row < freqTexts.size(); ++row) {
        const auto value = frequencyDigits(freqTexts[row]);
        if (value && *value >= hertz) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

std::optional<DateTime> parseEntryDate(std::string_view text) {
    const auto date = entryDateForm(text);
    if (!date || !isValidDateTime(*date)) {
        return std::nullopt;
    }
    return date;
}

}  // namespace korvex::db
