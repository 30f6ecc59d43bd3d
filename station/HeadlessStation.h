#pragma once

#include <QString>
#include <optional>

#include "station/Station.h"

namespace korvex {

// What `korvex --headless` runs with, beyond the station's own options.
struct HeadlessOptions {
    StationOptions station;
    QString logPath;               // --log: the activity log starts into this file
    std::optional<int> scanGroup;  // --scan: a memory scan with this scan group
    QString searchBank;            // --search: a search of this search bank
};

// The monitoring station without a window: the station on a core
// application, its host writing to standard error, one line per log entry
// on standard output, ended by SIGINT or SIGTERM. Needs a QCoreApplication;
// returns the program's exit code (non-zero when the port cannot be opened
// or the log cannot start).
int runHeadlessStation(const HeadlessOptions& options);

}  // namespace korvex
