#include "simulator/Ar8600.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "simulator/Replies.h"
#include "simulator/WireFormat.h"

namespace korvex::sim {

namespace {

struct CommandEntry {
    std::string_view word;
    Ar8600::Handler handler;
};

bool isDialKey(char c) {
    return c >= 0x1C && c <= 0x1F;
}

bool isVfoOperation(Operation op) {
    return op == Operation::Vfo || op == Operation::VfoA || op == Operation::VfoB ||
           op == Operation::MemoryVfo;
}

std::optional<bool> parseFlag(std::string_view args) {
    if (args == "0" || args == "1") {
        return args == "1";
    }
    return std::nullopt;
}

std::string flagLine(std::string_view word, bool on) {
    return line(std::string(word) + (on ? "1" : "0"));
}

}  // namespace

Ar8600::Ar8600(Ar8600Options options, ReceiverState state, SignalField spectrum)
    : m_options(options),
      m_state(std::move(state)),
      m_signals(std::move(spectrum)),
      m_engine(m_state, m_signals, [&] {
          ScanTiming t = options.timing;
          t.baudRate = options.baudRate;
          return t;
      }()) {
    std::string ignored;
    m_engine.restart(m_now, ignored);
}

std::string Ar8600::feed(std::string_view bytes) {
    std::string out;
    for (const std::string& command : m_splitter.push(bytes)) {
        out += execute(command);
    }
    return out;
}

std::string Ar8600::execute(std::string_view command) {
    if (m_poweredOff) {
        if (!m_options.stayOffAfterPowerOff && m_wakeAt < 0) {
            m_wakeAt = m_now + m_options.wakeDelayMs;
        }
        return {};
    }
    if (resizing()) {
        m_heldCommands.emplace_back(command);
        return {};
    }
    if (command != "TB") {
        m_sizesHalf = 0;
    }
    std::string out = dispatch(command);
    out += m_pendingOutput;
    m_pendingOutput.clear();
    return out;
}

std::string Ar8600::dispatch(std::string_view command) {
    static constexpr CommandEntry kCommands[] = {
        {"RX", &Ar8600::rx},
        {"RF", &Ar8600::frequency},
        {"ST", &Ar8600::step},
        {"MD", &Ar8600::mode},
        {"AU", &Ar8600::tuningFlag},
        {"AT", &Ar8600::tuningFlag},
        {"AF", &Ar8600::globalFlag},
        {"NL", &Ar8600::globalFlag},
        {"VA", &Ar8600::selectVfo},
        {"VB", &Ar8600::selectVfo},
        {"VF", &Ar8600::selectVfo},
        {"QP", &Ar8600::powerOff},
        {"EX", &Ar8600::exitRemote},
        {"LC", &Ar8600::levelReports},
        {"PQ", &Ar8600::scopeDelay},
        {"OM", &Ar8600::openingMessage},
        {"VL", &Ar8600::beepVolume},
        {"LB", &Ar8600::contrast},
        {"WP", &Ar8600::writeProtect},
        {"WM", &Ar8600::bankProtect},
        {"MX", &Ar8600::memoryWrite},
        {"MR", &Ar8600::memoryRecall},
        {"MQ", &Ar8600::memoryDelete},
        {"MA", &Ar8600::memoryRead},
        {"MS", &Ar8600::memoryScan},
        {"MW", &Ar8600::bankResize},
        {"TB", &Ar8600::bankText},
        {"MP", &Ar8600::passFlag},
        {"GA", &Ar8600::selectFlag},
        {"GR", &Ar8600::selectRead},
        {"GD", &Ar8600::selectDelete},
        {"SM", &Ar8600::selectScan},
        {"SR", &Ar8600::searchRead},
        {"SE", &Ar8600::searchWrite},
        {"QS", &Ar8600::searchDelete},
        {"SS", &Ar8600::searchStart},
        {"VS", &Ar8600::vfoSearch},
        {"PR", &Ar8600::passRead},
        {"PW", &Ar8600::passWrite},
        {"PD", &Ar8600::passDelete},
        {"GM", &Ar8600::scanGroup},
        {"GS", &Ar8600::searchGroup},
        {"GV", &Ar8600::vfoSearchGroup},
        {"BM", &Ar8600::scanLinks},
        {"BS", &Ar8600::searchLinks},
        {"XD", &Ar8600::groupField},
        {"XB", &Ar8600::groupField},
        {"XA", &Ar8600::groupField},
        {"XP", &Ar8600::groupField},
        {"XM", &Ar8600::groupField},
        {"SD", &Ar8600::groupField},
        {"SB", &Ar8600::groupField},
        {"SA", &Ar8600::groupField},
        {"SP", &Ar8600::groupField},
        {"AS", &Ar8600::groupField},
        {"DD", &Ar8600::groupField},
        {"DB", &Ar8600::groupField},
        {"DA", &Ar8600::groupField},
        {"DP", &Ar8600::groupField},
        {"VT", &Ar8600::groupField},
    };
    if (command.empty()) {
        return kAck;
    }
    if (isDialKey(command[0])) {
        dialKey(command[0]);
        return {};
    }
    if (command.size() > CommandSplitter::kMaxLength || command.size() < 2) {
        return kRefused;
    }
    for (char c : command) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return kRefused;
        }
    }
    const std::string_view word = command.substr(0, 2);
    for (const CommandEntry& entry : kCommands) {
        if (entry.word == word) {
            return (this->*entry.handler)(word, command.substr(2));
        }
    }
    return kRefused;
}

std::string Ar8600::advance(int64_t ms) {
    std::string out;
    const int64_t target = m_now + std::max<int64_t>(ms, 0);
    for (;;) {
        if (m_poweredOff) {
            if (m_wakeAt < 0 || m_wakeAt > target) {
                break;
            }
            m_now = m_wakeAt;
            m_poweredOff = false;
            m_wakeAt = -1;
            m_engine.restart(m_now, out);
            continue;
        }
        if (resizing()) {
            if (m_resizeDoneAt > target) {
                break;
            }
            m_now = m_resizeDoneAt;
            m_resizeDoneAt = -1;
            out += kAck;
            // Commands that came in meanwhile are answered now, in order.
            std::deque<std::string> held;
            held.swap(m_heldCommands);
            while (!held.empty() && !resizing() && !m_poweredOff) {
                out += execute(held.front());
                held.pop_front();
            }
            m_heldCommands.insert(m_heldCommands.end(), held.begin(), held.end());
            continue;
        }
        m_engine.run(m_now, target, out);
        break;
    }
    m_now = target;
    return out;
}

void Ar8600::enterOperation(Operation op) {
    if (op == Operation::Vfo || op == Operation::VfoA || op == Operation::VfoB) {
        m_state.activeVfo = static_cast<int>(op) - static_cast<int>(Operation::Vfo);
    }
    changeOperation(op);
    m_pendingOutput.clear();
}

void Ar8600::changeOperation(Operation op) {
    m_state.operation = op;
    m_engine.restart(m_now, m_pendingOutput);
}

int64_t Ar8600::highestHz() const {
    return m_options.markTwo ? kHighestMarkTwoHz : kHighestHz;
}

bool Ar8600::inMemoryOperation() const {
    const Operation op = m_state.operation;
    return op == Operation::MemoryRead || op == Operation::MemoryScan ||
           op == Operation::SelectScan;
}

Channel* Ar8600::currentChannel() {
    return inMemoryOperation() ? channelAt(m_state, m_state.memory) : nullptr;
}

bool Ar8600::signalAboveSquelch(int levelSquelch) const {
    return levelSquelch > 0 && m_engine.level(m_now) > levelSquelch;
}

void Ar8600::dialKey(char key) {
    const int steps = key == 0x1E ? 1 : key == 0x1F ? -1 : key == 0x1C ? 10 : -10;
    switch (m_state.operation) {
        case Operation::Search:
        case Operation::VfoSearch:
            m_engine.setDirection(steps);
            return;
        case Operation::MemoryRead: {
            // The dial walks through the used channels of the bank.
            const auto& channels = m_state.banks[m_state.memory.bank].channels;
            const int size = static_cast<int>(channels.size());
            const int direction = steps > 0 ? 1 : -1;
            for (int n = 0; n < std::abs(steps) && size > 0; ++n) {
                int ch = m_state.memory.channel;
                for (int tries = 0; tries < size; ++tries) {
                    ch = ((ch + direction) % size + size) % size;
                    if (channels[ch].used) {
                        m_state.memory.channel = ch;
                        break;
                    }
                }
            }
            changeOperation(Operation::MemoryRead);
            m_pendingOutput.clear();
            return;
        }
        case Operation::MemoryScan:
        case Operation::SelectScan: {
            // Tuning away from a scanned channel leaves the scan for a VFO
            // that starts on the channel's frequency.
            const Channel* c = channelAt(m_state, m_state.memory);
            m_state.activeVfo = m_state.activeVfo == 2 ? 2 : 1;
            if (c != nullptr && c->used) {
                activeTuning() = c->tuning;
            }
            changeOperation(Operation::MemoryVfo);
            m_pendingOutput.clear();
            break;
        }
        default:
            break;
    }
    Tuning& t = activeTuning();
    t.hz = std::clamp(t.hz + static_cast<int64_t>(steps) * t.stepHz, kLowestHz, highestHz());
}

std::string Ar8600::rx(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    const ReceiverState& s = m_state;
    const std::string vfo = s.activeVfo == 2 ? "VB " : "VA ";
    switch (s.operation) {
        case Operation::Vfo:
            return line("VF " + tuningFields(s.vfos[0]));
        case Operation::VfoA:
            return line("VA " + tuningFields(s.vfos[1]));
        case Operation::VfoB:
            return line("VB " + tuningFields(s.vfos[2]));
        case Operation::Search: {
            Tuning t = s.searchBanks[s.searchBank].tuning;
            t.hz = m_engine.receiveHz();
            return line(std::string("SR SS") + kSearchBankLetters[s.searchBank] + ' ' +
                        tuningFields(t));
        }
        case Operation::VfoSearch: {
            Tuning t = s.vfos[s.activeVfo];
            t.hz = m_engine.receiveHz();
            return line("VS " + vfo + tuningFields(t));
        }
        case Operation::MemoryRead:
            return line("MR " + channelLine(s, s.memory));
        case Operation::MemoryScan:
            return line("MS " + channelLine(s, s.memory));
        case Operation::SelectScan:
            return line("SM " + channelLine(s, s.memory));
        case Operation::MemoryVfo:
            return line("VV " + vfo + tuningFields(s.vfos[s.activeVfo]));
    }
    return kRefused;
}

std::string Ar8600::frequency(std::string_view, std::string_view args) {
    if (args.empty()) {
        return line("RF" + frequencyDigits(m_engine.receiveHz()));
    }
    const auto hz = parseDigits(args, 10);
    if (!hz || *hz < kLowestHz || *hz > highestHz()) {
        return kRefused;
    }
    if (!isVfoOperation(m_state.operation)) {
        m_state.activeVfo = 0;
        changeOperation(Operation::Vfo);
    }
    Tuning& t = activeTuning();
    t.hz = *hz;
    if (t.autoMode) {
        applyBandPlan(t);
    }
    m_engine.restart(m_now, m_pendingOutput);
    return kAck;
}

std::string Ar8600::step(std::string_view, std::string_view args) {
    Tuning& t = activeTuning();
    if (args.empty()) {
        return line("ST" + stepDigits(t.stepHz) + (t.hz % t.stepHz != 0 ? "+" : ""));
    }
    if (args.front() == '+') {
        args.remove_prefix(1);
    }
    const auto hz = parseDigits(args, 6);
    if (!hz || !isValidStep(static_cast<int>(*hz))) {
        return kRefused;
    }
    t.stepHz = static_cast<int>(*hz);
    t.autoMode = false;
    return kAck;
}

std::string Ar8600::mode(std::string_view, std::string_view args) {
    Tuning& t = activeTuning();
    if (args.empty()) {
        return line("MD" + std::to_string(t.mode));
    }
    if (args.size() != 1 || args[0] < '0' || args[0] > '8') {
        return kRefused;
    }
    t.mode = args[0] - '0';
    t.autoMode = false;
    return kAck;
}

std::string Ar8600::tuningFlag(std::string_view word, std::string_view args) {
    Tuning& t = activeTuning();
    bool& flag = word == "AU" ? t.autoMode : t.attenuator;
    if (args.empty()) {
        return flagLine(word, flag);
    }
    const auto on = parseFlag(args);
    if (!on) {
        return kRefused;
    }
    flag = *on;
    if (word == "AU" && flag) {
        applyBandPlan(t);
    }
    return kAck;
}

std::string Ar8600::globalFlag(std::string_view word, std::string_view args) {
    bool& flag = word == "AF" ? m_state.afc : m_state.noiseLimiter;
    if (args.empty()) {
        return flagLine(word, flag);
    }
    const auto on = parseFlag(args);
    if (!on) {
        return kRefused;
    }
    flag = *on;
    return kAck;
}

std::string Ar8600::selectVfo(std::string_view word, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    if (word == "VA") {
        m_state.activeVfo = 1;
        changeOperation(Operation::VfoA);
    } else if (word == "VB") {
        m_state.activeVfo = 2;
        changeOperation(Operation::VfoB);
    } else {
        m_state.activeVfo = 0;
        changeOperation(Operation::Vfo);
    }
    return kAck;
}

std::string Ar8600::powerOff(std::string_view, std::string_view args) {
    if (!args.empty()) {
        return kRefused;
    }
    // The receiver goes quiet at once: no acknowledgement.
    m_poweredOff = true;
    m_wakeAt = -1;
    m_state.levelReports = 0;
    return {};
}

std::string Ar8600::exitRemote(std::string_view, std::string_view args) {
    return args.empty() ? std::string() : kRefused;
}

std::string Ar8600::levelReports(std::string_view, std::string_view args) {
    if (args.empty()) {
        return line("LC" + std::to_string(m_state.levelReports));
    }
    if (args.size() != 1 || args[0] < '0' || args[0] > '2') {
        return kRefused;
    }
    const int value = args[0] - '0';
    if (value == 2 && !ScanEngine::isSearching(m_state.operation)) {
        return kRefused;  // the sweep runs over a search range
    }
    m_state.levelReports = value;
    m_engine.levelReportsChanged(m_now, m_pendingOutput);
    return kAck;
}

std::string Ar8600::scopeDelay(std::string_view, std::string_view args) {
    if (args.empty()) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "PQ%02d", m_state.scopeDelay);
        return line(buf);
    }
    const auto value = parseNumber(args, 2);
    if (!value) {
        return kRefused;
    }
    m_state.scopeDelay = static_cast<int>(*value);
    return kAck;
}

std::string Ar8600::openingMessage(std::string_view, std::string_view args) {
    if (args.empty()) {
        if (m_state.openingMode != '2') {
            return line(std::string("OM") + m_state.openingMode);
        }
        std::string text = m_state.openingMessage;
        text.resize(kOpeningMessageLength, ' ');
        return line("OM2 " + text);
    }
    if (args[0] < '0' || args[0] > '2' || (args.size() > 1 && args[1] != ' ')) {
        return kRefused;
    }
    m_state.openingMode = args[0];
    const std::string_view text = args.size() > 2 ? args.substr(2) : std::string_view();
    m_state.openingMessage = std::string(text.substr(0, kOpeningMessageLength));
    return kAck;
}

std::string Ar8600::beepVolume(std::string_view, std::string_view args) {
    if (args.empty()) {
        return line("VL" + std::to_string(m_state.beepVolume));
    }
    const auto value = parseDigits(args, 1);
    if (!value) {
        return kRefused;
    }
    m_state.beepVolume = static_cast<int>(*value);
    return kAck;
}

std::string Ar8600::contrast(std::string_view, std::string_view args) {
    if (args.empty()) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "LB%02d", m_state.contrast);
        return line(buf);
    }
    const auto value = parseNumber(args, 2);
    if (!value || *value > 31) {
        return kRefused;
    }
    m_state.contrast = static_cast<int>(*value);
    return kAck;
}

std::string Ar8600::writeProtect(std::string_view word, std::string_view args) {
    if (args.empty()) {
        return flagLine(word, m_state.writeProtect);
    }
    const auto on = parseFlag(args);
    if (!on) {
        return kRefused;
    }
    m_state.writeProtect = *on;
    return kAck;
}

std::string Ar8600::bankProtect(std::string_view, std::string_view args) {
    // "WM" + bank letter + flag protects a bank, + letter, two digits and
    // flag one channel.
    if (args.size() != 2 && args.size() != 4) {
        return kRefused;
    }
    const int bank = bankIndex(args[0]);
    const auto on = parseFlag(args.substr(args.size() - 1));
    if (bank < 0 || !on) {
        return kRefused;
    }
    if (args.size() == 2) {
        m_state.banks[bank].writeProtected = *on;
        return kAck;
    }
    const auto channel = parseDigits(args.substr(1, 2), 2);
    Channel* c = channel ? channelAt(m_state, {bank, static_cast<int>(*channel)}) : nullptr;
    if (c == nullptr) {
        return kRefused;
    }
    c->writeProtected = *on;
    return kAck;
}

}  // namespace korvex::sim
