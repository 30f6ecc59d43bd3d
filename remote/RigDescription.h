#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex::remote {

// The protocol's error codes the server gives.
enum ErrorCode : int {
    kOk = 0,
    kInvalid = -1,       // unknown command or bad argument
    kTimeout = -5,       // the receiver did not answer in time
    kIoError = -6,       // no receiver: port closed, powered off or the link's error
    kNotAvailable = -11  // the receiver cannot do it (transmitting above all)
};

// The receiver's modes in the protocol's names, indexed like the model's
// mode (WFM, NFM, SFM, WAM, AM, NAM, USB, LSB, CW), with the passband each
// stands for.
struct ProtocolMode {
    std::string_view name;
    int passbandHz;
};
std::optional<ProtocolMode> protocolMode(int modelMode);
// The receiver's mode name ("WFM".."NAM") of a protocol mode name; nothing
// for a mode the receiver does not have. "AM" is the wide AM when the
// passband asks for it (10 kHz and up), or when the receiver is in wide AM
// and no passband is named (0 or less): a client writing back the mode it
// read keeps the receiver where it was.
std::optional<std::string_view> receiverModeName(std::string_view protocolName, long passbandHz = 0,
                                                 int currentModelMode = -1);
// The protocol names of every mode the receiver has, blank-separated.
std::string protocolModeList();

// The VFO token of an operating state: "VFOA", "VFOB", "VFO" or "MEM".
std::string_view vfoToken(int operatingState);

// Signal strength in dB relative to S9 from the receiver's level 0..255.
int strengthDb(int level);

// The full description of the receiver the protocol's clients read when
// they connect: receive range up to 2040 MHz (3000 MHz with MARK II), its
// modes, its tuning steps and filters, no transmit range.
std::string dumpState(bool mark2);

}  // namespace korvex::remote
