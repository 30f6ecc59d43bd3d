#include "simulator/WireFormat.h"

#include <algorithm>
#include <cstdio>

namespace korvex::sim {

namespace {

std::string flag(bool on) {
    return on ? "1" : "0";
}

std::string padded(std::string text, size_t width) {
    if (text.size() < width) {
        text.resize(width, ' ');
    }
    return text;
}

std::string groupLine(const std::string& head, const char* tags[5], const GroupSettings& g,
                      bool above) {
    std::string line = head;
    line += ' ' + delayText(tags[0], g.delayTenths);
    line += ' ' + squelchText(tags[1], g.levelSquelch, above);
    line += ' ' + squelchText(tags[2], g.voiceSquelch, false);
    line += ' ' + pauseText(tags[3], g.pauseSeconds);
    line += ' ';
    line += tags[4];
    line += g.option;
    return line;
}

// The end of the part of a command that holds tagged fields.
size_t fieldsEnd(std::string_view text) {
    size_t end = text.size();
    for (std::string_view name : {" TM", " TT"}) {
        end = std::min(end, text.find(name));
    }
    return end;
}

}  // namespace

std::string frequencyDigits(int64_t hz) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(hz));
    return buf;
}

std::string stepDigits(int hz) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", hz);
    return buf;
}

std::string channelName(ChannelRef ref) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%02d", kBankLetters[ref.bank], ref.channel % 100);
    return buf;
}

std::string tuningFields(const Tuning& t) {
    return "RF" + frequencyDigits(t.hz) + " ST" + stepDigits(t.stepHz) + " AU" + flag(t.autoMode) +
           " MD" + std::to_string(t.mode) + " AT" + flag(t.attenuator);
}

std::string channelLine(const ReceiverState& s, ChannelRef ref) {
    const Channel* c = channelAt(s, ref);
    std::string line = "MX" + channelName(ref);
    if (c == nullptr || !c->used) {
        return line + " ---";
    }
    return line + " MP" + flag(c->pass) + ' ' + tuningFields(c->tuning) + " TM" +
           padded(c->name, kChannelNameLength);
}

std::string searchBankLine(const ReceiverState& s, int bank) {
    const SearchBank& b = s.searchBanks[bank];
    std::string line = "SR";
    line += kSearchBankLetters[bank];
    if (!b.used) {
        return line + " ---";
    }
    return line + " SL" + frequencyDigits(b.lowerHz) + " SU" + frequencyDigits(b.upperHz) + " ST" +
           stepDigits(b.tuning.stepHz) + " AU" + flag(b.tuning.autoMode) + " MD" +
           std::to_string(b.tuning.mode) + " AT" + flag(b.tuning.attenuator) + " TT" + b.name;
}

std::string selectScanLine(const ReceiverState& s, int entry) {
    const ChannelRef ref = s.selectScan[entry];
    const Channel* c = channelAt(s, ref);
    char head[8];
    std::snprintf(head, sizeof head, "GR%02d", entry % 100);
    const Channel empty;
    const Channel& ch = c != nullptr ? *c : empty;
    return std::string(head) + " MX" + channelName(ref) + ' ' + tuningFields(ch.tuning) + " TM" +
           padded(ch.name, kChannelNameLength);
}

std::string selectScanEndLine(int entry) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "GR%02d ---", entry % 100);
    return buf;
}

std::string passLine(char bank, int number, int64_t hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "PR%c%02d %010lld", bank, number % 100,
                  static_cast<long long>(hz));
    return buf;
}

std::string passEndLine(char bank, int number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "PR%c%02d ---", bank, number % 100);
    return buf;
}

std::string bankSizeLine(const ReceiverState& s, int bank) {
    const MemoryBank& b = s.banks[bank];
    char head[16];
    std::snprintf(head, sizeof head, "MW %c:%02d TB%c", kBankLetters[bank],
                  static_cast<int>(b.channels.size()) % 100, kBankLetters[bank]);
    return std::string(head) + padded(b.text.substr(0, kBankTextLength), kBankTextLength);
}

std::string scanGroupLine(const ReceiverState& s, bool above) {
    static const char* tags[5] = {"XD", "XB", "XA", "XP", "XM"};
    return groupLine("GM" + std::to_string(s.scanGroup), tags, s.scanGroups[s.scanGroup], above);
}

std::string searchGroupLine(const ReceiverState& s, bool above) {
    static const char* tags[5] = {"SD", "SB", "SA", "SP", "AS"};
    return groupLine("GS" + std::to_string(s.searchGroup), tags, s.searchGroups[s.searchGroup],
                     above);
}

std::string vfoSearchLine(const ReceiverState& s, bool above) {
    static const char* tags[5] = {"DD", "DB", "DA", "DP", "VT"};
    return groupLine("GV", tags, s.vfoSearch, above);
}

std::string scanLinksLine(const ReceiverState& s) {
    return "BM " + padded(s.scanGroups[s.scanGroup].links, kBankCount).substr(0, kBankCount);
}

std::string searchLinksLine(const ReceiverState& s) {
    return "BS " + padded(s.searchGroups[s.searchGroup].links, kSearchBankCount)
                       .substr(0, kSearchBankCount);
}

std::string delayText(const char* tag, int tenths) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%d.%d", tag, tenths / 10 % 10, tenths % 10);
    return buf;
}

std::string squelchText(const char* tag, int value, bool above) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%c%03d", tag, above ? '+' : ' ', value);
    return buf;
}

std::string pauseText(const char* tag, int seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%02d", tag, seconds % 100);
    return buf;
}

std::optional<int64_t> parseDigits(std::string_view text, size_t count) {
    if (text.size() != count || count == 0) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int64_t> parseNumber(std::string_view text, size_t maxCount) {
    if (text.empty() || text.size() > maxCount) {
        return std::nullopt;
    }
    return parseDigits(text, text.size());
}

std::optional<std::string_view> fieldValue(std::string_view text, std::string_view tag) {
    const std::string_view fields = text.substr(0, fieldsEnd(text));
    for (size_t pos = fields.find(tag); pos != std::string_view::npos;
         pos = fields.find(tag, pos + 1)) {
        if (pos == 0 || fields[pos - 1] == ' ') {
            const size_t start = pos + tag.size();
            const size_t end = fields.find(' ', start);
            return fields.substr(start, end == std::string_view::npos ? end : end - start);
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> nameValue(std::string_view text, std::string_view tag) {
    const std::string needle = " " + std::string(tag);
    const size_t pos = text.find(needle);
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(pos + needle.size());
}

}  // namespace korvex::sim
