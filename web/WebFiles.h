#pragma once

// The WAV files the page may play: only a name that a current log entry
// holds, or a Record Now file's name, and only a regular file inside the
// log's folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

class CZelDoc;

// "m" + "%y%m%d_%H%M%S" + ".wav", the name Record Now gives its files.
bool isRecordNowName(std::string_view name);

// The file to serve for /audio/NAME (NAME in Windows-1252 bytes), or nothing:
// no log chosen, a name that could leave the folder, one that no entry holds
// and that is no Record Now name, or a path that is no regular file in the
// log's folder once symbolic links are followed.
std::optional<std::filesystem::path> servedAudioFile(const CZelDoc& document,
                                                     const std::string& logFilePath,
                                                     const std::string& name);

// A byte range of a file, both ends included.
struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

enum class RangeKind { Whole, Part, Unsatisfiable };

struct RangeRequest {
    RangeKind kind = RangeKind::Whole;
    ByteRange range;
};

// The "Range" header of a request for a file of `size` bytes: one
// "bytes=first-last", "bytes=first-" or "bytes=-suffix" range. A header of
// another unit, several ranges or bad syntax asks for the whole file, as
// a server may treat it; a range that starts past the end cannot be served.
RangeRequest parseRange(std::string_view header, std::uint64_t size);

}  // namespace korvex
