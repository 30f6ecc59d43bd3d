#pragma once

// What the station's web page shows and may do, as the page's server sees
// the station: a snapshot of the receiver, the log's entries and folder, and
// a tune request. The window and the headless station each provide one.

#include <cstdint>
#include <optional>
#include <string>

namespace korvex {

class CZelDoc;

// The receiver line of the page. A value the station does not know yet is
// empty and goes out as null.
struct StationStatus {
    std::optional<std::int64_t> frequencyHz;
    std::optional<std::string> mode;     // "NFM", "AM", ...
    std::optional<std::string> vfo;      // "A", "B", "VFO", "MEMORY", "SCAN", "SEARCH"
    std::optional<std::string> channel;  // the memory channel of a memory state
    std::optional<bool> squelchOpen;
    std::optional<int> level;  // 0..255
    bool logRunning = false;
    bool recording = false;
    std::optional<std::string> link;  // "ok", "error" or "closed"

    bool operator==(const StationStatus&) const = default;
};

// What a tune request came to.
enum class TuneResult {
    Accepted,  // queued for the receiver
    Refused,   // not a frequency the receiver can take, or no link
};

class WebSource {
public:
    virtual ~WebSource() = default;

    virtual StationStatus status() const = 0;
    // The log's entries; read through its lock only.
    virtual const CZelDoc& document() const = 0;
    // The log file's full path ("" when no log is chosen): its folder holds
    // the entries' WAV files and the Record Now files.
    virtual std::string logFilePath() const = 0;
    // A frequency typed on the page: the same rule and the same command
    // queue as the panel's typed frequency.
    virtual TuneResult tune(std::int64_t frequencyHz) = 0;
};

}  // namespace korvex
