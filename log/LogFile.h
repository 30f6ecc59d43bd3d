#pragma once

// The log file: one TAB-separated line of six fields per entry. Lines the log
// thread appends end in CR LF, lines of a rewrite in LF; both are read.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogEntry.h"

namespace korvex {

// A line is an entry when its first field (up to the first TAB or LF) has
// exactly ten characters, each a digit or "-".
bool isLogEntryLine(std::string_view line);

// The six fields cut from the front of an entry line; a line with fewer
// than five TABs repeats its last field in the missing ones.
LogEntry parseLogLine(std::string_view line);

// The fields joined by TABs, ended by lineEnd ("\n" or "\r\n").
std::string formatLogLine(const LogEntry& entry, std::string_view lineEnd);

// Every entry line of a file's content, in order; other lines are skipped.
std::vector<LogEntry> parseLogText(std::string_view text);

// What a log file may hold. A file beyond these is refused, not cut.
inline constexpr std::size_t kLogFileLimit = std::size_t{128} * 1024 * 1024;
inline constexpr std::size_t kLogEntryLimit = 1'000'000;
inline constexpr std::size_t kLogLineLimit = 4 * 1024;

// Reads a log file line by line. Nothing, and in `problem` a message that
// names the file and the reason, when it cannot be opened or read, is no
// regular file, holds bytes no text file holds (NUL and most other control
// characters), or is beyond a limit above.
std::optional<std::vector<LogEntry>> readLogEntries(const std::filesystem::path& file,
                                                    std::string& problem);

// The folder of a log file as text: the path up to and including its last
// "/", or "" when it has none (the current folder).
std::string logDirectory(std::string_view logFilePath);

// The prefix of the log's WAV names: the file name up to its first ".";
// for a path without "/", the whole path up to its first ".".
std::string logBaseName(std::string_view logFilePath);

// The path of an entry's WAV file in the log's folder, or nothing when the
// name could leave that folder (a "/", "." or "..", an embedded NUL) or is
// empty. Names from a log line are never used otherwise.
std::optional<std::string> audioFilePath(std::string_view logFilePath, std::string_view audioFile);

}  // namespace korvex
