#pragma once

// One input for the log-file reader: read from a file, and as text.

#include <string_view>

#include "log/LogFile.h"
#include "support/FuzzInput.h"

namespace korvex::test {

// False when what was read breaks a rule the reader promises.
inline bool readLogInput(std::string_view data) {
    std::string problem;
    const auto entries = readLogEntries(scratchFile("log", data), problem);
    if (entries) {
        if (entries->size() > kLogEntryLimit || !problem.empty()) {
            return false;
        }
        for (const LogEntry& entry : *entries) {
            for (std::size_t n = 0; n < LogEntry::kFieldCount; ++n) {
                if (entry.field(n).size() > kLogLineLimit) {
                    return false;
                }
            }
        }
        // A file that is read gives the entries its text gives.
        return *entries == parseLogText(data);
    }
    return problem.rfind("Unable to read the log file\n", 0) == 0;
}

}  // namespace korvex::test
