#include "log/LogFile.h"

#include <array>
#include <cstring>

#include "model/BoundedFile.h"

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

namespace {

// A CR LF line reads like an LF line, even without a TAB.
std::string_view withoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// Control characters that a text file does not hold: all but TAB, LF, VT,
// FF, CR and the old end-of-file mark SUB.
constexpr std::array<bool, 32> kForeignControl = [] {
    std::array<bool, 32> table{};
    table.fill(true);
    for (const char c : {'\t', '\n', '\v', '\f', '\r', '\x1A'}) {
        table[static_cast<std::size_t>(c)] = false;
    }
    return table;
}();

bool holdsForeignControl(std::string_view line) {
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if (b < kForeignControl.size() && kForeignControl[b]) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<LogEntry> parseLogText(std::string_view text) {
    std::vector<LogEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = withoutCr(text.substr(pos, end - pos));
        if (isLogEntryLine(line)) {
            entries.push_back(parseLogLine(line));
        }
        pos = end + 1;
    }
    return entries;
}

std::optional<std::vector<LogEntry>> readLogEntries(const std::filesystem::path& file,
                                                    std::string& problem) {
    const std::string head = "Unable to read the log file\n" + file.string() + "\n";
    // One byte more than the limit: the CR of a CR LF line end is not counted.
    LineReader reader(file, kLogFileLimit, kLogLineLimit + 1);
    std::vector<LogEntry> entries;
    std::string_view line;
    while (reader.next(line)) {
        line = withoutCr(line);
        if (holdsForeignControl(line)) {
            problem = head + "It is no log file: it holds bytes that no text file holds.";
            return std::nullopt;
        }
        if (!isLogEntryLine(line)) {
            continue;
        }
        if (reader.cut() || line.size() > kLogLineLimit) {
            problem = head + "A log line may be at most " + byteCountText(kLogLineLimit) + " long.";
            return std::nullopt;
        }
        if (entries.size() == kLogEntryLimit) {
            problem =
                head + "A log file may hold at most " + countText(kLogEntryLimit) + " entries.";
            return std::nullopt;
        }
        entries.push_back(parseLogLine(line));
    }
    switch (reader.failure()) {
        case ReadFailure::None:
            return entries;
        case ReadFailure::NotRegular:
            problem = head + "It is no regular file.";
            break;
        case ReadFailure::TooLarge:
            problem = head + "A log file may be at most " + byteCountText(kLogFileLimit) + ".";
            break;
        case ReadFailure::Open:
        case ReadFailure::Read:
            problem = head + std::strerror(reader.error());
            break;
    }
    return std::nullopt;
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
