#pragma once

#include <string>

#include "log/LogNotice.h"

namespace korvex {

// What the log's commands need from the window; called on its thread only.
class LogHost {
public:
    virtual ~LogHost() = default;
    // A modal message box with a fixed text and caption.
    virtual void showLogMessage(const std::string& text, const std::string& caption) = 0;
    // "Yes"/"No" with the exclamation icon; true for "Yes".
    virtual bool confirmLog(const std::string& text, const std::string& caption) = 0;
    // Starts the external player on a file, without a shell; false when it
    // could not be started.
    virtual bool startExternalPlayer(const std::string& player, const std::string& file) = 0;
    // What became of the log file's lines or a recording.
    virtual void logNotice(const LogNotice& notice) = 0;
};

}  // namespace korvex
