#pragma once

#include <string>
#include <string_view>

namespace korvex {

// A change in what the log could write, for the window: the log file's
// lines and the entries' recordings.
struct LogNotice {
    enum Kind { LogFile, Recording };
    Kind kind = LogFile;
    bool failed = false;
    std::string text;  // what failed; empty for a success
};

// One kind of failure that can repeat while nobody watches: the first one
// since the last success is shown in a message box, the later ones only in
// the status bar, and a success clears the status text.
class CFailureNotice {
public:
    // Records a failure; true when it is the first since the last success.
    bool fail(const std::string& text);
    void succeed();
    bool failing() const { return m_failing; }
    // The last failure's text while failing, else empty.
    const std::string& statusText() const { return m_text; }

private:
    bool m_failing = false;
    std::string m_text;
};

// The sound library's texts about a recording (its device or its file), as
// opposed to those about a playback the operator asked for.
bool isRecordingError(std::string_view text);

}  // namespace korvex
