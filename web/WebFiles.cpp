#include "web/WebFiles.h"

#include <charconv>
#include <system_error>
#include <vector>

#include "log/LogFile.h"
#include "log/ZelDoc.h"

namespace korvex {

namespace {

bool digits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// A name the page may ask for at all: one path component with no
// control character and no leading dot.
bool plainName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name.front() == '.') {
        return false;
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/' || c == '\\') {
            return false;
        }
    }
    return true;
}

bool heldByEntry(const CZelDoc& document, const std::string& name) {
    bool held = false;
    document.visitEntries([&](const std::vector<LogEntry>& entries) {
        // Recent entries are the ones played most; look from the end.
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->audioFile == name && it->hasAudio()) {
                held = true;
                return;
            }
        }
    });
    return held;
}

std::optional<std::uint64_t> number(std::string_view text) {
    if (text.empty() || !digits(text)) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return n;
}

}  // namespace

bool isRecordNowName(std::string_view name) {
    return name.size() == 18 && name.front() == 'm' && digits(name.substr(1, 6)) &&
           name[7] == '_' && digits(name.substr(8, 6)) && name.substr(14) == ".wav";
}

std::optional<std::filesystem::path> servedAudioFile(const CZelDoc& document,
                                                     const std::string& logFilePath,
                                                     const std::string& name) {
    if (logFilePath.empty() || !plainName(name)) {
        return std::nullopt;
    }
    if (!isRecordNowName(name) && !heldByEntry(document, name)) {
        return std::nullopt;
    }
    const auto path = audioFilePath(logFilePath, name);
    if (!path) {
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::path folder = logDirectory(logFilePath);
    if (folder.empty()) {
        folder = ".";
    }
    const auto realFolder = std::filesystem::canonical(folder, ec);
    if (ec) {
        return std::nullopt;
    }
    // A symbolic link in the folder may point anywhere; what counts is
    // where the file really is.
    const auto realFile = std::filesystem::canonical(*path, ec);
    if (ec || realFile.parent_path() != realFolder ||
        !std::filesystem::is_regular_file(realFile, ec)) {
        return std::nullopt;
    }
    return realFile;
}

RangeRequest parseRange(std::string_view header, std::uint64_t size) {
    RangeRequest whole;
    constexpr std::string_view kUnit = "bytes=";
    if (!header.starts_with(kUnit)) {
        return whole;
    }
    std::string_view spec = header.substr(kUnit.size());
    while (!spec.empty() && spec.back() == ' ') {
        spec.remove_suffix(1);
    }
    const auto dash = spec.find('-');
    if (dash == std::string_view::npos || spec.find(',') != std::string_view::npos) {
        return whole;
    }
    const std::string_view firstText = spec.substr(0, dash);
    const std::string_view lastText = spec.substr(dash + 1);
    RangeRequest r;
    r.kind = RangeKind::Part;
    if (firstText.empty()) {
        const auto suffix = number(lastText);
        if (!suffix) {
            return whole;
        }
        if (*suffix == 0 || size == 0) {
            r.kind = RangeKind::Unsatisfiable;
            return r;
        }
        r.range.first = *suffix >= size ? 0 : size - *suffix;
        r.range.last = size - 1;
        return r;
    }
    const auto first = number(firstText);
    if (!first) {
        return whole;
    }
    std::uint64_t last = size == 0 ? 0 : size - 1;
    if (!lastText.empty()) {
        const auto given = number(lastText);
        if (!given || *given < *first) {
            return whole;
        }
        last = std::min(*given, last);
    }
    if (*first >= size) {
        r.kind = RangeKind::Unsatisfiable;
        return r;
    }
    r.range = {*first, last};
    return r;
}

}  // namespace korvex
