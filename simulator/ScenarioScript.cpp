// The scenario script: one transmission per line, "start_ms frequency_hz
// level duration_ms", or a carrier, "carrier frequency_hz half_width_hz level
// [on_ms off_ms [phase_ms]]"; "#" comments.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "model/BoundedFile.h"
#include "simulator/ReceiverState.h"
#include "simulator/Scenario.h"

namespace korvex::sim {

namespace {

constexpr const char* kFieldNames[] = {"start_ms", "frequency_hz", "level", "duration_ms"};
constexpr size_t kFieldCount = std::size(kFieldNames);
constexpr size_t kMaxDigits = 15;  // well beyond any field's range, far from overflow

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && isBlank(line[pos])) {
            ++pos;
        }
        const size_t begin = pos;
        while (pos < line.size() && !isBlank(line[pos])) {
            ++pos;
        }
        if (pos > begin) {
            fields.push_back(line.substr(begin, pos - begin));
        }
    }
    return fields;
}

bool isWholeNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The transmission of one line with its fields, or the reason it is none.
std::optional<Transmission> transmissionOf(const std::vector<std::string_view>& fields,
                                           std::string* reason) {
    if (fields.size() != kFieldCount) {
        *reason = "expected 4 numbers (start_ms frequency_hz level duration_ms), found " +
                  std::to_string(fields.size());
        return std::nullopt;
    }
    int64_t values[kFieldCount] = {};
    for (size_t i = 0; i < kFieldCount; ++i) {
        const std::string field(fields[i]);
        if (!isWholeNumber(field)) {
            *reason = std::string(kFieldNames[i]) + " \"" + field + "\" is not a whole number";
            return std::nullopt;
        }
        if (field.size() > kMaxDigits) {
            *reason = std::string(kFieldNames[i]) + " " + field + " is too large";
            return std::nullopt;
        }
        values[i] = std::stoll(field);
    }
    const auto [startMs, hz, level, durationMs] = values;
    if (hz < kLowestHz || hz > kHighestMarkTwoHz) {
        *reason = "frequency_hz " + std::to_string(hz) + " is outside " +
                  std::to_string(kLowestHz) + ".." + std::to_string(kHighestMarkTwoHz);
    } else if (level > 255) {
        *reason = "level " + std::to_string(level) + " is outside 0..255";
    } else if (durationMs < 1) {
        *reason = "duration_ms must be at least 1";
    } else {
        return Transmission{startMs, hz, static_cast<int>(level), durationMs};
    }
    return std::nullopt;
}

constexpr const char* kCarrierFieldNames[] = {"frequency_hz", "half_width_hz", "level",
                                              "on_ms",        "off_ms",        "phase_ms"};
constexpr int64_t kMaxCarrierMs = 24 * 3'600'000;  // a day; keeps every sum far from overflow

// The carrier of a "carrier" line's fields (the word itself left out).
std::optional<Carrier> carrierOf(const std::vector<std::string_view>& fields, std::string* reason) {
    if (fields.size() != 3 && fields.size() != 5 && fields.size() != 6) {
        *reason =
            "expected carrier frequency_hz half_width_hz level [on_ms off_ms [phase_ms]], found " +
            std::to_string(fields.size()) + " numbers";
        return std::nullopt;
    }
    int64_t values[6] = {0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string field(fields[i]);
        if (!isWholeNumber(field) || field.size() > kMaxDigits) {
            *reason = std::string(kCarrierFieldNames[i]) + " \"" + field +
                      "\" is not a whole number in range";
            return std::nullopt;
        }
        values[i] = std::stoll(field);
    }
    const auto [hz, halfWidth, level, onMs, offMs, phaseMs] = values;
    if (hz < kLowestHz || hz > kHighestMarkTwoHz) {
        *reason = "frequency_hz " + std::to_string(hz) + " is outside " +
                  std::to_string(kLowestHz) + ".." + std::to_string(kHighestMarkTwoHz);
    } else if (halfWidth < 1 || halfWidth > 10'000'000) {
        *reason = "half_width_hz must be 1..10000000";
    } else if (level > 255) {
        *reason = "level " + std::to_string(level) + " is outside 0..255";
    } else if (onMs > kMaxCarrierMs || offMs > kMaxCarrierMs || phaseMs > kMaxCarrierMs) {
        *reason = "on_ms, off_ms and phase_ms must be at most " + std::to_string(kMaxCarrierMs);
    } else {
        return Carrier{hz,
                       halfWidth,
                       static_cast<int>(level),
                       static_cast<int>(onMs),
                       static_cast<int>(offMs),
                       static_cast<int>(phaseMs)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Scenario> parseScenario(std::string_view text, std::string* error) {
    Scenario s;
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        const auto fields = fieldsOf(line);
        if (fields.empty()) {
            continue;
        }
        std::string reason;
        if (fields.front() == "carrier") {
            const auto c = carrierOf({fields.begin() + 1, fields.end()}, &reason);
            if (c) {
                s.carriers.push_back(*c);
                continue;
            }
        } else if (const auto t = transmissionOf(fields, &reason)) {
            s.transmissions.push_back(*t);
            continue;
        }
        if (error != nullptr) {
            *error = "line " + std::to_string(number) + ": " + reason;
        }
        return std::nullopt;
    }
    std::stable_sort(
        s.transmissions.begin(), s.transmissions.end(),
        [](const Transmission& a, const Transmission& b) { return a.startMs < b.startMs; });
    return s;
}

std::optional<Scenario> readScenarioFile(const std::string& path, std::string* error) {
    BoundedFile file = readFileBounded(path, kScenarioFileLimit);
    if (!file) {
        if (error != nullptr) {
            switch (file.failure) {
                case ReadFailure::TooLarge:
                    *error = path + ": larger than " + byteCountText(kScenarioFileLimit);
                    break;
                case ReadFailure::NotRegular:
                    *error = path + ": " +
                             (file.error != 0 ? std::strerror(file.error) : "not a regular file");
                    break;
                default:
                    *error = path + ": " + std::strerror(file.error);
            }
        }
        return std::nullopt;
    }
    const std::string& text = file.bytes;
    std::string reason;
    auto s = parseScenario(text, &reason);
    if (!s && error != nullptr) {
        *error = path + ": " + reason;
    }
    return s;
}

}  // namespace korvex::sim
