#include "log/ActivityReport.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <unordered_map>

namespace korvex {

namespace {

// The value of a run of decimal digits; nothing when any other character
// is in it or it is empty.
std::optional<std::int64_t> digitsValue(std::string_view text) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<std::chrono::year_month_day> calendarDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto y = digitsValue(text.substr(0, 4));
    const auto m = digitsValue(text.substr(5, 2));
    const auto d = digitsValue(text.substr(8, 2));
    if (!y || !m || !d) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*y)),
                                           std::chrono::month(static_cast<unsigned>(*m)),
                                           std::chrono::day(static_cast<unsigned>(*d))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

std::string dateText(std::chrono::sys_days day) {
    const std::chrono::year_month_day date(day);
    char buffer[16];
    const auto y = static_cast<int>(date.year());
    const auto m = static_cast<unsigned>(date.month());
    const auto d = static_cast<unsigned>(date.day());
    buffer[0] = static_cast<char>('0' + y / 1000 % 10);
    buffer[1] = static_cast<char>('0' + y / 100 % 10);
    buffer[2] = static_cast<char>('0' + y / 10 % 10);
    buffer[3] = static_cast<char>('0' + y % 10);
    buffer[4] = '-';
    buffer[5] = static_cast<char>('0' + m / 10);
    buffer[6] = static_cast<char>('0' + m % 10);
    buffer[7] = '-';
    buffer[8] = static_cast<char>('0' + d / 10);
    buffer[9] = static_cast<char>('0' + d % 10);
    return std::string(buffer, 10);
}

// The frequency as a number for sorting; a text that is none sorts after
// every number.
double frequencyOrder(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::numeric_limits<double>::infinity();
    }
    return value;
}

bool busierFirst(const FrequencyActivity& a, double aOrder, const FrequencyActivity& b,
                 double bOrder) {
    if (a.hits != b.hits) {
        return a.hits > b.hits;
    }
    if (a.airtimeSeconds != b.airtimeSeconds) {
        return a.airtimeSeconds > b.airtimeSeconds;
    }
    if (aOrder != bOrder) {
        return aOrder < bOrder;
    }
    return a.frequency < b.frequency;
}

// Days between the first and last heard day that heard nothing get an
// empty row, so a chart shows the quiet days as quiet.
std::vector<DayActivity> filledDays(std::vector<DayActivity> heard) {
    std::sort(heard.begin(), heard.end(),
              [](const DayActivity& a, const DayActivity& b) { return a.date < b.date; });
    if (heard.size() < 2) {
        return heard;
    }
    const std::chrono::sys_days first(*calendarDate(heard.front().date));
    const std::chrono::sys_days last(*calendarDate(heard.back().date));
    const std::int64_t span = (last - first).count() + 1;
    if (span > kMaxFilledDays || span == static_cast<std::int64_t>(heard.size())) {
        return heard;
    }
    std::vector<DayActivity> days;
    days.reserve(static_cast<std::size_t>(span));
    std::size_t next = 0;
    for (std::chrono::sys_days day = first; day <= last; day += std::chrono::days(1)) {
        DayActivity row{dateText(day), {}};
        if (next < heard.size() && heard[next].date == row.date) {
            row.activity = heard[next++].activity;
        }
        days.push_back(std::move(row));
    }
    return days;
}

std::string meanText(const FrequencyActivity& row, std::string_view unknown) {
    const auto mean = row.meanLevel();
    if (!mean) {
        return std::string(unknown);
    }
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, *mean, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

// A CSV field, quoted when it holds a separator, a quote or a line end.
std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::optional<double> FrequencyActivity::meanLevel() const {
    if (levelCount == 0) {
        return std::nullopt;
    }
    return static_cast<double>(levelSum) / static_cast<double>(levelCount);
}

bool isReportDate(std::string_view text) {
    return calendarDate(text).has_value();
}

bool isReportTime(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return false;
    }
    const auto h = digitsValue(text.substr(0, 2));
    const auto m = digitsValue(text.substr(3, 2));
    const auto s = digitsValue(text.substr(6, 2));
    return h && m && s && *h < 24 && *m < 60 && *s < 60;
}

std::optional<std::int64_t> durationSeconds(std::string_view text) {
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos || text.size() - first != 6 || text[first + 3] != ':') {
        return std::nullopt;
    }
    const auto h = digitsValue(text.substr(0, first));
    const auto m = digitsValue(text.substr(first + 1, 2));
    const auto s = digitsValue(text.substr(first + 4, 2));
    if (!h || !m || !s || *m >= 60 || *s >= 60 || *h > 1'000'000) {
        return std::nullopt;
    }
    return *h * 3600 + *m * 60 + *s;
}

std::optional<int> levelValue(std::string_view text) {
    if (text.size() > 3) {
        return std::nullopt;
    }
    const auto value = digitsValue(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

ActivityReport buildActivityReport(std::span<const LogEntry> entries, const ReportRange& range) {
    ActivityReport report;
    std::vector<FrequencyActivity> rows;
    std::unordered_map<std::string_view, std::size_t> rowOf;
    std::vector<DayActivity> days;
    std::unordered_map<std::string_view, std::size_t> dayOf;
    std::string stamp;
    for (const LogEntry& entry : entries) {
        if (!isReportDate(entry.date) || !isReportTime(entry.time)) {
            ++report.unreadableEntries;
            continue;
        }
        if (report.firstDay.empty() || entry.date < report.firstDay) {
            report.firstDay = entry.date;
        }
        if (entry.date > report.lastDay) {
            report.lastDay = entry.date;
        }
        if ((!range.from.empty() && entry.date < range.from) ||
            (!range.to.empty() && entry.date > range.to)) {
            continue;
        }
        ++report.entriesCounted;
        const std::optional<std::int64_t> duration = durationSeconds(entry.duration);
        const std::int64_t airtime = duration.value_or(0);

        auto [rowIt, newRow] = rowOf.try_emplace(entry.frequency, rows.size());
        if (newRow) {
            rows.push_back({});
            rows.back().frequency = entry.frequency;
        }
        FrequencyActivity& row = rows[rowIt->second];
        stamp.assign(entry.date).append(" ").append(entry.time);
        ++row.hits;
        row.airtimeSeconds += airtime;
        if (duration && (!row.longestSeconds || *duration > *row.longestSeconds)) {
            row.longestSeconds = duration;
        }
        if (row.firstHeard.empty() || stamp < row.firstHeard) {
            row.firstHeard = stamp;
        }
        if (stamp > row.lastHeard) {
            row.lastHeard = stamp;
        }
        if (const auto level = levelValue(entry.level)) {
            row.levelSum += *level;
            ++row.levelCount;
            row.maxLevel = std::max(row.maxLevel.value_or(*level), *level);
        }
        if (entry.hasAudio()) {
            ++row.audioFiles;
        }

        ActivityBucket& hour = report.hours[static_cast<std::size_t>((entry.time[0] - '0') * 10 +
                                                                     (entry.time[1] - '0'))];
        ++hour.hits;
        hour.airtimeSeconds += airtime;
        auto [dayIt, newDay] = dayOf.try_emplace(entry.date, days.size());
        if (newDay) {
            days.push_back({entry.date, {}});
        }
        ++days[dayIt->second].activity.hits;
        days[dayIt->second].activity.airtimeSeconds += airtime;
    }

    std::vector<std::pair<double, std::size_t>> order;
    order.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        order.emplace_back(frequencyOrder(rows[i].frequency), i);
    }
    std::sort(order.begin(), order.end(), [&rows](const auto& a, const auto& b) {
        return busierFirst(rows[a.second], a.first, rows[b.second], b.first);
    });
    report.frequencies.reserve(rows.size());
    for (const auto& [key, index] : order) {
        report.frequencies.push_back(std::move(rows[index]));
    }
    report.days = filledDays(std::move(days));
    return report;
}

std::string formatSeconds(std::int64_t seconds) {
    const std::int64_t h = seconds / 3600;
    const int m = static_cast<int>(seconds / 60 % 60);
    const int s = static_cast<int>(seconds % 60);
    std::string text = std::to_string(h);
    text += ':';
    text += static_cast<char>('0' + m / 10);
    text += static_cast<char>('0' + m % 10);
    text += ':';
    text += static_cast<char>('0' + s / 10);
    text += static_cast<char>('0' + s % 10);
    return text;
}

std::string reportCsv(const ActivityReport& report) {
    std::string csv =
        "frequency_mhz,hits,airtime_s,longest_s,first_heard,last_heard,mean_level,max_level,"
        "audio_files\n";
    for (const FrequencyActivity& row : report.frequencies) {
        csv += csvField(row.frequency);
        csv += ',' + std::to_string(row.hits);
        csv += ',' + std::to_string(row.airtimeSeconds);
        csv += ',' + (row.longestSeconds ? std::to_string(*row.longestSeconds) : std::string());
        csv += ',' + row.firstHeard;
        csv += ',' + row.lastHeard;
        csv += ',' + meanText(row, "");
        csv += ',' + (row.maxLevel ? std::to_string(*row.maxLevel) : std::string());
        csv += ',' + std::to_string(row.audioFiles);
        csv += '\n';
    }
    return csv;
}

std::string reportText(const ActivityReport& report) {
    const std::vector<std::string> header = {"FREQUENCY", "HITS",        "AIRTIME",
                                             "LONGEST",   "FIRST HEARD", "LAST HEARD",
                                             "MEAN",      "MAX",         "AUDIO"};
    // Text columns are left-aligned, numbers right-aligned.
    const std::vector<bool> leftAligned = {true, false, false, false, true,
                                           true, false, false, false};
    std::vector<std::vector<std::string>> cells;
    cells.reserve(report.frequencies.size() + 1);
    cells.push_back(header);
    for (const FrequencyActivity& row : report.frequencies) {
        cells.push_back({row.frequency, std::to_string(row.hits), formatSeconds(row.airtimeSeconds),
                         row.longestSeconds ? formatSeconds(*row.longestSeconds) : "-",
                         row.firstHeard, row.lastHeard, meanText(row, "-"),
                         row.maxLevel ? std::to_string(*row.maxLevel) : "-",
                         std::to_string(row.audioFiles)});
    }
    std::vector<std::size_t> width(header.size(), 0);
    for (const auto& line : cells) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            width[c] = std::max(width[c], line[c].size());
        }
    }
    std::string text;
    for (const auto& line : cells) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string pad(width[c] - line[c].size(), ' ');
            if (c > 0) {
                out += "  ";
            }
            out += leftAligned[c] ? line[c] + pad : pad + line[c];
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        text += out + '\n';
    }
    return text;
}

}  // namespace korvex
