#include "model/CsvBank.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "model/Tables.h"

namespace korvex::csv {

namespace {

constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::int64_t kHighestHz = 9'999'999'999;

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == cp) {
            return static_cast<char>(0x80 + k);
        }
    }
    return '?';
}

// A decimal number of MHz as the receiver's frequency with point,
// "0145.500000"; nullopt outside 0 < f <= 9999.999999 MHz. Digits past
// the Hz are rounded.
std::optional<std::string> frequencyField(std::string_view text) {
    text = trimmed(text);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || whole.size() > 4) {
        return std::nullopt;
    }
    const auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(whole) || !digits(fraction)) {
        return std::nullopt;
    }
    std::int64_t hz = 0;
    for (const char c : whole) {
        hz = hz * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < 6; ++i) {
        hz = hz * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    }
    if (fraction.size() > 6 && fraction[6] >= '5') {
        ++hz;
    }
    if (hz <= 0 || hz > kHighestHz) {
        return std::nullopt;
    }
    std::string ten = std::to_string(hz);
    ten.insert(0, 10 - ten.size(), '0');
    return ten.substr(0, 4) + "." + ten.substr(4);
}

// The step code of a step in kHz, with its point: "012.500" for "12.5";
// 12.5 kHz when the cell is empty, nullopt for a step the receiver does not
// know (it has only the steps of kStepCodes).
std::optional<std::string> stepField(std::string_view text) {
    text = trimmed(text);
    std::string code = "012500";
    if (!text.empty()) {
        const std::size_t point = text.find('.');
        const std::string_view whole = text.substr(0, point);
        std::string_view fraction =
            point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
        // Trailing zeros say nothing ("12.500" is 12.5 kHz); past them, a
        // step finer than 1 Hz is none the receiver has.
        while (fraction.size() > 3 && fraction.back() == '0') {
            fraction.remove_suffix(1);
        }
        const auto digits = [](std::string_view s) {
            return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (whole.size() > 3 || fraction.size() > 3 || (whole.empty() && fraction.empty()) ||
            !digits(whole) || !digits(fraction)) {
            return std::nullopt;
        }
        code = std::string(3 - whole.size(), '0') + std::string(whole) + std::string(fraction) +
               std::string(3 - fraction.size(), '0');
        if (std::find(kStepCodes.begin(), kStepCodes.end(), code) == kStepCodes.end()) {
            return std::nullopt;
        }
    }
    return code.substr(0, 3) + "." + code.substr(3);
}

// The mode as the receiver knows it; nullopt for a mode written as NFM.
std::optional<std::string> modeField(std::string_view text) {
    std::string mode(trimmed(text));
    for (char& c : mode) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (mode == "FM") {
        return std::string("NFM");
    }
    if (modeDigitFromName(mode)) {
        return mode;
    }
    return std::nullopt;
}

bool hasWord(std::string_view text, std::string_view word) {
    const std::string up = [&] {
        std::string s(text);
        for (char& c : s) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return s;
    }();
    std::size_t at = 0;
    while ((at = up.find(word, at)) != std::string::npos) {
        const bool startOk = at == 0 || !std::isalnum(static_cast<unsigned char>(up[at - 1]));
        const std::size_t after = at + word.size();
        const bool endOk =
            after >= up.size() || !std::isalnum(static_cast<unsigned char>(up[after]));
        if (startOk && endOk) {
            return true;
        }
        at = after;
    }
    return false;
}

std::string nameField(std::string_view text) {
    std::string name;
    for (const char c : utf8ToCp1252(trimmed(text))) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            name += c;
        }
    }
    return name.substr(0, kNameLength);
}

std::string withoutLeadingZeros(std::string_view text) {
    std::string out(text);
    std::size_t cut = 0;
    while (cut + 1 < out.size() && out[cut] == '0' && out[cut + 1] != '.') {
        ++cut;
    }
    return out.substr(cut);
}

std::string quoted(std::string_view field) {
    if (field.find_first_of(",;\"\r\n") == std::string_view::npos) {
        return std::string(field);
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

}  // namespace

std::string utf8ToCp1252(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            cp = b & 0x07;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        out += cp1252Byte(cp);
        i += length;
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(out, b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : b);
    }
    return out;
}

RecordsEnd forEachRecord(std::string_view text, char separator,
                         const std::function<bool(std::vector<std::string>& record)>& take,
                         const RecordLimits& limits) {
    std::vector<std::string> record;
    std::string field;
    bool quotedField = false;
    bool any = false;
    // Checked as the record grows, so memory never runs ahead of the limits.
    const auto addChar = [&](char c) {
        if (field.size() >= limits.fieldBytes) {
            return false;
        }
        field += c;
        return true;
    };
    const auto endField = [&] {
        if (record.size() >= limits.fields) {
            return false;
        }
        record.push_back(std::move(field));
        field.clear();
        return true;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quotedField) {
            if (c == '"' && !(i + 1 < text.size() && text[i + 1] == '"')) {
                quotedField = false;
                continue;
            }
            if (c == '"') {
                ++i;  // a doubled quote is one quote
            }
            if (!addChar(c)) {
                return RecordsEnd::FieldTooLong;
            }
            continue;
        }
        if (c == '"') {
            quotedField = true;
            any = true;
        } else if (c == separator) {
            if (!endField()) {
                return RecordsEnd::TooManyFields;
            }
            any = true;
        } else if (c == '\n') {
            if (any || !field.empty()) {
                if (!endField()) {
                    return RecordsEnd::TooManyFields;
                }
                if (!take(record)) {
                    return RecordsEnd::Stopped;
                }
            }
            record.clear();
            field.clear();
            any = false;
        } else if (c != '\r') {
            if (!addChar(c)) {
                return RecordsEnd::FieldTooLong;
            }
            any = true;
        }
    }
    if (any || !field.empty()) {
        if (!endField()) {
            return RecordsEnd::TooManyFields;
        }
        if (!take(record)) {
            return RecordsEnd::Stopped;
        }
    }
    return RecordsEnd::Complete;
}

std::string beyondLimitsText(RecordsEnd end, const RecordLimits& limits) {
    if (end == RecordsEnd::TooManyFields) {
        return "a record has more than " + std::to_string(limits.fields) + " fields";
    }
    if (end == RecordsEnd::FieldTooLong) {
        return "a field is longer than " + std::to_string(limits.fieldBytes / 1024) + " KB";
    }
    return {};
}

std::vector<std::vector<std::string>> parseRecords(std::string_view text, char separator,
                                                   const RecordLimits& limits) {
    std::vector<std::vector<std::string>> records;
    const RecordsEnd end = forEachRecord(
        text, separator,
        [&](std::vector<std::string>& record) {
            records.push_back(std::move(record));
            return true;
        },
        limits);
    if (end != RecordsEnd::Complete) {
        records.clear();
    }
    return records;
}

std::string exportBank(const std::vector<ChannelRecord>& rows) {
    std::string out(kHeader);
    out += "\r\n";
    for (const ChannelRecord& row : rows) {
        if (isEmptyField(row[ChannelRecord::kPass]) || row[ChannelRecord::kChannel].size() != 3) {
            continue;
        }
        std::string name = row[ChannelRecord::kText];
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
        std::string comment;
        if (row[ChannelRecord::kAttenuator] == "1") {
            comment = "ATT";
        }
        if (row[ChannelRecord::kAutoMode] != "0") {
            comment += comment.empty() ? "AUTO" : " AUTO";
        }
        const std::string location =
            std::to_string(std::atoi(row[ChannelRecord::kChannel].substr(1).c_str()));
        const std::array<std::string, 21> fields = {
            location,
            quoted(cp1252ToUtf8(name)),
            withoutLeadingZeros(row[ChannelRecord::kFrequency]),
            "",
            "0.000000",
            "",
            "88.5",
            "88.5",
            "023",
            "NN",
            "023",
            "Tone->Tone",
            quoted(row[ChannelRecord::kMode]),
            withoutLeadingZeros(row[ChannelRecord::kStep]),
            row[ChannelRecord::kPass] == "1" ? "S" : "",
            "",
            comment,
            "",
            "",
            "",
            ""};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            out += (i == 0 ? "" : ",") + fields[i];
        }
        out += "\r\n";
    }
    return out;
}

ImportResult importBank(std::string_view text, char target, std::size_t bankSize,
                        const FrequencyRule& frequencyRule) {
    ImportResult result;
    bankSize = std::min<std::size_t>(bankSize, 100);  // two-digit channel numbers
    result.channels.resize(bankSize);
    if (text.starts_with(kBom)) {
        text.remove_prefix(kBom.size());
    }
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    const auto commas = std::count(firstLine.begin(), firstLine.end(), ',');
    const auto semicolons = std::count(firstLine.begin(), firstLine.end(), ';');
    const char separator = semicolons > commas ? ';' : ',';
    enum Column { Location, Name, Frequency, Mode, Step, Comment, Count };
    constexpr std::array<std::string_view, Count> kNames = {"location", "name",  "frequency",
                                                            "mode",     "tstep", "comment"};
    std::array<int, Count> column{};
    column.fill(-1);
    const auto cell = [&](const std::vector<std::string>& record, Column c) -> std::string_view {
        const int at = column[c];
        return at >= 0 && static_cast<std::size_t>(at) < record.size()
                   ? std::string_view(record[static_cast<std::size_t>(at)])
                   : std::string_view{};
    };
    // Records are taken one at a time: a record that finds its location free
    // is placed at once; the others wait, in file order, for the free slots
    // left at the end. More waiting records than slots cannot be placed, so
    // no more than that are kept.
    std::vector<ChannelRecord> waiting;
    bool header = true;
    const RecordsEnd end =
        forEachRecord(text, separator, [&](const std::vector<std::string>& record) {
            if (header) {
                header = false;
                for (std::size_t i = 0; i < record.size(); ++i) {
                    const std::string name = lower(trimmed(record[i]));
                    for (std::size_t k = 0; k < kNames.size(); ++k) {
                        if (name == kNames[k] && column[k] < 0) {
                            column[k] = static_cast<int>(i);
                        }
                    }
                }
                result.hasFrequencyColumn = column[Frequency] >= 0;
                return true;
            }
            std::optional<std::string> frequency =
                result.hasFrequencyColumn ? frequencyField(cell(record, Frequency)) : std::nullopt;
            if (frequency && frequencyRule) {
                frequency = frequencyRule(*frequency);
            }
            const std::optional<std::string> step = stepField(cell(record, Step));
            if (!frequency || !step) {
                ++result.unusable;
                return true;
            }
            ChannelRecord p;
            p[ChannelRecord::kPass] = "+";
            p[ChannelRecord::kFrequency] = *frequency;
            p[ChannelRecord::kStep] = *step;
            const std::string_view comment = cell(record, Comment);
            p[ChannelRecord::kAutoMode] = hasWord(comment, "AUTO") ? "1" : "0";
            const auto mode = modeField(cell(record, Mode));
            if (!mode) {
                ++result.unknownModes;
            }
            p[ChannelRecord::kMode] = mode.value_or("NFM");
            p[ChannelRecord::kAttenuator] = hasWord(comment, "ATT") ? "1" : "0";
            p[ChannelRecord::kText] = nameField(cell(record, Name));
            const std::string location(trimmed(cell(record, Location)));
            if (!location.empty() && location.size() <= 4 &&
                std::all_of(location.begin(), location.end(),
                            [](char c) { return c >= '0' && c <= '9'; })) {
                const auto n = static_cast<std::size_t>(std::stoi(location));
                if (n < bankSize && !result.channels[n]) {
                    result.channels[n] = std::move(p);
                    return true;
                }
            }
            if (waiting.size() < bankSize) {
                waiting.push_back(std::move(p));
            } else {
                ++result.unusable;
            }
            return true;
        });
    if (end != RecordsEnd::Complete) {
        ImportResult refused;
        refused.channels.resize(bankSize);
        refused.hasFrequencyColumn = result.hasFrequencyColumn;
        refused.refused = beyondLimitsText(end);
        return refused;
    }
    if (!result.hasFrequencyColumn) {
        return result;
    }
    std::size_t free = 0;
    for (ChannelRecord& record : waiting) {
        while (free < bankSize && result.channels[free]) {
            ++free;
        }
        if (free >= bankSize) {
            ++result.unusable;
            continue;
        }
        result.channels[free] = std::move(record);
    }
    for (std::size_t n = 0; n < bankSize; ++n) {
        if (result.channels[n]) {
            ++result.placed;
            std::string channel(1, target);
            channel += static_cast<char>('0' + n / 10);
            channel += static_cast<char>('0' + n % 10);
            (*result.channels[n])[ChannelRecord::kChannel] = channel;
        }
    }
    return result;
}

}  // namespace korvex::csv
