#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::remote {

// What the server does with a command of the protocol.
enum class Verb {
    GetFreq,
    SetFreq,
    GetMode,
    SetMode,
    GetVfo,
    SetVfo,
    GetSplitVfo,
    GetPtt,
    GetLevel,
    GetDcd,
    GetMem,
    SetMem,
    GetTs,
    GetPowerstat,
    ChkVfo,
    GetLockMode,
    SetLockMode,
    DumpState,
    Quit,
    Refused,  // known, but it would transmit or the receiver cannot do it
};

// One command of the protocol: its one-letter form (0 for none), its long
// name, how many arguments it takes and what it does. `restOfLine`
// commands (Morse, raw commands) take the whole rest of the line.
struct CommandSpec {
    char shortName;
    std::string_view longName;
    int arguments;
    Verb verb;
    bool restOfLine = false;
};

// The command of a one-letter or long ("\get_freq") name; nothing when unknown.
const CommandSpec* findCommand(std::string_view name);

// One command as a client sent it.
struct Request {
    const CommandSpec* spec = nullptr;  // nullptr: unknown
    bool complete = true;               // false: arguments missing
    std::vector<std::string> args;
    // The extended response's separator, 0 for the plain protocol.
    char separator = 0;
};

// Cuts one line (without its line end) into requests: several commands per
// line, each optionally prefixed by an extended-response character. A
// command with too few arguments, or an unknown one, ends the line as one
// malformed request.
std::vector<Request> splitLine(std::string_view line);

}  // namespace korvex::remote
