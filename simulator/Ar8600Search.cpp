// Search banks, searches, pass frequencies, scan and search groups.

#include <algorithm>

#include "simulator/Ar8600.h"
#include "simulator/Replies.h"
#include "simulator/WireFormat.h"

namespace korvex::sim {

namespace {

constexpr int kPageLines = 10;

// Pass lists in the order they are read: the VFO search first, then the
// search banks.
const std::string kPassBankOrder = "V" + std::string(kSearchBankLetters);

enum class GroupKind { Scan, Search, VfoSearch };
enum class GroupField { Delay, Level, Voice, Pause, Option };

struct GroupFieldEntry {
    std::string_view word;
    GroupKind kind;
    GroupField field;
};

constexpr GroupFieldEntry kGroupFields[] = {
    {"XD", GroupKind::Scan, GroupField::Delay},
    {"XB", GroupKind::Scan, GroupField::Level},
    {"XA", GroupKind::Scan, GroupField::Voice},
    {"XP", GroupKind::Scan, GroupField::Pause},
    {"XM", GroupKind::Scan, GroupField::Option},
    {"SD", GroupKind::Search, GroupField::Delay},
    {"SB", GroupKind::Search, GroupField::Level},
    {"SA", GroupKind::Search, GroupField::Voice},
    {"SP", GroupKind::Search, GroupField::Pause},
    {"AS", GroupKind::Search, GroupField::Option},
    {"DD", GroupKind::VfoSearch, GroupField::Delay},
    {"DB", GroupKind::VfoSearch, GroupField::Level},
    {"DA", GroupKind::VfoSearch, GroupField::Voice},
    {"DP", GroupKind::VfoSearch, GroupField::Pause},
    {"VT", GroupKind::VfoSearch, GroupField::Option},
};

bool validOption(GroupKind kind, char c) {
    if (kind == GroupKind::Scan) {
        return (c >= '0' && c <= '8') || c == 'F';
    }
    return c >= '0' && c <= '2';  // auto store off, on, on with delete
}

// Applies a link change mask: each letter toggles the link of its bank.
bool applyLinkMask(std::string& links, std::string_view letters, std::string_view args) {
    if (args.size() != letters.size() + 1 || args[0] != ' ') {
        return false;
    }
    const std::string_view mask = args.substr(1);
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '-' && mask[i] != letters[i]) {
            return false;
        }
    }
    links.resize(letters.size(), '-');
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '-') {
            links[i] = links[i] == '-' ? letters[i] : '-';
        }
    }
    return true;
}

std::optional<int64_t> frequencyField(std::string_view args, std::string_view tag,
                                      int64_t highest) {
    const auto text = fieldValue(args, tag);
    const auto hz = text ? parseDigits(*text, 10) : std::nullopt;
    if (!hz || *hz < kLowestHz || *hz > highest) {
        return std::nullopt;
    }
    return hz;
}

}  // namespace

std::string Ar8600::searchRead(std::string_view, std::string_view args) {
    if (args == "%%") {
        m_searchPage = 0;
    } else if (!args.empty()) {
        return kRefused;
    }
    std::string out;
    const int first = m_searchPage * kPageLines;
    for (int bank = first; bank < first + kPageLines; ++bank) {
        out += line(searchBankLine(m_state, bank));
    }
    m_searchPage = (m_searchPage + 1) % (kSearchBankCount / kPageLines);
    return out;
}

std::string Ar8600::searchWrite(std::string_view, std::string_view args) {
    const int bank = args.empty() ? -1 : searchBankIndex(args[0]);
    if (bank < 0 || args.size() < 2 || args[1] != ' ') {
        return kRefused;
    }
    SearchBank b = m_state.searchBanks[bank];
    const auto lower = frequencyField(args, "SL", highestHz());
    const auto upper = frequencyField(args, "SU", highestHz());
    if (!lower || !upper || *lower == *upper) {
        return kRefused;
    }
    if (!b.used) {
        b.tuning = Tuning{};
    }
    b.used = true;
    b.lowerHz = *lower;
    b.upperHz = *upper;
    if (const auto au = fieldValue(args, "AU")) {
        if (*au != "0" && *au != "1") {
            return kRefused;
        }
        b.tuning.autoMode = *au == "1";
    }
    if (const auto st = fieldValue(args, "ST")) {
        b.stepOffset = !st->empty() && st->front() == '+';
        const auto stepHz = parseDigits(b.stepOffset ? st->substr(1) : *st, 6);
        if (!stepHz || !isValidStep(static_cast<int>(*stepHz))) {
            return kRefused;
        }
        b.tuning.stepHz = static_cast<int>(*stepHz);
    }
    if (const auto md = fieldValue(args, "MD")) {
        if (md->size() != 1 || (*md)[0] < '0' || (*md)[0] > '8') {
            return kRefused;
        }
        b.tuning.mode = (*md)[0] - '0';
    }
    if (const auto at = fieldValue(args, "AT")) {
        if (*at != "0" && *at != "1") {
            return kRefused;
        }
        b.tuning.attenuator = *at == "1";
    }
    if (b.tuning.autoMode) {
        Tuning plan;
        plan.hz = b.lowerHz;
        applyBandPlan(plan);
        b.tuning.mode = plan.mode;
        b.tuning.stepHz = plan.stepHz;
    }
    const auto name = nameValue(args, "TT");
    b.name = name ? std::string(name->substr(0, kSearchNameLength)) : std::string();
    m_state.searchBanks[bank] = b;
    return kAck;
}

std::string Ar8600::searchDelete(std::string_view, std::string_view args) {
    const int bank = args.size() == 1 ? searchBankIndex(args[0]) : -1;
    if (bank < 0) {
        return kRefused;
    }
    m_state.searchBanks[bank] = SearchBank{};
    auto& pass = m_state.passFrequencies;
    pass.erase(std::remove_if(pass.begin(), pass.end(),
                              [&](const PassFrequency& p) { return p.bank == args[0]; }),
               pass.end());
    if (m_state.operation == Operation::Search && m_state.searchBank == bank) {
        m_state.activeVfo = 0;
        changeOperation(Operation::Vfo);
    }
    return kAck;
}

std::string Ar8600::searchStart(std::string_view, std::string_view args) {
    const int bank = args.size() == 1 ? searchBankIndex(args[0]) : -1;
    if (bank < 0 || !m_state.searchBanks[bank].used) {
        return kRefused;
    }
    m_state.searchBank = bank;
    changeOperation(Operation::Search);
    return kAck;
}

std::string Ar8600::vfoSearch(std::string_view, std::string_view args) {
    if (!args.empty() || m_state.vfos[1].hz == m_state.vfos[2].hz) {
        return kRefused;
    }
    m_state.activeVfo = m_state.activeVfo == 2 ? 2 : 1;
    changeOperation(Operation::VfoSearch);
    return kAck;
}

char Ar8600::passBankForNewEntry() const {
    switch (m_state.operation) {
        case Operation::Search:
            return kSearchBankLetters[m_state.searchBank];
        case Operation::Vfo:
        case Operation::VfoA:
        case Operation::VfoB:
        case Operation::VfoSearch:
            return 'V';
        default:
            return '\0';
    }
}

std::string Ar8600::passRead(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    std::string out;
    for (char bank : kPassBankOrder) {
        int number = 0;
        for (const PassFrequency& p : m_state.passFrequencies) {
            if (p.bank == bank) {
                out += line(passLine(bank, number++, p.hz));
            }
        }
    }
    // The end entry names the slot the next pass frequency would take.
    const char bank = passBankForNewEntry() != '\0' ? passBankForNewEntry() : 'V';
    const auto count = std::count_if(m_state.passFrequencies.begin(), m_state.passFrequencies.end(),
                                     [&](const PassFrequency& p) { return p.bank == bank; });
    return out + line(passEndLine(bank, static_cast<int>(count)));
}

std::string Ar8600::passWrite(std::string_view, std::string_view args) {
    const char bank = passBankForNewEntry();
    if (bank == '\0') {
        return kRefused;
    }
    int64_t hz = m_engine.receiveHz();
    if (!args.empty()) {
        const auto value = parseDigits(args, 10);
        if (!value) {
            return kRefused;
        }
        hz = *value;
    }
    if (hz < kLowestHz || hz > highestHz()) {
        return kRefused;
    }
    auto& pass = m_state.passFrequencies;
    int count = 0;
    for (const PassFrequency& p : pass) {
        if (p.bank == bank && p.hz == hz) {
            return kAck;
        }
        count += p.bank == bank ? 1 : 0;
    }
    if (count >= kPassPerBankMax) {
        return kRefused;
    }
    pass.push_back({bank, hz});
    return kAck;
}

std::string Ar8600::passDelete(std::string_view, std::string_view args) {
    if (args.size() != 3 || kPassBankOrder.find(args[0]) == std::string::npos) {
        return kRefused;
    }
    const char bank = args[0];
    auto& pass = m_state.passFrequencies;
    if (args.substr(1) == "%%") {
        pass.erase(std::remove_if(pass.begin(), pass.end(),
                                  [&](const PassFrequency& p) { return p.bank == bank; }),
                   pass.end());
        return kAck;
    }
    const auto number = parseDigits(args.substr(1), 2);
    if (!number) {
        return kRefused;
    }
    int n = 0;
    for (auto it = pass.begin(); it != pass.end(); ++it) {
        if (it->bank == bank && n++ == *number) {
            pass.erase(it);
            return kAck;
        }
    }
    return kRefused;
}

std::string Ar8600::scanGroup(std::string_view, std::string_view args) {
    if (args.empty()) {
        const int level = m_state.scanGroups[m_state.scanGroup].levelSquelch;
        return line(scanGroupLine(m_state, signalAboveSquelch(level)));
    }
    const auto group = parseDigits(args, 1);
    if (!group) {
        return kRefused;
    }
    m_state.scanGroup = static_cast<int>(*group);
    return kAck;
}

std::string Ar8600::searchGroup(std::string_view, std::string_view args) {
    if (args.empty()) {
        const int level = m_state.searchGroups[m_state.searchGroup].levelSquelch;
        return line(searchGroupLine(m_state, signalAboveSquelch(level)));
    }
    const auto group = parseDigits(args, 1);
    if (!group) {
        return kRefused;
    }
    m_state.searchGroup = static_cast<int>(*group);
    return kAck;
}

std::string Ar8600::vfoSearchGroup(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    return line(vfoSearchLine(m_state, signalAboveSquelch(m_state.vfoSearch.levelSquelch)));
}

std::string Ar8600::scanLinks(std::string_view, std::string_view args) {
    if (args.empty()) {
        return line(scanLinksLine(m_state));
    }
    auto& links = m_state.scanGroups[m_state.scanGroup].links;
    return applyLinkMask(links, kBankLetters, args) ? kAck : kRefused;
}

std::string Ar8600::searchLinks(std::string_view, std::string_view args) {
    if (args.empty()) {
        return line(searchLinksLine(m_state));
    }
    auto& links = m_state.searchGroups[m_state.searchGroup].links;
    return applyLinkMask(links, kSearchBankLetters, args) ? kAck : kRefused;
}

std::string Ar8600::groupField(std::string_view word, std::string_view args) {
    const GroupFieldEntry* entry = nullptr;
    for (const auto& e : kGroupFields) {
        if (e.word == word) {
            entry = &e;
        }
    }
    if (entry == nullptr) {
        return kRefused;
    }
    GroupSettings& g = entry->kind == GroupKind::Scan ? m_state.scanGroups[m_state.scanGroup]
                       : entry->kind == GroupKind::Search
                           ? m_state.searchGroups[m_state.searchGroup]
                           : m_state.vfoSearch;
    const std::string tag(word);
    if (args.empty()) {
        switch (entry->field) {
            case GroupField::Delay:
                return line(delayText(tag.c_str(), g.delayTenths));
            case GroupField::Level:
                return line(
                    squelchText(tag.c_str(), g.levelSquelch, signalAboveSquelch(g.levelSquelch)));
            case GroupField::Voice:
                return line(squelchText(tag.c_str(), g.voiceSquelch, false));
            case GroupField::Pause:
                return line(pauseText(tag.c_str(), g.pauseSeconds));
            case GroupField::Option:
                return line(tag + g.option);
        }
        return kRefused;
    }
    if (entry->field == GroupField::Option) {
        if (args.size() != 1 || !validOption(entry->kind, args[0])) {
            return kRefused;
        }
        g.option = args[0];
        return kAck;
    }
    if (args.front() == ' ') {
        args.remove_prefix(1);
    }
    const bool squelch = entry->field == GroupField::Level || entry->field == GroupField::Voice;
    const auto value = parseNumber(args, squelch ? 3 : 2);
    const int64_t limit = squelch ? 255 : entry->field == GroupField::Pause ? 60 : 99;
    if (!value || *value > limit) {
        return kRefused;
    }
    const int v = static_cast<int>(*value);
    switch (entry->field) {
        case GroupField::Delay:
            g.delayTenths = v;
            break;
        case GroupField::Level:
            g.levelSquelch = v;
            break;
        case GroupField::Voice:
            g.voiceSquelch = v;
            break;
        default:
            g.pauseSeconds = v;
            break;
    }
    return kAck;
}

}  // namespace korvex::sim
