#pragma once

// "korvex --report LOGFILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--csv]":
// the activity report of a log file on standard output, with no window
// system involved.

#include <ostream>
#include <span>
#include <string_view>

namespace korvex {

// Whether the arguments (without the program name) ask for a report: any of
// its options is given before a "--".
bool asksForReport(std::span<const std::string_view> arguments);

// Exit codes of the report.
inline constexpr int kReportDone = 0;
inline constexpr int kReportFileError = 1;   // the log is missing or unreadable
inline constexpr int kReportUsageError = 2;  // a wrong or missing option

// Runs the report: the table on `out`, reasons for failure on `err`.
int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err);

}  // namespace korvex
