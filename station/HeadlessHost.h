#pragma once

#include <cstdio>
#include <string>

#include "station/StationHost.h"

namespace korvex {

// The station's host without a window: every status text, message and log
// notice becomes one line on standard error ("korvex: ..."), questions are
// answered with the safe choice ("No") and nothing is played.
class HeadlessHost : public StationHost {
public:
    // Lines go to `out` (standard error unless a test gives another).
    explicit HeadlessHost(std::FILE* out = stderr) : m_out(out) {}

    void showStatus(const std::string& text) override;
    void showMessage(const std::string& text, const std::string& caption,
                     MessageKind kind) override;
    void beep() override {}
    void setBusyCursor(bool) override {}
    void showLogMessage(const std::string& text, const std::string& caption) override;
    bool confirmLog(const std::string& text, const std::string& caption) override;
    bool startExternalPlayer(const std::string&, const std::string&) override { return false; }
    // A failure is told once until its kind succeeds again, then its
    // recovery is told.
    void logNotice(const LogNotice& notice) override;
    void showError(const QString& text) override;

    // One line: "korvex: " and the text, its line breaks as " / ".
    void line(const std::string& text);

private:
    std::FILE* m_out;
    CFailureNotice m_logFileNotice;
    CFailureNotice m_recordingNotice;
};

}  // namespace korvex
