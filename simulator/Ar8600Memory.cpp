// Memory channels, banks, bank texts and sizes, and the select-scan list.

#include <algorithm>

#include "simulator/Ar8600.h"
#include "simulator/Replies.h"
#include "simulator/WireFormat.h"

namespace korvex::sim {

namespace {

constexpr int kPageLines = 10;

// "A05" into a reference, if the channel exists.
std::optional<ChannelRef> parseChannel(const ReceiverState& s, std::string_view text) {
    if (text.size() != 3) {
        return std::nullopt;
    }
    const int bank = bankIndex(text[0]);
    const auto channel = parseDigits(text.substr(1), 2);
    if (bank < 0 || !channel) {
        return std::nullopt;
    }
    const ChannelRef ref{bank, static_cast<int>(*channel)};
    if (channelAt(s, ref) == nullptr) {
        return std::nullopt;
    }
    return ref;
}

std::optional<bool> optionalFlag(std::string_view args, std::string_view tag, bool fallback,
                                 bool& bad) {
    const auto value = fieldValue(args, tag);
    if (!value) {
        return fallback;
    }
    if (*value != "0" && *value != "1") {
        bad = true;
        return std::nullopt;
    }
    return *value == "1";
}

}  // namespace

bool Ar8600::bankWritable(int bank, int channel) const {
    if (m_state.writeProtect || m_state.banks[bank].writeProtected) {
        return false;
    }
    const Channel* c = channelAt(m_state, {bank, channel});
    return c == nullptr || !c->writeProtected;
}

void Ar8600::removeFromSelectScan(ChannelRef ref) {
    auto& list = m_state.selectScan;
    list.erase(std::remove(list.begin(), list.end(), ref), list.end());
    m_state.selectPosition = 0;
}

std::string Ar8600::memoryWrite(std::string_view, std::string_view args) {
    const auto ref = parseChannel(m_state, args.substr(0, 3));
    if (!ref) {
        return kRefused;
    }
    if (args.size() == 3) {
        return line(channelLine(m_state, *ref));  // a read of one channel
    }
    if (args[3] != ' ') {
        return kRefused;
    }
    const auto rf = fieldValue(args, "RF");
    const auto hz = rf ? parseDigits(*rf, 10) : std::nullopt;
    if (!hz || *hz < kLowestHz || *hz > highestHz()) {
        return kRefused;
    }
    Tuning t;
    t.hz = *hz;
    applyBandPlan(t);
    if (const auto st = fieldValue(args, "ST")) {
        const std::string_view digits = !st->empty() && st->front() == '+' ? st->substr(1) : *st;
        const auto stepHz = parseDigits(digits, 6);
        if (!stepHz || !isValidStep(static_cast<int>(*stepHz))) {
            return kRefused;
        }
        t.stepHz = static_cast<int>(*stepHz);
    }
    if (const auto md = fieldValue(args, "MD")) {
        if (md->size() != 1 || (*md)[0] < '0' || (*md)[0] > '8') {
            return kRefused;
        }
        t.mode = (*md)[0] - '0';
    }
    bool bad = false;
    const auto autoMode = optionalFlag(args, "AU", false, bad);
    const auto attenuator = optionalFlag(args, "AT", false, bad);
    const auto pass = optionalFlag(args, "MP", false, bad);
    if (bad) {
        return kRefused;
    }
    t.autoMode = *autoMode;
    t.attenuator = *attenuator;
    if (!bankWritable(ref->bank, ref->channel)) {
        return kRefused;
    }
    Channel& c = *channelAt(m_state, *ref);
    c.used = true;
    c.tuning = t;
    c.pass = *pass;
    const auto name = nameValue(args, "TM");
    c.name = name ? std::string(name->substr(0, kChannelNameLength)) : std::string();
    return kAck;
}

std::string Ar8600::memoryRecall(std::string_view, std::string_view args) {
    if (!args.empty()) {
        const auto ref = parseChannel(m_state, args);
        if (!ref) {
            return kRefused;
        }
        m_state.memory = *ref;
    } else if (channelAt(m_state, m_state.memory) == nullptr) {
        m_state.memory = {0, 0};
    }
    changeOperation(Operation::MemoryRead);
    return kAck;
}

std::string Ar8600::memoryDelete(std::string_view, std::string_view args) {
    if (args.size() == 3 && args.substr(1) == "%%") {
        const int bank = bankIndex(args[0]);
        if (bank < 0 || !bankWritable(bank, -1)) {
            return kRefused;
        }
        auto& channels = m_state.banks[bank].channels;
        for (int ch = 0; ch < static_cast<int>(channels.size()); ++ch) {
            channels[ch] = Channel{};
            removeFromSelectScan({bank, ch});
        }
        return kAck;
    }
    // "MQ" + two digits clears a channel of the bank being read.
    const auto channel = parseDigits(args, 2);
    if (!channel || m_state.operation != Operation::MemoryRead) {
        return kRefused;
    }
    const ChannelRef ref{m_state.memory.bank, static_cast<int>(*channel)};
    Channel* c = channelAt(m_state, ref);
    if (c == nullptr || !bankWritable(ref.bank, ref.channel)) {
        return kRefused;
    }
    *c = Channel{};
    removeFromSelectScan(ref);
    return kAck;
}

std::string Ar8600::pageOfChannels() {
    const auto& channels = m_state.banks[m_pageBank].channels;
    if (m_pageNext >= static_cast<int>(channels.size())) {
        m_pageBank = -1;
        return kRefused;
    }
    std::string out;
    const int end = std::min(m_pageNext + kPageLines, static_cast<int>(channels.size()));
    for (int ch = m_pageNext; ch < end; ++ch) {
        out += line(channelLine(m_state, {m_pageBank, ch}));
    }
    m_pageNext = end;
    return out;
}

std::string Ar8600::memoryRead(std::string_view, std::string_view args) {
    if (!args.empty()) {
        const int bank = args.size() == 1 ? bankIndex(args[0]) : -1;
        if (bank < 0) {
            return kRefused;
        }
        m_pageBank = bank;
        m_pageNext = 0;
    } else if (m_pageBank < 0) {
        return kRefused;
    }
    return pageOfChannels();
}

std::string Ar8600::memoryScan(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    bool any = false;
    for (int bank = 0; bank < kBankCount && !any; ++bank) {
        for (int ch = 0; ch < static_cast<int>(m_state.banks[bank].channels.size()); ++ch) {
            if (m_engine.scannable({bank, ch})) {
                any = true;
                break;
            }
        }
    }
    if (!any) {
        return kRefused;
    }
    changeOperation(Operation::MemoryScan);
    return kAck;
}

std::string Ar8600::bankResize(std::string_view, std::string_view args) {
    if (args.size() != 3) {
        return kRefused;
    }
    const int bank = bankIndex(args[0]);
    const auto size = parseDigits(args.substr(1), 2);
    if (bank < 0 || !size || *size < 10 || *size > 90 || *size % 10 != 0 || m_state.writeProtect) {
        return kRefused;
    }
    const int upper = isUpperBank(bank) ? bank : partnerBank(bank);
    const int lower = partnerBank(upper);
    const int newUpper =
        bank == upper ? static_cast<int>(*size) : kSlotsPerPair - static_cast<int>(*size);
    const int oldUpper = static_cast<int>(m_state.banks[upper].channels.size());

    // The pair's slots are one block: the upper bank's channels first, then
    // the lower bank's. A shrinking bank loses its last channels, the other
    // keeps its channels and gains empty ones at its end; the lower bank's
    // slots all move.
    m_state.banks[upper].channels.resize(newUpper);
    m_state.banks[lower].channels.resize(kSlotsPerPair - newUpper);
    auto& list = m_state.selectScan;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](ChannelRef r) { return channelAt(m_state, r) == nullptr; }),
               list.end());
    m_state.selectPosition = 0;
    if (channelAt(m_state, m_state.memory) == nullptr) {
        m_state.memory.channel = 0;
    }
    m_pageBank = -1;

    const int moved = kSlotsPerPair - std::min(oldUpper, newUpper);
    m_resizeDoneAt = m_now + m_options.resizeBaseMs + int64_t{m_options.resizeMsPerSlot} * moved;
    return {};  // the empty line comes when the receiver has finished
}

std::string Ar8600::bankText(std::string_view, std::string_view args) {
    if (args.empty()) {
        // Ten banks per query: the upper-case banks, then on the next
        // query the lower-case ones.
        std::string out;
        const int first = m_sizesHalf * (kBankCount / 2);
        for (int bank = first; bank < first + kBankCount / 2; ++bank) {
            out += line(bankSizeLine(m_state, bank));
        }
        m_sizesHalf ^= 1;
        return out;
    }
    const int bank = bankIndex(args[0]);
    if (bank < 0) {
        return kRefused;
    }
    m_state.banks[bank].text = std::string(args.substr(1, kBankTextLength));
    return kAck;
}

std::string Ar8600::passFlag(std::string_view word, std::string_view args) {
    Channel* c = currentChannel();
    const bool used = c != nullptr && c->used;
    if (args.empty()) {
        return line(std::string(word) + (used && c->pass ? "1" : "0"));
    }
    if ((args != "0" && args != "1") || !used ||
        !bankWritable(m_state.memory.bank, m_state.memory.channel)) {
        return kRefused;
    }
    c->pass = args == "1";
    return kAck;
}

std::string Ar8600::selectFlag(std::string_view word, std::string_view args) {
    Channel* c = currentChannel();
    const bool used = c != nullptr && c->used;
    auto& list = m_state.selectScan;
    const bool listed = used && std::find(list.begin(), list.end(), m_state.memory) != list.end();
    if (args.empty()) {
        return line(std::string(word) + (listed ? "1" : "0"));
    }
    if ((args != "0" && args != "1") || !used) {
        return kRefused;
    }
    if (args == "0") {
        removeFromSelectScan(m_state.memory);
    } else if (!listed) {
        if (static_cast<int>(list.size()) >= kSelectScanMax) {
            return kRefused;
        }
        list.push_back(m_state.memory);
    }
    return kAck;
}

std::string Ar8600::selectRead(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    std::string out;
    const int n = static_cast<int>(m_state.selectScan.size());
    for (int entry = 0; entry < n; ++entry) {
        out += line(selectScanLine(m_state, entry));
    }
    return out + line(selectScanEndLine(n));
}

std::string Ar8600::selectDelete(std::string_view, std::string_view args) {
    auto& list = m_state.selectScan;
    if (args == "%%") {
        list.clear();
    } else {
        const auto entry = parseDigits(args, 2);
        if (!entry || *entry >= static_cast<int64_t>(list.size())) {
            return kRefused;
        }
        list.erase(list.begin() + *entry);
    }
    m_state.selectPosition = 0;
    return kAck;
}

std::string Ar8600::selectScan(std::string_view, std::string_view args) {
    const auto& list = m_state.selectScan;
    const bool any = std::any_of(list.begin(), list.end(), [&](ChannelRef r) {
        const Channel* c = channelAt(m_state, r);
        return c != nullptr && c->used;
    });
    if (!args.empty() || !any) {
        return kRefused;
    }
    // Start before the first entry, so the first step lands on it.
    m_state.selectPosition = static_cast<int>(list.size()) - 1;
    m_state.memory = list.back();
    changeOperation(Operation::SelectScan);
    return kAck;
}

}  // namespace korvex::sim
