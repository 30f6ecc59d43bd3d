#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korvex::sim {

// Misbehaviour the serial runner can put on the line, for tests of the
// program's time-out, retry and line-building rules. A command word matches
// every command that begins with it ("MA" matches "MAA" and "MA").
struct Faults {
    std::vector<std::string> noReply;               // these commands get no reply
    std::vector<std::string> refuse;                // these are answered "?" and not carried out
    std::vector<std::pair<std::string, int>> late;  // word and delay in ms
    bool split = false;                             // every reply goes out in two writes ...
    int splitPauseMs = 50;                          // ... with this pause between them
    bool garbage = false;                           // stray bytes before some replies ...
    int garbageEvery = 3;                           // ... before every n-th reply
    bool stayOffAfterPowerOff = false;              // after "QP" the receiver never answers again
    int floodLevelsPerSecond = 0;  // level reports sent on their own at this rate, in any state
};

}  // namespace korvex::sim
