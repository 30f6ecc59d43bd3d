#pragma once

#include <QString>
#include <string>

#include "link/LinkHost.h"
#include "log/LogNotice.h"

namespace korvex {

// What the station asks of whoever runs it: the window shows it in boxes and
// the status bar, a station without a window writes it to standard error.
// Texts are the receiver's byte strings unless a QString is asked for.
class StationHost {
public:
    virtual ~StationHost() = default;

    // A short state text (the status bar's message pane).
    virtual void showStatus(const std::string& text) = 0;
    // A message with a fixed text and caption.
    virtual void showMessage(const std::string& text, const std::string& caption,
                             MessageKind kind) = 0;
    virtual void beep() = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // The log's messages.
    virtual void showLogMessage(const std::string& text, const std::string& caption) = 0;
    // A yes/no question; true for "Yes". A host that cannot ask answers "No".
    virtual bool confirmLog(const std::string& text, const std::string& caption) = 0;
    virtual bool startExternalPlayer(const std::string& player, const std::string& file) = 0;
    // What became of the log file's lines or a recording.
    virtual void logNotice(const LogNotice& notice) = 0;

    // An error of the sound library or the log thread that is tied to no
    // command: shown as an error box by the window.
    virtual void showError(const QString& text) = 0;
};

}  // namespace korvex
