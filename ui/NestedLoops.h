#pragma once

#include <QEventLoop>

namespace korvex {

// Knows whether events are being delivered from inside other work: a modal
// dialog's or a menu's own loop, or a fill that keeps the window painted.
// Work that would tear down what such a loop uses (the close on a stop
// signal) waits until the program is back in its main loop.
namespace nested {

// Runs the due events as QApplication::processEvents does; meanwhile the
// program counts as inside a nested loop. Every call from inside work goes
// through here.
void processEvents(QEventLoop::ProcessEventsFlags flags);

// The loop level of the program's main loop: 1 once QApplication::exec
// runs, 0 (the default) while the program starts or a test drives it.
void setMainLoopLevel(int level);

// Whether the event being handled comes from a loop inside other work.
bool inside();

// Asks every modal loop to end: visible modal dialogs are rejected, open
// menus closed. Their callers go on as after a cancel.
void endModalLoops();

}  // namespace nested

}  // namespace korvex
