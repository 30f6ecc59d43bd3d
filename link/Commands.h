#pragma once

// Receiver commands as text. Every builder returns one or more CR-terminated
// commands for the command queue and sends nothing itself; an empty result
// means "nothing to queue". Builders that take a CReceiver& also update the
// model where the outcome is known before the receiver answers.

#include <initializer_list>
#include <string>
#include <string_view>

#include "link/FrequencyText.h"

namespace korvex {

class CReceiver;

// The text with every control character (below 0x20, and 0x7F) removed, so
// that a name from the user, a file, the clipboard or a database can never
// end a command early and smuggle in a second one.
std::string removeControlCharacters(std::string_view text);

// The one place where text becomes a command: word + every part + CR, each
// part cleaned of control characters first. The word is the builder's own
// literal and is not cleaned; an empty part adds nothing.
std::string composeCommandParts(std::string_view word,
                                std::initializer_list<std::string_view> parts);

// word + a1 + a2 + a3 + CR through composeCommandParts; an argument that is
// empty once cleaned stops the later ones.
std::string composeCommand(std::string_view word, std::string_view a1 = {},
                           std::string_view a2 = {}, std::string_view a3 = {});

// The frequency set: frequencyText + CR, then the status-refresh batch; ""
// when the entry is not a valid frequency.
std::string frequencyCommand(std::string_view text, FrequencyUnit unit, bool mark2);

// A frequency in MHz tuned on the current VFO as a typed one is: "VF" first
// outside a VFO state, then frequencyCommand; "" when it is not valid.
std::string tuneCommands(std::string_view frequencyMhz, int operatingState, bool mark2);

namespace cmd {

// Level-report modes of "LC".
enum class LevelReports : char { Off = '0', On = '1', Bandscope = '2' };

// The dial keys, each sent as its single control character.
enum class DialKey : char {
    Up = 0x1E,     // one step up
    Down = 0x1F,   // one step down
    Left = 0x1D,   // ten steps down
    Right = 0x1C,  // ten steps up
};

// The flags the panel switches with "word + 1/0".
enum class Flag { Afc, Attenuator, NoiseLimiter, AutoMode };

// The receiver's mode digit of a model mode index (WFM, NFM, SFM, WAM, AM,
// NAM, USB, LSB, CW); '0' for an index outside 0..8.
char modeDigit(int mode);

// ---- queries and batches ----

std::string noiseLimiterQuery();  // "NL"
std::string leaveRemote();        // "EX"
std::string powerOff();           // "QP"
// "RX" "AF" "NL" "DB" "SB" "XB": the status-refresh batch.
std::string statusRefresh();
// The status refresh, plus "GA" "MP" while in memory recall.
std::string statusRefreshWithFlags(const CReceiver& rx);
// Everything read from the receiver once the port is open.
std::string initialReadout();
std::string bankSizesRead();          // "TB" "TB"
std::string selectPassFlagsRead();    // "GA" "MP"
std::string openingMessageRead();     // "OM"
std::string vlRead();                 // "VL"
std::string lbRead();                 // "LB"
std::string scanGroupsRead();         // "GM" "BM"
std::string searchGroupsRead();       // "GS" "BS"
std::string vfoSearchSettingsRead();  // "GV"

// ---- groups, scan and search ----

// "GM" + digit; the current scan group becomes it. "" unless 0..9.
std::string scanGroupSelect(CReceiver& rx, int group);
// "GS" + digit; the current search group becomes it. "" unless 0..9.
std::string searchGroupSelect(CReceiver& rx, int group);
// "LC1" then "SS" + search-bank letter.
std::string searchStart(std::string_view bank);
// "LC1" then "VS".
std::string vfoSearchStart();
// "PQ" + scope delay, then "LC2"; marks the bandscope not halted. The sweep
// runs from the receiver's answer to "LC2" on: until then every reply is
// still decoded, so commands queued ahead of it are answered as usual.
std::string bandscopeStart(CReceiver& rx, int scopeDelay);
// "LC0", "LC1" or "LC2".
std::string levelReports(LevelReports reports);
std::string memoryReadStart();  // "LC0" "MR", status refresh, "GA" "MP"
std::string memoryScanStart();  // "LC1" "MS", status refresh
std::string selectScanStart();  // "LC1" "SM", status refresh
// The level-squelch word of the operating state ("DB" VFO, "SB" search, "XB"
// memory and scan) + the value as three digits; the value is stored into the
// group it belongs to. "" in state 0 or for a value outside 0..255.
std::string levelSquelch(CReceiver& rx, int value);

// ---- tuning panel ----

std::string selectFlag(bool on);  // "GA1"/"GA0" then "GA"
std::string passFlag(bool on);    // "MP1"/"MP0" then "MP"
std::string dialKey(DialKey key);
// "ST" + six-digit step code, then "RX".
std::string stepSet(std::string_view stepCode);
// "MD" + mode digit, then "RX". A one-character argument is sent as it is, a
// mode name ("WFM".."NAM") as its digit; "" for anything else.
std::string modeSet(std::string_view mode);
// 'A' "VA", 'B' "VB", 'S' "VF", then the status refresh; "" for others.
std::string vfoSelect(char which);
// Back to the VFO with the model's shown frequency, step, mode and flags,
// then the status refresh; "" when the VFO line holds no valid frequency.
std::string vfoRestore(const CReceiver& rx, bool mark2);
// "AF"/"AT"/"NL" + 1/0 then the same word as a query; "AU" + 1/0 then "RX".
std::string flagSet(Flag flag, bool on);
// "PW" + ten digits of the entry (MHz); "PW" alone for an empty entry; ""
// when the entry is not a valid frequency.
std::string passFrequencyWrite(std::string_view entry, bool mark2);
// "MR" + channel, the status refresh, then "GA" "MP".
std::string memoryRecall(std::string_view channel);

// ---- option settings ----

// "OM" + mode + " " + message; only "OM2" for mode '2' and no message.
std::string openingMessageSet(char mode, std::string_view message);
std::string vlSet(char value);              // "VL" + character
std::string lbSet(std::string_view value);  // "LB" + value

}  // namespace cmd
}  // namespace korvex
