#pragma once

#include <string>

#include "link/CommandQueue.h"
#include "link/MemoryWrite.h"

namespace korvex {

// The main frame's side of the link: the queue and the poll-cycle fields
// that the tick, the send step and the parser share.
struct PollFields {
    CommandQueue commandQueue;
    std::string lastCommand;  // last command sent that did not begin with CR
    int waitTicks = 0;
    int retryCount = 0;
    int blinkCounter = 0;
    bool busyCursorShown = false;
    bool waitCursorSet = false;
    bool receiverPoweredOff = false;
    bool refreshPending = false;
    int refreshDelay = 0;
    bool memWriteActive = false;  // set by the memory-file writer
    // The channel write going on (memory file, CSV import, paste), if any.
    MemoryWrite memoryWrite;
    // A level report has changed the model: the next tick shows it, once,
    // without leaving its place in the send, wait and retry cycle.
    bool displayRefreshWanted = false;
    // The last DATA came from a line that arrived while no command was
    // outstanding, and how many ticks in a row have found such DATA.
    bool dataUnasked = false;
    int unaskedDataTicks = 0;
    // Lines of replies (level reports not counted) since the last command
    // went out.
    int replyLines = 0;
    std::string logIndicator;
    std::string recIndicator;
    bool offOnExit = false;
    bool saveOnExit = false;
};

}  // namespace korvex
