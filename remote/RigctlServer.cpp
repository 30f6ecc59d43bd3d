#include "remote/RigctlServer.h"

#include <algorithm>
#include <cstdio>

#include "link/Commands.h"
#include "link/FrequencyText.h"
#include "remote/RigDescription.h"

namespace korvex::remote {

namespace {

// The first command of a batch, its CR included.
std::string firstCommand(const std::string& commands) {
    const auto cr = commands.find('\r');
    return cr == std::string::npos ? commands : commands.substr(0, cr + 1);
}

// The commands of a batch, each with its CR.
std::vector<std::string> splitCommands(const std::string& commands) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t cr = commands.find('\r'); cr != std::string::npos;
         cr = commands.find('\r', from)) {
        parts.push_back(commands.substr(from, cr + 1 - from));
        from = cr + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < parts.size(); ++i) {
        text += parts[i];
    }
    return text;
}

// The status reads that follow a set: "RX" and the rest of the status
// refresh, and the select and pass flags.
bool isStatusRead(const std::string& command) {
    static const std::vector<std::string> reads =
        splitCommands(cmd::statusRefresh() + cmd::selectPassFlagsRead());
    return std::find(reads.begin(), reads.end(), command) != reads.end();
}

// Whether the queue already holds a bare status read.
bool queueHoldsStatusRead(const std::string& queue) {
    for (std::size_t pos = queue.find("RX\r"); pos != std::string::npos;
         pos = queue.find("RX\r", pos + 1)) {
        if (pos == 0 || queue[pos - 1] == '\r') {
            return true;
        }
    }
    return false;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole number of 0..max from decimal digits only.
std::optional<int> smallNumber(std::string_view text, int max) {
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value <= max ? std::optional<int>(value) : std::nullopt;
}

// A passband in Hz as clients write it; 0 (the mode's usual one) when it is
// not a whole number.
long passbandHz(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9) {
        return 0;
    }
    long value = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// Whether the receiver is on the VFO a client selects, at rest: a search or
// scan on it is left only by selecting it.
bool alreadyOn(std::string_view vfo, int state) {
    switch (state) {
        case kStateVfo:
            return vfo == "VFO" || vfo == "Main";
        case kStateVfoA:
        case kStateVvA:
            return vfo == "VFOA";
        case kStateVfoB:
        case kStateVvB:
            return vfo == "VFOB";
        case kStateMemoryRead:
            return vfo == "MEM";
        default:
            return false;
    }
}

std::string twoDigits(int n) {
    char text[4];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

}  // namespace

RigctlServer::RigctlServer(CReceiver& rx, CommandQueue& queue, std::int64_t idleLimitMs)
    : m_rx(rx), m_queue(queue), m_idleLimitMs(idleLimitMs) {}

void RigctlServer::noteTime(std::int64_t nowMs) {
    m_latestMs = std::max(m_latestMs, nowMs);
}

std::optional<int> RigctlServer::connect(std::optional<std::int64_t> nowMs) {
    if (nowMs) {
        noteTime(*nowMs);
    }
    if (m_sessions.size() >= kMaxClients) {
        // Sixteen clients that never send again must not lock every other
        // one out: the one idle longest goes (the lowest id among equals).
        auto oldest = m_sessions.begin();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
            if (it->second.lastHeardMs < oldest->second.lastHeardMs) {
                oldest = it;
            }
        }
        if (oldest == m_sessions.end()) {
            return std::nullopt;
        }
        const int evicted = oldest->first;
        m_sessions.erase(oldest);
        std::erase(m_toClose, evicted);
        if (m_close) {
            m_close(evicted);
        }
    }
    const int id = m_nextId++;
    Session session;
    session.lastHeardMs = m_latestMs;
    m_sessions.emplace(id, std::move(session));
    return id;
}

void RigctlServer::closeIdle(std::int64_t nowMs) {
    for (auto& [client, s] : m_sessions) {
        if (!s.closing && s.requests.empty() && nowMs - s.lastHeardMs >= m_idleLimitMs) {
            s.closing = true;
            m_toClose.push_back(client);
        }
    }
}

void RigctlServer::disconnect(int client) {
    m_sessions.erase(client);
}

bool RigctlServer::wantsInput(int client) const {
    const auto it = m_sessions.find(client);
    return it != m_sessions.end() && !it->second.closing &&
           it->second.requests.size() < kMaxWaiting;
}

void RigctlServer::receive(int client, std::string_view bytes, std::int64_t nowMs) {
    const auto it = m_sessions.find(client);
    if (it == m_sessions.end()) {
        return;
    }
    Session& s = it->second;
    noteTime(nowMs);
    s.lastHeardMs = nowMs;
    noteStatus(nowMs);
    for (const char c : bytes) {
        if (s.closing) {
            break;
        }
        if (c == '\n') {
            if (!s.skipping) {
                line(s, s.partial);
                serve(client, s, nowMs);
            }
            s.partial.clear();
            s.skipping = false;
        } else if (s.skipping) {
            continue;
        } else if (s.partial.size() >= kMaxLine) {
            // An overlong line is thrown away whole, answered once.
            s.partial.clear();
            s.skipping = true;
            Request r;
            s.requests.push_back(r);
            serve(client, s, nowMs);
        } else {
            s.partial += c;
        }
    }
    closePending();
}

void RigctlServer::line(Session& s, std::string_view text) {
    for (Request& r : splitLine(text)) {
        s.requests.push_back(std::move(r));
    }
}

void RigctlServer::pump(std::int64_t nowMs) {
    noteTime(nowMs);
    noteStatus(nowMs);
    for (auto& [client, s] : m_sessions) {
        serve(client, s, nowMs);
    }
    closeIdle(nowMs);
    closePending();
}

void RigctlServer::commandFinished(const std::string& command, bool answered, std::int64_t nowMs) {
    noteStatus(nowMs);
    if (answered && command.starts_with("LC0")) {
        // No more level reports: the last one says nothing about the
        // squelch from now on.
        m_rx.squelchOpen.reset();
        m_rx.signalLevel.reset();
    }
    for (auto& [client, s] : m_sessions) {
        if (!answered || command == s.lingering) {
            s.lingering.clear();
        }
        if (s.wait == Wait::None || s.requests.empty()) {
            continue;
        }
        if (!answered) {
            finish(client, s, kIoError);  // the link's error has emptied the queue
        } else if (s.wait == Wait::Command && s.awaited == command) {
            // Replies read so far may predate the change: the next read
            // waits for the status read that follows it.
            m_staleGeneration = m_rx.statusReplies;
            finish(client, s, kOk);
        }
    }
    // Once they have gone (or the link's error took them), status reads the
    // window queues later are its own and stay where they are.
    if (!answered || !readsBehindSetQueued()) {
        m_readsBehindSet.clear();
        m_readsPassedSinceMs.reset();
    }
    pump(nowMs);
}

void RigctlServer::finish(int client, Session& s, int code) {
    reply(client, s.requests.front(), code);
    s.requests.pop_front();
    s.wait = Wait::None;
}

void RigctlServer::serve(int client, Session& s, std::int64_t nowMs) {
    while (!s.requests.empty() && !s.closing) {
        if (s.wait == Wait::None) {
            if (!start(client, s, nowMs)) {
                return;
            }
            continue;
        }
        if (s.wait == Wait::Status && m_rx.statusReplies > s.generation) {
            answerRead(client, s.requests.front());
            s.requests.pop_front();
            s.wait = Wait::None;
            continue;
        }
        if (nowMs >= s.deadline) {
            if (s.wait == Wait::Command) {
                s.lingering = s.awaited;
            }
            finish(client, s, kTimeout);
            continue;
        }
        return;
    }
}

bool RigctlServer::start(int client, Session& s, std::int64_t nowMs) {
    const Request r = s.requests.front();
    const auto done = [&](int code, const Values& values = {}) {
        reply(client, r, code, values);
        s.requests.pop_front();
        return true;
    };
    if (r.spec == nullptr || !r.complete) {
        return done(kInvalid);
    }
    switch (r.spec->verb) {
        case Verb::Quit:
            s.closing = true;
            s.requests.clear();
            m_toClose.push_back(client);
            return true;
        case Verb::Refused:
            return done(kNotAvailable);
        case Verb::ChkVfo:
            return done(kOk, {{"ChkVFO", "0"}});
        case Verb::GetLockMode:
            return done(kOk, {{"Locked", m_modeLocked ? "1" : "0"}});
        case Verb::SetLockMode:
            if (r.args[0] != "0" && r.args[0] != "1") {
                return done(kInvalid);
            }
            m_modeLocked = r.args[0] == "1";
            return done(kOk);
        case Verb::DumpState:
            return done(kOk, {{"", dumpState(mark2())}});
        case Verb::GetPowerstat:
            return done(kOk, {{"Power Status", linkUp() ? "1" : "0"}});
        case Verb::GetPtt:
            return done(kOk, {{"PTT", "0"}});
        case Verb::GetSplitVfo:
            return done(kOk, {{"Split", "0"}, {"TX VFO", "VFOA"}});
        case Verb::GetDcd:
            if (!m_rx.squelchOpen) {
                return done(kNotAvailable);
            }
            return done(kOk, {{"DCD", *m_rx.squelchOpen ? "1" : "0"}});
        case Verb::GetLevel: {
            const std::string& level = r.args[0];
            if (level == "?") {
                return done(kOk, {{"", "SQL RAWSTR STRENGTH"}});
            }
            if (level == "SQL") {
                const auto sql = m_rx.levelSquelchValue();
                if (!sql) {
                    return done(kNotAvailable);
                }
                char text[16];
                std::snprintf(text, sizeof text, "%.6f", *sql / 255.0);
                return done(kOk, {{"Level Value", text}});
            }
            if (level == "STRENGTH" || level == "RAWSTR") {
                if (!m_rx.signalLevel) {
                    return done(kNotAvailable);
                }
                const int value =
                    level == "RAWSTR" ? *m_rx.signalLevel : strengthDb(*m_rx.signalLevel);
                return done(kOk, {{"Level Value", std::to_string(value)}});
            }
            return done(kNotAvailable);
        }
        case Verb::GetFreq:
        case Verb::GetMode:
        case Verb::GetVfo:
        case Verb::GetMem:
        case Verb::GetTs:
            return startRead(client, s, nowMs);
        case Verb::SetFreq: {
            const auto commands = frequencySet(r.args[0]);
            if (!commands) {
                return done(kInvalid);
            }
            return startSet(client, s, *commands, nowMs);
        }
        case Verb::SetMode: {
            if (r.args[0] == "?") {
                return done(kOk, {{"", protocolModeList()}});
            }
            const auto name = receiverModeName(
                r.args[0], r.args.size() > 1 ? passbandHz(r.args[1]) : 0, m_rx.mode);
            if (!name) {
                return done(kInvalid);
            }
            if (m_modeLocked) {
                return done(kOk);
            }
            return startSet(client, s, cmd::modeSet(*name), nowMs);
        }
        case Verb::SetVfo: {
            const std::string& vfo = r.args[0];
            // Already there: nothing for the receiver to do.
            if (vfo == "currVFO" || (fresh(nowMs) && alreadyOn(vfo, m_rx.operatingState))) {
                return done(kOk);
            }
            std::string commands;
            if (vfo == "VFOA") {
                commands = cmd::vfoSelect('A');
            } else if (vfo == "VFOB") {
                commands = cmd::vfoSelect('B');
            } else if (vfo == "VFO" || vfo == "Main") {
                commands = cmd::vfoSelect('S');
            } else if (vfo == "MEM") {
                commands = cmd::memoryReadStart();
            } else {
                return done(kInvalid);
            }
            return startSet(client, s, commands, nowMs);
        }
        case Verb::SetMem: {
            const auto channel = smallNumber(r.args[0], 99);
            if (!channel) {
                return done(kInvalid);
            }
            const std::string name =
                std::string(1, CReceiver::bankLetter(m_rx.currentBankIndex())) +
                twoDigits(*channel);
            return startSet(client, s, cmd::memoryRecall(name), nowMs);
        }
    }
    return done(kInvalid);
}

bool RigctlServer::startSet(int client, Session& s, const std::string& commands,
                            std::int64_t nowMs) {
    if (!linkUp()) {
        finish(client, s, kIoError);
        return true;
    }
    // A set that timed out still waiting in the queue: another behind it
    // would let a client that keeps sending grow the queue without end.
    if (!s.lingering.empty()) {
        if (m_queue.text().find(s.lingering) != std::string::npos) {
            finish(client, s, kTimeout);
            return true;
        }
        s.lingering.clear();
    }
    queueSet(commands, nowMs);
    m_staleGeneration = m_rx.statusReplies;
    s.wait = Wait::Command;
    s.awaited = firstCommand(commands);
    s.deadline = nowMs + kAnswerTimeoutMs;
    return false;
}

bool RigctlServer::readsBehindSetQueued() const {
    const std::string queued = m_queue.text();
    for (std::size_t i = 0; i < m_readsBehindSet.size(); ++i) {
        if (queued.find(joined(m_readsBehindSet, i)) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void RigctlServer::queueSet(const std::string& commands, std::int64_t nowMs) {
    const std::vector<std::string> parts = splitCommands(commands);
    std::size_t firstRead = parts.size();
    while (firstRead > 1 && isStatusRead(parts[firstRead - 1])) {
        --firstRead;
    }
    // A client that sets again at once (a tracker following Doppler) would
    // otherwise wait for every status read of the set before; those reads
    // still run, after this set, so the next read sees both. Reads that have
    // been passed for long enough are not moved again: this set goes behind
    // them.
    std::vector<std::string> waiting;
    const std::string queued = m_queue.text();
    for (std::size_t i = 0; i < m_readsBehindSet.size(); ++i) {
        const std::string front = joined(m_readsBehindSet, i);
        if (!queued.starts_with(front)) {
            continue;
        }
        if (!m_readsPassedSinceMs) {
            m_readsPassedSinceMs = nowMs;
        }
        if (nowMs - *m_readsPassedSinceMs < kReadsMayWaitMs && m_queue.removeFront(front)) {
            waiting.assign(m_readsBehindSet.begin() + static_cast<std::ptrdiff_t>(i),
                           m_readsBehindSet.end());
        }
        break;
    }
    if (waiting.empty()) {
        m_readsPassedSinceMs.reset();
    }
    std::vector<std::string> reads(parts.begin() + static_cast<std::ptrdiff_t>(firstRead),
                                   parts.end());
    for (const std::string& read : waiting) {
        if (std::find(reads.begin(), reads.end(), read) == reads.end()) {
            reads.push_back(read);
        }
    }
    m_queue.append(joined({parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(firstRead)}) +
                   joined(reads));
    m_readsBehindSet = std::move(reads);
}

bool RigctlServer::startRead(int client, Session& s, std::int64_t nowMs) {
    if (fresh(nowMs)) {
        answerRead(client, s.requests.front());
        s.requests.pop_front();
        return true;
    }
    if (!linkUp()) {
        finish(client, s, kIoError);
        return true;
    }
    if (!queueHoldsStatusRead(m_queue.text())) {
        m_queue.append("RX\r");
    }
    s.wait = Wait::Status;
    s.generation = m_rx.statusReplies;
    s.deadline = nowMs + kAnswerTimeoutMs;
    return false;
}

void RigctlServer::answerRead(int client, const Request& r) {
    switch (r.spec->verb) {
        case Verb::GetFreq:
            reply(client, r, kOk, {{"Frequency", std::to_string(m_rx.tunedHz)}});
            return;
        case Verb::GetMode: {
            const auto mode = protocolMode(m_rx.mode);
            if (!mode) {
                reply(client, r, kIoError);
                return;
            }
            reply(client, r, kOk,
                  {{"Mode", std::string(mode->name)},
                   {"Passband", std::to_string(mode->passbandHz)}});
            return;
        }
        case Verb::GetVfo:
            reply(client, r, kOk, {{"VFO", std::string(vfoToken(m_rx.operatingState))}});
            return;
        case Verb::GetMem: {
            const std::string& channel = m_rx.memoryChannel;
            const auto number =
                channel.size() == 3 ? smallNumber(channel.substr(1), 99) : std::nullopt;
            if (!number) {
                reply(client, r, kNotAvailable);
                return;
            }
            reply(client, r, kOk, {{"Memory#", std::to_string(*number)}});
            return;
        }
        case Verb::GetTs:
            reply(client, r, kOk, {{"Tuning Step", std::to_string(m_rx.stepHz)}});
            return;
        default:
            reply(client, r, kInvalid);
            return;
    }
}

void RigctlServer::reply(int client, const Request& r, int code, const Values& values) {
    if (!m_send) {
        return;
    }
    std::string text;
    if (r.separator != 0 && r.spec != nullptr) {
        const char sep = r.separator;
        text += r.spec->longName;
        text += ':';
        for (const std::string& arg : r.args) {
            text += ' ';
            text += arg;
        }
        text += sep;
        if (code == kOk) {
            for (const auto& [key, value] : values) {
                if (key.empty()) {
                    text += value;
                    if (!value.empty() && value.back() != '\n') {
                        text += sep;
                    }
                } else {
                    text += std::string(key) + ": " + value + sep;
                }
            }
        }
        text += "RPRT " + std::to_string(code) + "\n";
    } else if (code != kOk || values.empty()) {
        text = "RPRT " + std::to_string(code) + "\n";
    } else {
        for (const auto& [key, value] : values) {
            text += value;
            if (value.empty() || value.back() != '\n') {
                text += '\n';
            }
        }
    }
    m_send(client, text);
}

void RigctlServer::noteStatus(std::int64_t nowMs) {
    if (m_rx.statusReplies != m_seenGeneration) {
        m_seenGeneration = m_rx.statusReplies;
        m_lastStatusMs = nowMs;
        m_statusSeen = true;
    }
}

bool RigctlServer::fresh(std::int64_t nowMs) const {
    return m_statusSeen && m_seenGeneration > m_staleGeneration &&
           nowMs - m_lastStatusMs <= kFreshMs && m_rx.operatingState != kStateUnknown;
}

void RigctlServer::closePending() {
    std::vector<int> ids;
    ids.swap(m_toClose);
    for (int id : ids) {
        if (m_close) {
            m_close(id);
        }
    }
}

// The frequency in Hz as the client wrote it (digits, at most one point,
// an optional fraction that is dropped), turned into the MHz text the
// frequency rule takes. The client's text itself never reaches a command.
std::optional<std::string> RigctlServer::frequencySet(std::string_view hzText) const {
    std::size_t pos = 0;
    long long hz = 0;
    int digits = 0;
    while (pos < hzText.size() && isDigit(hzText[pos])) {
        if (++digits > 10) {
            return std::nullopt;
        }
        hz = hz * 10 + (hzText[pos] - '0');
        ++pos;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (pos < hzText.size() && hzText[pos] == '.') {
        ++pos;
        while (pos < hzText.size() && isDigit(hzText[pos])) {
            ++pos;
        }
    }
    if (pos != hzText.size()) {
        return std::nullopt;
    }
    char mhz[32];
    std::snprintf(mhz, sizeof mhz, "%lld.%06lld", hz / 1000000, hz % 1000000);
    const std::string commands = frequencyCommand(mhz, FrequencyUnit::MHz, mark2());
    if (commands.empty()) {
        return std::nullopt;
    }
    return commands;
}

}  // namespace korvex::remote
