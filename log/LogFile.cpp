#include "log/LogFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace korvex {

std::string& LogEntry::field(std::size_t n) {
    std::array<std::string*, kFieldCount> fields{&date,      &time,  &duration,
                                                 &frequency, &level, &audioFile};
    return *fields.at(n);
}

const std::string& LogEntry::field(std::size_t n) const {
    return const_cast<LogEntry*>(this)->field(n);
}

bool LogEntry::hasAudio() const {
    return !audioFile.empty() && audioFile.front() != EMPTY_BYTE && audioFile.front() != '-';
}

namespace {

std::size_t fieldEnd(std::string_view line, std::size_t from) {
    const std::size_t end = line.find_first_of("\t\n", from);
    return end == std::string_view::npos ? line.size() : end;
}

}  // namespace

bool isLogEntryLine(std::string_view line) {
    const std::string_view first = line.substr(0, fieldEnd(line, 0));
    if (first.size() != 10) {
        return false;
    }
    for (const char c : first) {
        if (c != '-' && (c < '0' || c > '9')) {
            return false;
        }
    }
    return true;
}

LogEntry parseLogLine(std::string_view line) {
    // A CR before the line's end belongs to the line end, not to the last field.
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    LogEntry entry;
    std::size_t pos = 0;
    for (std::size_t n = 0; n < LogEntry::kFieldCount; ++n) {
        entry.field(n).assign(line.substr(pos, fieldEnd(line, pos) - pos));
        const std::size_t tab = line.find('\t', pos);
        if (tab != std::string_view::npos) {
            pos = tab + 1;
        }
    }
    return entry;
}

std::string formatLogLine(const LogEntry& entry, std::string_view lineEnd) {
    std::string line;
    for (std::size_t n = 0; n < LogEntry::kFieldCount; ++n) {
        line += entry.field(n);
        line += n + 1 < LogEntry::kFieldCount ? std::string_view("\t") : lineEnd;
    }
    return line;
}

std::vector<LogEntry> parseLogText(std::string_view text) {
    std::vector<LogEntry> entries;
    entries.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        // A CR LF line reads like an LF line, even without a TAB.
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (isLogEntryLine(line)) {
            entries.push_back(parseLogLine(line));
        }
        pos = end + 1;
    }
    return entries;
}

std::optional<std::vector<LogEntry>> readLogEntries(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return parseLogText(text);
}

std::string logDirectory(std::string_view logFilePath) {
    const std::size_t slash = logFilePath.rfind('/');
    return slash == std::string_view::npos ? std::string()
                                           : std::string(logFilePath.substr(0, slash + 1));
}

std::string logBaseName(std::string_view logFilePath) {
    const std::size_t slash = logFilePath.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? logFilePath : logFilePath.substr(slash + 1);
    return std::string(name.substr(0, name.find('.')));
}

std::optional<std::string> audioFilePath(std::string_view logFilePath, std::string_view audioFile) {
    if (audioFile.empty() || audioFile == "." || audioFile == ".." ||
        audioFile.find('/') != std::string_view::npos ||
        audioFile.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return logDirectory(logFilePath) + std::string(audioFile);
}

}  // namespace korvex
