#pragma once

// Reply lines of the simulated receiver and the small parsing helpers its
// command handlers share. Lines are returned without their CR LF.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/ReceiverState.h"

namespace korvex::sim {

std::string frequencyDigits(int64_t hz);  // ten digits
std::string stepDigits(int hz);           // six digits
std::string channelName(ChannelRef ref);  // "A05"

// "RF0145500000 ST012500 AU0 MD1 AT0"
std::string tuningFields(const Tuning& t);
// "MXA00 MP0 RF0101100000 ST100000 AU0 MD0 AT0 TMname        ", or "MXA05 ---"
std::string channelLine(const ReceiverState& s, ChannelRef ref);
// "SRA SL0118000000 SU0137000000 ST025000 AU0 MD2 AT0 TTAIR BAND", or "SRC ---"
std::string searchBankLine(const ReceiverState& s, int bank);
// "GR00 MXA00 RF0101100000 ST100000 AU0 MD0 AT0 TMname        "; the end entry "GR04 ---"
std::string selectScanLine(const ReceiverState& s, int entry);
std::string selectScanEndLine(int entry);
// "PRA00 0118700000"; the end entry "PRA02 ---"
std::string passLine(char bank, int number, int64_t hz);
std::string passEndLine(char bank, int number);
// "MW A:50 TBAFM Bcast"
std::string bankSizeLine(const ReceiverState& s, int bank);
// "GM0 XD2.0 XB 000 XA 000 XP05 XMF" and the same with the search and VFO search tags
std::string scanGroupLine(const ReceiverState& s, bool signalAboveSquelch);
std::string searchGroupLine(const ReceiverState& s, bool signalAboveSquelch);
std::string vfoSearchLine(const ReceiverState& s, bool signalAboveSquelch);
// "BM " + 20 link characters, "BS " + 40
std::string scanLinksLine(const ReceiverState& s);
std::string searchLinksLine(const ReceiverState& s);

// Group fields as their queries read them.
std::string delayText(const char* tag, int tenths);               // "XD2.0"
std::string squelchText(const char* tag, int value, bool above);  // "XB 050", "XB+050"
std::string pauseText(const char* tag, int seconds);              // "XP05"

// Parses exactly `count` decimal digits; nullopt otherwise.
std::optional<int64_t> parseDigits(std::string_view text, size_t count);
// Parses a whole text of 1..`maxCount` decimal digits.
std::optional<int64_t> parseNumber(std::string_view text, size_t maxCount);

// The value of a field: the text after `tag` where the tag stands at the
// start or after a blank, up to the next blank. Only `text` up to the first
// " TM"/" TT" name field is searched, so a name cannot fake a field.
std::optional<std::string_view> fieldValue(std::string_view text, std::string_view tag);
// Everything after the name tag (" TM" or " TT") to the end.
std::optional<std::string_view> nameValue(std::string_view text, std::string_view tag);

}  // namespace korvex::sim
