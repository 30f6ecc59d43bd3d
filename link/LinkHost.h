#pragma once

#include <cstdint>
#include <string>

namespace korvex {

enum class MessageKind { Error, Info, Warning };

// What the Qt-free core needs from the window: the status line, message
// boxes, the beep, the cursor and the refresh of the panel and views. The
// main window implements it; tests use a recording fake.
class LinkHost {
public:
    virtual ~LinkHost() = default;

    // Status-bar pane 0.
    virtual void showStatus(const std::string& text) = 0;
    // A modal message box with a fixed text and caption.
    virtual void showMessage(const std::string& text, const std::string& caption,
                             MessageKind kind) = 0;
    virtual void beep() = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // A reply with data has been decoded: refresh the tuning panel and the list view.
    virtual void refreshFromModel() = 0;
    // The list view only (after a memory-file write has finished).
    virtual void refreshView() = 0;
    // One bandscope sweep sample: level 0..255 at a frequency in Hz.
    virtual void bandscopeSample(int level, std::int64_t frequencyHz) = 0;
};

}  // namespace korvex
