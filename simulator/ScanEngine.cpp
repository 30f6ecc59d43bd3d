#include "simulator/ScanEngine.h"

#include <algorithm>
#include <cstdio>

namespace korvex::sim {

namespace {

// The longest sweep line with its CR LF, and 11 bits per character.
constexpr int kSweepLineChars = 23;
constexpr int kBitsPerChar = 11;

std::string openLine(int level, char vfo, int64_t hz) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "LC%03d V%c RF%010lld\r\n", level, vfo,
                  static_cast<long long>(hz));
    return buf;
}

std::string closedLine(int level, char vfo) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "LC%%%03d V%c\r\n", level, vfo);
    return buf;
}

}  // namespace

ScanEngine::ScanEngine(ReceiverState& state, const SignalField& spectrum, ScanTiming timing)
    : m_state(state), m_signals(spectrum), m_timing(timing) {}

bool ScanEngine::isScanning(Operation op) {
    return op == Operation::Search || op == Operation::VfoSearch || op == Operation::MemoryScan ||
           op == Operation::SelectScan;
}

bool ScanEngine::isSearching(Operation op) {
    return op == Operation::Search || op == Operation::VfoSearch;
}

void ScanEngine::restart(int64_t now, std::string& out) {
    if (m_state.levelReports != 1) {
        m_told = Told::Nothing;
    }
    m_holding = false;
    m_open = false;
    m_waitForQuiet = false;
    m_lostAt = -1;
    m_direction = 1;
    m_next = now + m_timing.monitorMs;
    const Operation op = m_state.operation;
    if (isSearching(op)) {
        const Range r = searchRange();
        if (op == Operation::VfoSearch) {
            const int64_t from = m_state.vfos[m_state.activeVfo == 2 ? 2 : 1].hz;
            m_searchHz = std::clamp(from, r.lower, r.upper);
            m_direction = m_searchHz == r.upper && r.upper != r.lower ? -1 : 1;
        } else {
            m_searchHz = r.lower;
        }
        m_sweepHz = r.lower;
    }
    if (isScanning(op)) {
        m_next = now + stepMs();
    }
    // A scan starts with the squelch closed; so does any operation that
    // leaves a signal the program was told about.
    if (isScanning(op) || m_told == Told::Open) {
        reportState(now, out);
    }
}

void ScanEngine::levelReportsChanged(int64_t now, std::string& out) {
    if (m_state.levelReports != 1) {
        m_told = Told::Nothing;  // "LC1" again tells the state afresh
    }
    if (m_state.levelReports == 2) {
        m_sweepHz = searchRange().lower;
        m_next = now + sweepIntervalMs();
    } else if (m_state.levelReports == 1 && isScanning(m_state.operation)) {
        reportState(now, out);
        m_next = now + (m_holding ? m_timing.monitorMs : stepMs());
    }
}

void ScanEngine::run(int64_t from, int64_t to, std::string& out) {
    m_next = std::max(m_next, from);
    while (m_next <= to) {
        tick(m_next, out);
    }
}

void ScanEngine::tick(int64_t now, std::string& out) {
    if (m_state.levelReports == 2 && isSearching(m_state.operation)) {
        sweepTick(now, out);
    } else if (isScanning(m_state.operation)) {
        scanTick(now, out);
    } else {
        monitorTick(now, out);
    }
}

void ScanEngine::sweepTick(int64_t now, std::string& out) {
    const Range r = searchRange();
    if (m_sweepHz < r.lower || m_sweepHz > r.upper) {
        m_sweepHz = r.lower;
    }
    out += openLine(m_signals.level(m_sweepHz, now), vfoLetter(), m_sweepHz);
    m_sweepHz += r.step;
    if (m_sweepHz > r.upper) {
        m_sweepHz = r.lower;
    }
    m_next = now + sweepIntervalMs();
}

void ScanEngine::scanTick(int64_t now, std::string& out) {
    const GroupSettings& g = scanSettings();
    if (!m_holding) {
        stepPosition();
        const bool present = level(now) > squelchThreshold();
        if (m_waitForQuiet) {
            m_waitForQuiet = present;
        } else if (present && receiveHz() > 0) {
            m_holding = true;
            m_holdStart = now;
            m_lostAt = -1;
            setOpen(true, now, out);
        }
        m_next = now + (m_holding ? m_timing.monitorMs : stepMs());
        return;
    }
    m_next = now + m_timing.monitorMs;
    const bool present = level(now) > squelchThreshold();
    if (present) {
        m_lostAt = -1;
        if (!m_open) {
            setOpen(true, now, out);
        }
        if (g.pauseSeconds > 0 && now - m_holdStart >= g.pauseSeconds * 1000LL) {
            m_holding = false;
            m_waitForQuiet = true;
            setOpen(false, now, out);
            m_next = now + stepMs();
        }
        return;
    }
    if (m_open) {
        setOpen(false, now, out);
        m_lostAt = now;
    }
    if (m_lostAt < 0) {
        m_lostAt = now;
    }
    if (now - m_lostAt >= g.delayTenths * 100LL) {
        m_holding = false;
        m_next = now + stepMs();
    }
}

void ScanEngine::monitorTick(int64_t now, std::string& out) {
    const bool present = level(now) > squelchThreshold();
    if (present != m_open) {
        setOpen(present, now, out);
    }
    m_next = now + m_timing.monitorMs;
}

void ScanEngine::setOpen(bool open, int64_t now, std::string& out) {
    m_open = open;
    reportState(now, out);
}

void ScanEngine::reportState(int64_t now, std::string& out) {
    const Told state = m_open ? Told::Open : Told::Closed;
    if (m_state.levelReports != 1 || state == m_told) {
        return;
    }
    m_told = state;
    if (m_open) {
        out += openLine(level(now), vfoLetter(), receiveHz());
    } else {
        out += closedLine(level(now), vfoLetter());
    }
}

int ScanEngine::level(int64_t now) const {
    const int64_t hz = receiveHz();
    return hz > 0 ? m_signals.level(hz, now) : 0;
}

int64_t ScanEngine::receiveHz() const {
    const ReceiverState& s = m_state;
    switch (s.operation) {
        case Operation::Search:
        case Operation::VfoSearch:
            return m_searchHz;
        case Operation::MemoryRead:
        case Operation::MemoryScan:
        case Operation::SelectScan: {
            const Channel* c = channelAt(s, s.memory);
            return c != nullptr && c->used ? c->tuning.hz : 0;
        }
        default:
            return s.vfos[s.activeVfo].hz;
    }
}

int ScanEngine::squelchThreshold() const {
    const ReceiverState& s = m_state;
    int level = 0;
    switch (s.operation) {
        case Operation::Vfo:
        case Operation::VfoA:
        case Operation::VfoB:
        case Operation::VfoSearch:
            level = s.vfoSearch.levelSquelch;
            break;
        case Operation::Search:
            level = s.searchGroups[s.searchGroup].levelSquelch;
            break;
        default:
            level = s.scanGroups[s.scanGroup].levelSquelch;
            break;
    }
    return level > 0 ? level : m_timing.squelchThreshold;
}

int ScanEngine::sweepIntervalMs() const {
    const int lineMs = (kSweepLineChars * kBitsPerChar * 1000 + m_timing.baudRate - 1) /
                       std::max(m_timing.baudRate, 1);
    return std::max(m_state.scopeDelay * 10, lineMs);
}

const GroupSettings& ScanEngine::scanSettings() const {
    switch (m_state.operation) {
        case Operation::Search:
            return m_state.searchGroups[m_state.searchGroup];
        case Operation::VfoSearch:
            return m_state.vfoSearch;
        default:
            return m_state.scanGroups[m_state.scanGroup];
    }
}

int ScanEngine::stepMs() const {
    return isSearching(m_state.operation) ? m_timing.searchStepMs : m_timing.memoryStepMs;
}

char ScanEngine::vfoLetter() const {
    return m_state.activeVfo == 2 ? 'B' : 'A';
}

ScanEngine::Range ScanEngine::searchRange() const {
    const ReceiverState& s = m_state;
    Range r;
    if (s.operation == Operation::Search) {
        const SearchBank& b = s.searchBanks[s.searchBank];
        r.lower = std::min(b.lowerHz, b.upperHz);
        r.upper = std::max(b.lowerHz, b.upperHz);
        r.step = b.tuning.stepHz;
        r.passBank = kSearchBankLetters[s.searchBank];
    } else {
        const int64_t a = s.vfos[1].hz;
        const int64_t b = s.vfos[2].hz;
        r.lower = std::min(a, b);
        r.upper = std::max(a, b);
        r.step = s.vfos[s.activeVfo == 2 ? 2 : 1].stepHz;
    }
    r.step = std::max(r.step, 1);
    return r;
}

bool ScanEngine::isPassFrequency(char bank, int64_t hz) const {
    return std::any_of(m_state.passFrequencies.begin(), m_state.passFrequencies.end(),
                       [&](const PassFrequency& p) { return p.bank == bank && p.hz == hz; });
}

void ScanEngine::stepPosition() {
    switch (m_state.operation) {
        case Operation::Search:
        case Operation::VfoSearch:
            stepSearch();
            break;
        case Operation::MemoryScan:
            stepMemory();
            break;
        case Operation::SelectScan:
            stepSelect();
            break;
        default:
            break;
    }
}

void ScanEngine::stepSearch() {
    const Range r = searchRange();
    const int64_t steps = (r.upper - r.lower) / r.step + 1;
    for (int64_t tries = 0; tries < steps; ++tries) {
        m_searchHz += m_direction * static_cast<int64_t>(r.step);
        if (m_searchHz > r.upper) {
            m_searchHz = r.lower;
        } else if (m_searchHz < r.lower) {
            m_searchHz = r.lower + (r.upper - r.lower) / r.step * r.step;
        }
        if (!isPassFrequency(r.passBank, m_searchHz)) {
            return;
        }
    }
}

bool ScanEngine::scannable(ChannelRef ref) const {
    const GroupSettings& g = m_state.scanGroups[m_state.scanGroup];
    if (ref.bank >= static_cast<int>(g.links.size()) || g.links[ref.bank] == '-') {
        return false;
    }
    const Channel* c = channelAt(m_state, ref);
    if (c == nullptr) {
        return false;
    }
    const bool modeMatches = g.option < '0' || g.option > '8' || c->tuning.mode == g.option - '0';
    return c->used && !c->pass && modeMatches;
}

void ScanEngine::stepMemory() {
    // Walk the channels of all banks in order, from the one after the
    // current channel, to the next one the scan group lets through.
    ChannelRef ref = m_state.memory;
    int total = 0;
    for (const MemoryBank& b : m_state.banks) {
        total += static_cast<int>(b.channels.size());
    }
    for (int tries = 0; tries < total + kBankCount; ++tries) {
        ref.channel += m_direction;
        if (ref.channel >= static_cast<int>(m_state.banks[ref.bank].channels.size())) {
            ref.bank = (ref.bank + 1) % kBankCount;
            ref.channel = 0;
        }
        if (ref.channel < 0) {
            ref.bank = (ref.bank + kBankCount - 1) % kBankCount;
            ref.channel = static_cast<int>(m_state.banks[ref.bank].channels.size()) - 1;
        }
        if (scannable(ref)) {
            m_state.memory = ref;
            return;
        }
    }
}

void ScanEngine::stepSelect() {
    const int n = static_cast<int>(m_state.selectScan.size());
    for (int tries = 0; tries < n; ++tries) {
        m_state.selectPosition = ((m_state.selectPosition + m_direction) % n + n) % n;
        const ChannelRef ref = m_state.selectScan[m_state.selectPosition];
        const Channel* c = channelAt(m_state, ref);
        if (c != nullptr && c->used) {
            m_state.memory = ref;
            return;
        }
    }
}

}  // namespace korvex::sim
