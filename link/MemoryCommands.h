#pragma once

// Receiver commands that write, delete and read the receiver's memory: memory
// channels, banks, search banks, the select-scan list and pass frequencies.
// Like the other builders each returns CR-terminated command text ("" for
// nothing to queue) and updates the model where the outcome is known.

#include <optional>
#include <string>
#include <string_view>

#include "model/Records.h"

namespace korvex {

class CReceiver;
class LinkHost;

namespace cmd {

// The slot number of a channel name (bank letter and two digits, "A05");
// nullopt for anything else.
std::optional<std::size_t> channelSlot(std::string_view channel);

// ---- memory channels ----
// A channel that is not a bank letter and two digits gives "". The model
// effect lands in the current bank only when the channel belongs to it.

// Stores the VFO into a channel: "MX" + channel, the frequency of the entry
// (MHz), auto mode off, the model's step, mode and attenuator and the name,
// then "MR" + channel, "AF" + AFC, "NL" + noise limiter. "" for an invalid
// frequency. The new record replaces the channel in the current bank.
std::string storeChannel(CReceiver& rx, std::string_view channel, std::string_view frequency,
                         std::string_view name, bool mark2);
// Writes a copied channel (fields as shown: "0080.200000", "012.500", "NFM")
// into a channel with auto mode off, then "MR" + channel; the caller appends
// the noise-limiter query. The record replaces the channel in the current bank.
std::string pasteChannel(CReceiver& rx, std::string_view channel, const ChannelRecord& copied);
// Writes an edited channel whose fields hold the receiver's values (ten
// frequency digits, six step digits, mode digit, flags "0"/"1"). The record,
// shown with points and "auto" for step and mode in auto mode, replaces the
// channel in the current bank.
std::string writeChannel(CReceiver& rx, const ChannelRecord& edited);
// "MR" + channel, "MQ" + its two digits (memory-file transfer; no model effect).
std::string deleteChannelTransfer(std::string_view channel);
// "MR" + channel, "MQ" + its two digits, "NL", "NL"; the channel becomes the
// empty slot in the current bank.
std::string deleteChannel(CReceiver& rx, std::string_view channel);

// ---- banks ----

// "TB" + bank identifier + bank text.
std::string bankTextWrite(std::string_view bank, std::string_view text);
// "WP" + 1/0.
std::string writeProtect(bool on);
// "WM" + channel or bank + 1/0.
std::string wmFlag(std::string_view channel, bool on);
// "MW" + bank letter and two-digit size; marks the resize active. "" for
// any other argument.
std::string bankResize(CReceiver& rx, std::string_view letterAndSize);
// "MQ" + letter + "%%", then the bank's read-out; "" when the read-out is refused.
std::string clearBank(CReceiver& rx, LinkHost& host, char letter);

// ---- read-outs ----
// Each empties its list first (the replies are appended to it) and is
// wrapped in "AF0" ... "AF1" while AFC is on.

// Makes the bank current and reads it: "MA" + letter, then "MA" for each
// further page of ten. A letter that is no bank means the bank sizes were
// never read: the refusal message is shown and "" returned.
std::string memoryBankReadout(CReceiver& rx, LinkHost& host, char letter);
// "SR%%" and three more "SR": all forty search banks.
std::string searchBankReadout(CReceiver& rx);
std::string selectScanReadout(CReceiver& rx);     // "GR"
std::string passFrequencyReadout(CReceiver& rx);  // "PR"

// ---- list deletes, each followed by the list's read-out ----

std::string selectScanDeleteAll(CReceiver& rx);                       // "GD%%"
std::string selectScanDelete(CReceiver& rx, std::string_view entry);  // "GD" + entry
std::string searchBankDelete(CReceiver& rx, std::string_view bank);   // "QS" + bank
// "PD" + search-bank character + entry ("%%" for all); no read-out.
std::string passDelete(char bank, std::string_view entry);

}  // namespace cmd
}  // namespace korvex
