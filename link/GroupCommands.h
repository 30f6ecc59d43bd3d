#pragma once

// The text the scan-group, search-group and search-bank dialogs return: the
// settings of one group or one search bank as receiver commands, plus the
// small rules those dialogs share (bank links, their order in the lists).

#include <string>
#include <string_view>

#include "model/Records.h"

namespace korvex {

// Banks in link order: a scan group links the 20 memory banks, a search
// group the 40 search banks.
inline constexpr std::string_view kScanLinkOrder = "ABCDEFGHIJabcdefghij";
inline constexpr std::string_view kSearchLinkOrder = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst";

// The group that the panel's search-group selector calls "V".
inline constexpr int kVfoSearchGroup = 10;

// Whether position i of a link text links its bank: any character but "-"
// (and the empty-slot marker of a group never read) links it.
bool isLinked(std::string_view links, std::size_t i);

// One letter per bank of `order`: its letter where the link state in
// `after` differs from `before`, "-" where it is unchanged. The receiver
// toggles each named bank, so a mask of only "-" changes nothing.
std::string linkChangeMask(std::string_view order, std::string_view before, std::string_view after);

// The position a letter moved into a bank list takes: before the first entry
// whose first character is not smaller (character codes, so upper case
// comes first).
template <typename Entries, typename FirstChar>
std::size_t insertPosition(const Entries& entries, char letter, FirstChar firstChar) {
    std::size_t i = 0;
    for (const auto& entry : entries) {
        if (static_cast<unsigned char>(firstChar(entry)) >= static_cast<unsigned char>(letter)) {
            return i;
        }
        ++i;
    }
    return i;
}

// The values a group dialog edits, as its sliders and lists hold them.
struct GroupSettings {
    int voiceSquelch = 0;  // 0..255
    int levelSquelch = 0;  // 0..255
    int delay = 0;         // tenths of a second, 0..99
    int pause = 0;         // seconds, 0..60
    // Scan groups: the mode list's position, 9 = "All Mode". Search groups:
    // auto store 0 "OFF", 1 "ON", 2 "ON DEL".
    int option = 0;
    std::string links;  // the link text after the edit, one character per bank
};

// A group field read as a decimal number, as the dialog's sliders take it:
// the leading digits, 0 when there are none; clamped to lo..hi.
int groupNumber(std::string_view field, int lo, int hi);

// The scan group's mode-list position of its option character: "0".."8" that
// position, anything above "8" the ninth entry "All Mode".
int scanModePosition(std::string_view option);

// Scan Group Settings, Ok: "XA" "XB" "XD" "XP" "XM", "BM " + the link change
// mask against `linksAtOpening`, then the read-back "GM" "BM".
std::string scanGroupSettingsText(const GroupSettings& settings, std::string_view linksAtOpening);

// Search Group Settings, Ok. Groups 0..9: "SA" "SB" "SD" "SP", "BS " + mask,
// "AS", then "GS" "BS"; the VFO search group: "DA" "DB" "DD" "DP" "VT", "GV".
std::string searchGroupSettingsText(int group, const GroupSettings& settings,
                                    std::string_view linksAtOpening);

// A search bank as its dialog leaves it.
struct SearchBankSettings {
    char bank = 'A';
    std::string lowerDigits;  // ten digits
    std::string upperDigits;  // ten digits
    bool autoMode = false;
    bool stepOffset = false;  // the "+" before the step code
    std::string stepCode;     // six digits
    char modeDigit = '0';
    bool attenuator = false;
    std::string name;
};

// Whether a search starting at lowerHz is off the step's grid; such a bank
// is written with the step offset mark.
bool needsStepOffset(long long lowerHz, long long stepHz);

// "SE" + bank, " SL", " SU", " AU", and only without automatic mode " ST"
// (with "+" for the offset) and " MD"; then " AT", " TT" + name, as one
// command.
std::string searchBankWrite(const SearchBankSettings& bank);

}  // namespace korvex
