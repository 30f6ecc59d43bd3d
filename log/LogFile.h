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

// Reads a whole log file; nothing when it cannot be opened or read.
std::optional<std::vector<LogEntry>> readLogEntries(const std::filesystem::path& file);

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
