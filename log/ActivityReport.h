#pragma once

// What the activity log heard, summed up: per frequency, per hour of the
// day and per day. A plain result that the report window, the command line
// and the station's web page all render.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogEntry.h"

namespace korvex {

// One frequency of the log: every entry whose frequency text is this one.
struct FrequencyActivity {
    std::string frequency;  // as the log writes it, e.g. "145.500000"
    std::int64_t hits = 0;
    std::int64_t airtimeSeconds = 0;  // sum of the known durations
    // The longest known duration; nothing when no entry had one.
    std::optional<std::int64_t> longestSeconds;
    std::string firstHeard;  // "YYYY-MM-DD HH:MM:SS" of the earliest start
    std::string lastHeard;   // of the latest start
    std::int64_t levelSum = 0;
    std::int64_t levelCount = 0;  // entries with a readable level
    std::optional<int> maxLevel;
    std::int64_t audioFiles = 0;  // entries with a WAV file

    // The mean of the readable levels; nothing when none was readable.
    std::optional<double> meanLevel() const;
};

// Hits and airtime of one hour of the day or of one day. A transmission
// belongs wholly to the hour and day it began in, even when it runs past
// midnight.
struct ActivityBucket {
    std::int64_t hits = 0;
    std::int64_t airtimeSeconds = 0;
};

struct DayActivity {
    std::string date;  // "YYYY-MM-DD"
    ActivityBucket activity;
};

// The days a report covers, both ends included, as "YYYY-MM-DD"; an empty
// end is open.
struct ReportRange {
    std::string from;
    std::string to;
};

struct ActivityReport {
    // Busiest first: more hits, then more airtime, then the lower frequency.
    std::vector<FrequencyActivity> frequencies;
    std::array<ActivityBucket, 24> hours{};
    // Oldest first; the days between the first and the last with no entry
    // are listed with nothing heard, unless the span is implausibly long.
    std::vector<DayActivity> days;
    std::size_t entriesCounted = 0;  // entries within the range
    // Entries left out because their date or time cannot be read.
    std::size_t unreadableEntries = 0;
    // The first and last day of every readable entry, whatever the range:
    // the range a window offers by default. Empty without one.
    std::string firstDay;
    std::string lastDay;
};

// Days filled in between two heard days at most; a longer span (a mistyped
// year) lists only the days that were heard.
inline constexpr std::int64_t kMaxFilledDays = 3660;

// A real calendar date written "YYYY-MM-DD".
bool isReportDate(std::string_view text);
// A time of day written "HH:MM:SS".
bool isReportTime(std::string_view text);
// Seconds of a duration "H:MM:SS" (hours of any width); nothing for "-" or
// anything else that is not one.
std::optional<std::int64_t> durationSeconds(std::string_view text);
// A level of one to three digits; nothing for "-" and the like.
std::optional<int> levelValue(std::string_view text);

ActivityReport buildActivityReport(std::span<const LogEntry> entries, const ReportRange& range);

// The frequency table as CSV, one LF-ended line per frequency after the
// header line. Unknown values are empty fields.
std::string reportCsv(const ActivityReport& report);
// The frequency table as aligned text for a terminal; unknown values "-".
std::string reportText(const ActivityReport& report);
// Seconds as "H:MM:SS".
std::string formatSeconds(std::int64_t seconds);

}  // namespace korvex
