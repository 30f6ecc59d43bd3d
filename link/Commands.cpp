#include "link/Commands.h"

#include <cstdio>

#include "model/Receiver.h"
#include "model/Tables.h"

namespace korvex {

namespace {

constexpr char CR = '\r';

std::string flagDigit(bool on) {
    return on ? "1" : "0";
}

// A display frequency as the receiver model shows it: digits and separators
// only, anything else (a scan status text) is no frequency.
bool looksLikeFrequency(std::string_view text) {
    return text.find_first_not_of("0123456789,.") == std::string_view::npos;
}

}  // namespace

std::string removeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
        }
    }
    return out;
}

std::string composeCommandParts(std::string_view word,
                                std::initializer_list<std::string_view> parts) {
    std::string out(word);
    for (std::string_view part : parts) {
        out += removeControlCharacters(part);
    }
    out += CR;
    return out;
}

std::string composeCommand(std::string_view word, std::string_view a1, std::string_view a2,
                           std::string_view a3) {
    std::size_t used = 0;
    for (std::string_view arg : {a1, a2, a3}) {
        if (removeControlCharacters(arg).empty()) {
            break;
        }
        ++used;
    }
    switch (used) {
        case 0:
            return composeCommandParts(word, {});
        case 1:
            return composeCommandParts(word, {a1});
        case 2:
            return composeCommandParts(word, {a1, a2});
        default:
            return composeCommandParts(word, {a1, a2, a3});
    }
}

std::string frequencyCommand(std::string_view text, FrequencyUnit unit, bool mark2) {
    const std::string rf = frequencyText(text, unit, mark2);
    if (rf.empty()) {
        return {};
    }
    return composeCommandParts("", {rf}) + cmd::statusRefresh();
}

std::string tuneCommands(std::string_view frequencyMhz, int operatingState, bool mark2) {
    const std::string command = frequencyCommand(frequencyMhz, FrequencyUnit::MHz, mark2);
    if (command.empty()) {
        return {};
    }
    const bool vfoState = operatingState >= kStateVfo && operatingState <= kStateVfoB;
    return vfoState ? command : composeCommand("VF") + command;
}

namespace cmd {

char modeDigit(int mode) {
    if (mode < 0 || mode >= static_cast<int>(kModeIndexToDigit.size())) {
        return '0';
    }
    return kModeIndexToDigit[static_cast<std::size_t>(mode)];
}

std::string noiseLimiterQuery() {
    return composeCommand("NL");
}
std::string leaveRemote() {
    return composeCommand("EX");
}
std::string powerOff() {
    return composeCommand("QP");
}

std::string statusRefresh() {
    return "RX\rAF\rNL\rDB\rSB\rXB\r";
}

std::string statusRefreshWithFlags(const CReceiver& rx) {
    std::string out = statusRefresh();
    if (rx.operatingState == kStateMemoryRead) {
        out += selectPassFlagsRead();
    }
    return out;
}

std::string initialReadout() {
    return statusRefresh() + bankSizesRead() + selectPassFlagsRead() + scanGroupsRead() +
           searchGroupsRead() + openingMessageRead() + vlRead() + lbRead();
}

std::string bankSizesRead() {
    return "TB\rTB\r";
}
std::string selectPassFlagsRead() {
    return "GA\rMP\r";
}
std::string openingMessageRead() {
    return composeCommand("OM");
}
std::string vlRead() {
    return composeCommand("VL");
}
std::string lbRead() {
    return composeCommand("LB");
}
std::string scanGroupsRead() {
    return "GM\rBM\r";
}
std::string searchGroupsRead() {
    return "GS\rBS\r";
}
std::string vfoSearchSettingsRead() {
    return composeCommand("GV");
}

std::string scanGroupSelect(CReceiver& rx, int group) {
    if (group < 0 || group > 9) {
        return {};
    }
    rx.currentScanGroup = group;
    return composeCommand("GM", std::string(1, static_cast<char>('0' + group)));
}

std::string searchGroupSelect(CReceiver& rx, int group) {
    if (group < 0 || group > 9) {
        return {};
    }
    rx.currentSearchGroup = group;
    return composeCommand("GS", std::string(1, static_cast<char>('0' + group)));
}

std::string searchStart(std::string_view bank) {
    return levelReports(LevelReports::On) + composeCommand("SS", bank);
}

std::string vfoSearchStart() {
    return levelReports(LevelReports::On) + composeCommand("VS");
}

std::string bandscopeStart(CReceiver& rx, int scopeDelay) {
    rx.bandscopeHalted = false;
    return composeCommand("PQ", std::to_string(scopeDelay)) + levelReports(LevelReports::Bandscope);
}

std::string levelReports(LevelReports reports) {
    return composeCommand("LC", std::string(1, static_cast<char>(reports)));
}

std::string memoryReadStart() {
    return levelReports(LevelReports::Off) + composeCommand("MR") + statusRefresh() +
           selectPassFlagsRead();
}

std::string memoryScanStart() {
    return levelReports(LevelReports::On) + composeCommand("MS") + statusRefresh();
}

std::string selectScanStart() {
    return levelReports(LevelReports::On) + composeCommand("SM") + statusRefresh();
}

std::string levelSquelch(CReceiver& rx, int value) {
    if (value < 0 || value > 255) {
        return {};
    }
    const char* word = nullptr;
    if (rx.operatingState >= kStateVfo && rx.operatingState <= kStateVfoB) {
        word = "DB";
    } else if (rx.operatingState >= kStateSearch && rx.operatingState <= kStateVfoSearchB) {
        word = "SB";
    } else if (rx.operatingState >= kStateMemoryRead && rx.operatingState <= kStateVvB) {
        word = "XB";
    } else {
        return {};
    }
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03d", value);
    if (GroupRecord* group = rx.levelSquelchGroup()) {
        group->field[GroupRecord::kLevelSquelch] = digits;
    }
    return composeCommand(word, digits);
}

std::string selectFlag(bool on) {
    return composeCommand("GA", flagDigit(on)) + "GA\r";
}
std::string passFlag(bool on) {
    return composeCommand("MP", flagDigit(on)) + "MP\r";
}

std::string dialKey(DialKey key) {
    return std::string(1, static_cast<char>(key)) + CR;
}

std::string stepSet(std::string_view stepCode) {
    return composeCommand("ST", stepCode) + "RX\r";
}

std::string modeSet(std::string_view mode) {
    const std::string clean = removeControlCharacters(mode);
    std::string digit;
    if (clean.size() == 1) {
        digit = clean;
    } else if (auto d = modeDigitFromName(clean)) {
        digit = std::string(1, *d);
    } else {
        return {};
    }
    return composeCommand("MD", digit) + "RX\r";
}

std::string vfoSelect(char which) {
    const char* word = nullptr;
    switch (which) {
        case 'A':
            word = "VA";
            break;
        case 'B':
            word = "VB";
            break;
        case 'S':
            word = "VF";
            break;
        default:
            return {};
    }
    return composeCommand(word) + statusRefresh();
}

std::string vfoRestore(const CReceiver& rx, bool mark2) {
    if (!looksLikeFrequency(rx.vfoFrequency)) {
        return {};
    }
    const std::string rf = frequencyText(rx.vfoFrequency, FrequencyUnit::MHz, mark2);
    if (rf.empty()) {
        return {};
    }
    return composeCommand("VF") + composeCommandParts("", {rf}) +
           composeCommand("ST", rx.stepText) +
           composeCommand("MD", std::string(1, modeDigit(rx.mode))) +
           composeCommand("AU", flagDigit(rx.autoMode)) +
           composeCommand("AT", flagDigit(rx.attenuator)) +
           composeCommand("NL", flagDigit(rx.noiseLimiter)) +
           composeCommand("AF", flagDigit(rx.afc)) + statusRefresh();
}

std::string flagSet(Flag flag, bool on) {
    switch (flag) {
        case Flag::Afc:
            return composeCommand("AF", flagDigit(on)) + "AF\r";
        case Flag::Attenuator:
            return composeCommand("AT", flagDigit(on)) + "AT\r";
        case Flag::NoiseLimiter:
            return composeCommand("NL", flagDigit(on)) + "NL\r";
        case Flag::AutoMode:
            return composeCommand("AU", flagDigit(on)) + "RX\r";
    }
    return {};
}

std::string passFrequencyWrite(std::string_view entry, bool mark2) {
    if (entry.empty()) {
        return composeCommand("PW");
    }
    const std::string rf = frequencyText(entry, FrequencyUnit::MHz, mark2);
    if (rf.empty()) {
        return {};
    }
    return composeCommand("PW", std::string_view(rf).substr(2));
}

std::string memoryRecall(std::string_view channel) {
    return composeCommand("MR", channel) + statusRefresh() + selectPassFlagsRead();
}

std::string openingMessageSet(char mode, std::string_view message) {
    const std::string m = removeControlCharacters(std::string_view(&mode, 1));
    if (m.empty()) {
        return {};
    }
    if (mode == '2' && removeControlCharacters(message).empty()) {
        return composeCommand("OM", m);
    }
    return composeCommandParts("OM", {m, " ", message});
}

std::string vlSet(char value) {
    const std::string v = removeControlCharacters(std::string_view(&value, 1));
    if (v.empty()) {
        return {};
    }
    return composeCommand("VL", v);
}
std::string lbSet(std::string_view value) {
    return composeCommand("LB", value);
}

}  // namespace cmd
}  // namespace korvex
