#include "link/GroupCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "link/Commands.h"

namespace korvex {

namespace {

std::string digits(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

std::string flag(bool on) {
    return on ? "1" : "0";
}

// The words of one kind of group for voice squelch, level squelch, delay
// and pause.
struct GroupWords {
    std::string_view voice, level, delay, pause;
};

std::string groupValues(const GroupWords& w, const GroupSettings& s) {
    return composeCommand(w.voice, digits(std::clamp(s.voiceSquelch, 0, 255), 3)) +
           composeCommand(w.level, digits(std::clamp(s.levelSquelch, 0, 255), 3)) +
           composeCommand(w.delay, digits(std::clamp(s.delay, 0, 99), 2)) +
           composeCommand(w.pause, digits(std::clamp(s.pause, 0, 60), 2));
}

}  // namespace

bool isLinked(std::string_view links, std::size_t i) {
    return i < links.size() && links[i] != '-' && links[i] != EMPTY_BYTE;
}

std::string linkChangeMask(std::string_view order, std::string_view before,
                           std::string_view after) {
    std::string mask(order.size(), '-');
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (isLinked(before, i) != isLinked(after, i)) {
            mask[i] = order[i];
        }
    }
    return mask;
}

int groupNumber(std::string_view field, int lo, int hi) {
    long value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + (c - '0'), 1000000L);
    }
    return std::clamp(static_cast<int>(value), lo, hi);
}

int scanModePosition(std::string_view option) {
    if (option.empty()) {
        return 0;
    }
    const auto c = static_cast<unsigned char>(option.front());
    if (c > '8') {
        return 9;
    }
    return c >= '0' ? c - '0' : 0;
}

std::string scanGroupSettingsText(const GroupSettings& s, std::string_view linksAtOpening) {
    const std::string mode =
        s.option >= 0 && s.option <= 8 ? std::string(1, static_cast<char>('0' + s.option)) : "F";
    return groupValues({"XA", "XB", "XD", "XP"}, s) + composeCommand("XM", mode) +
           composeCommand("BM", " " + linkChangeMask(kScanLinkOrder, linksAtOpening, s.links)) +
           composeCommand("GM") + composeCommand("BM");
}

std::string searchGroupSettingsText(int group, const GroupSettings& s,
                                    std::string_view linksAtOpening) {
    const std::string autoStore(1, static_cast<char>('0' + std::clamp(s.option, 0, 2)));
    if (group == kVfoSearchGroup) {
        return groupValues({"DA", "DB", "DD", "DP"}, s) + composeCommand("VT", autoStore) +
               composeCommand("GV");
    }
    return groupValues({"SA", "SB", "SD", "SP"}, s) +
           composeCommand("BS", " " + linkChangeMask(kSearchLinkOrder, linksAtOpening, s.links)) +
           composeCommand("AS", autoStore) + composeCommand("GS") + composeCommand("BS");
}

bool needsStepOffset(long long lowerHz, long long stepHz) {
    return stepHz > 0 && lowerHz % stepHz != 0;
}

std::string searchBankWrite(const SearchBankSettings& b) {
    // A bank that is no letter, or a mode that is no digit, would write
    // another bank or a broken command: nothing is sent.
    const auto letter = static_cast<unsigned char>(b.bank);
    if (!std::isalpha(letter) || letter > 0x7F || b.modeDigit < '0' || b.modeDigit > '9') {
        return {};
    }
    const std::string bank(1, b.bank);
    const std::string mode(1, b.modeDigit);
    const std::string_view offset = b.stepOffset ? "+" : "";
    // Every part is cleaned of control characters, the name included, so no
    // text from the receiver or the operator can end the command early.
    if (b.autoMode) {
        return composeCommandParts("SE", {bank, " SL", b.lowerDigits, " SU", b.upperDigits,
                                          " AU1 AT", flag(b.attenuator), " TT", b.name});
    }
    return composeCommandParts(
        "SE", {bank, " SL", b.lowerDigits, " SU", b.upperDigits, " AU0 ST", offset, b.stepCode,
               " MD", mode, " AT", flag(b.attenuator), " TT", b.name});
}

}  // namespace korvex
