#include "link/PollCycle.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "link/Commands.h"
#include "link/SerialPort.h"
#include "link/Trace.h"

namespace korvex {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Dial keys, bank resizes and power-off have no reply worth waiting for:
// a time-out gives up on them without an error.
bool givesUpSilently(std::string_view command) {
    if (!command.empty()) {
        const auto first = static_cast<unsigned char>(command.front());
        if (first >= 0x1C && first <= 0x1F) {
            return true;
        }
    }
    return contains(command, "MW") || contains(command, "QP");
}

// Reply lines that make the whole answer to a command; paged replies keep
// the link waiting by themselves. The bank sizes come as ten lines, the
// first of which already answers the query.
int replyLinesOf(std::string_view command) {
    return command == "TB\r" ? 10 : 0;
}

}  // namespace

PollCycle::PollCycle(CReceiver& rx, PollFields& fields, LinkHost& host)
    : m_rx(rx), m_fields(fields), m_host(host) {}

void PollCycle::setPacing(Pacing pacing, int gapMs) {
    m_pacing = pacing;
    m_gapMs = gapMs >= 0 && gapMs <= kMaxGapMs ? gapMs : kDefaultGapMs;
    m_nextSendAt.reset();
}

void PollCycle::resetLink() {
    m_replyOpen = false;
    m_openReplyTicks = 0;
    m_sentBetweenTicks = false;
    m_sendNotBefore = 0;
    m_nextSendAt.reset();
}

std::int64_t PollCycle::now() const {
    if (m_clock) {
        return m_clock();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PollCycle::scheduleSend(std::int64_t at) {
    m_nextSendAt = at;
    if (m_scheduler) {
        m_scheduler(static_cast<int>(std::max<std::int64_t>(at - now(), 0)));
    }
}

void PollCycle::replyComplete() {
    // The tick that would have refreshed the window from a query's answer
    // is not waited for: the next tick shows it, once however many replies
    // came in between.
    if (m_rx.linkState == LinkState::Data) {
        m_fields.displayRefreshWanted = true;
        m_fields.unaskedDataTicks = 0;
        m_rx.linkState = LinkState::Idle;
    }
    if (m_rx.linkState != LinkState::Idle) {
        return;
    }
    m_sendNotBefore = now() + m_gapMs;
    if (!m_fields.commandQueue.empty()) {
        scheduleSend(m_sendNotBefore);
    }
}

bool PollCycle::replyPacedSendPossible() const {
    // A closed port takes nothing: the commands wait in the queue, as they
    // do for the tick, instead of being taken off it and lost.
    return m_pacing == Pacing::Reply && m_port != nullptr && m_port->isOpen() &&
           m_rx.linkState == LinkState::Idle && !m_replyOpen && !m_fields.commandQueue.empty();
}

void PollCycle::commandsQueued() {
    if (replyPacedSendPossible()) {
        scheduleSend(std::max(m_sendNotBefore, now()));
    }
}

bool PollCycle::sendIfDue() {
    m_nextSendAt.reset();
    if (!replyPacedSendPossible()) {
        return false;
    }
    if (const std::int64_t at = now(); at < m_sendNotBefore) {
        scheduleSend(m_sendNotBefore);
        return false;
    }
    m_fields.waitTicks = 0;
    if (!sendNext()) {
        return false;
    }
    m_sentBetweenTicks = true;
    return true;
}

void PollCycle::queueInitialReadout() {
    m_fields.commandQueue.append(cmd::initialReadout());
}

void PollCycle::requestDeferredRefresh() {
    m_fields.refreshDelay = kDeferredRefreshTicks;
    m_fields.refreshPending = true;
}

void PollCycle::tick() {
    if (m_fields.refreshDelay > 0) {
        --m_fields.refreshDelay;
    }
    const LinkState state = m_rx.linkState;
    const bool sentBetweenTicks = std::exchange(m_sentBetweenTicks, false);
    // The rest of a reply of several lines that never comes holds the next
    // command back for a second at most.
    if (m_replyOpen && state != LinkState::Wait && ++m_openReplyTicks > kMaxUnaskedDataTicks) {
        m_replyOpen = false;
    }
    // Level reports may come faster than the ticks; they are shown at most
    // once a tick and never take the tick's turn to send or to wait.
    if (m_fields.displayRefreshWanted) {
        m_fields.displayRefreshWanted = false;
        if (state != LinkState::Data) {
            m_host.refreshFromModel();  // a DATA tick refreshes below anyway
        }
    }
    if (state != LinkState::Idle) {
        if (!m_rx.bandscopeHalted) {
            m_host.setBusyCursor(true);
            m_fields.busyCursorShown = true;
            m_fields.waitCursorSet = true;
        }
        switch (state) {
            case LinkState::Data:
                m_host.refreshFromModel();
                m_rx.linkState = LinkState::Idle;
                // The rest of a reply of several lines holds the next command
                // back until it has come; lines that nobody asked for and
                // that never stop do so for a second at most.
                if (!m_fields.dataUnasked) {
                    m_fields.unaskedDataTicks = 0;
                } else if (++m_fields.unaskedDataTicks > kMaxUnaskedDataTicks) {
                    m_fields.unaskedDataTicks = 0;
                    tickIdle();
                }
                break;
            case LinkState::Wait:
                if (!sentBetweenTicks) {
                    tickWait();
                }
                // Given up, retried or failed: no reply is awaited any more.
                if (m_rx.linkState != LinkState::Wait) {
                    m_replyOpen = false;
                }
                break;
            case LinkState::Err:
                tickError();
                break;
            case LinkState::Retry:
                sendNext();
                break;
            case LinkState::Idle:
                break;
        }
    } else {
        tickIdle();
    }
    updateIndicators();
    // A stopped channel write is told here, outside the handling of received
    // bytes; taken first, so the ticks under the box do not show it again.
    if (std::string report = m_fields.memoryWrite.takeReport(); !report.empty()) {
        m_host.showMessage(report, "Error", MessageKind::Error);
    }
}

void PollCycle::tickWait() {
    ++m_fields.waitTicks;
    if (m_fields.waitTicks % kTicksPerTimeout != 0) {
        return;
    }
    ++m_fields.retryCount;
    const std::string& last = m_fields.lastCommand;
    const bool askedAgain = !givesUpSilently(last) && !contains(last, "MA") && last.size() < 4;
    if (m_fields.retryCount <= kMaxTimeouts && !askedAgain && m_fields.memoryWrite.awaits(last)) {
        // A channel write is never sent twice: the write stops here, and the
        // time-out goes on below as for any other command.
        stopMemoryWrite(m_fields, m_host, MemoryWrite::Failure::NoAnswer, last);
    }
    if (m_fields.retryCount > kMaxTimeouts) {
        m_rx.linkState = LinkState::Err;
    } else if (givesUpSilently(last)) {
        m_fields.retryCount = 0;
        // A bank resize may take any time: it stays outstanding until the
        // receiver's empty line has cleared the flag.
        if (!m_rx.bankResizeActive) {
            m_rx.linkState = LinkState::Idle;
        }
    } else {
        // A bare CR goes out first; a two-letter query is asked again after it.
        if (!contains(last, "MA") && last.size() < 4) {
            m_fields.commandQueue.insertFront(last);
        }
        m_fields.commandQueue.insertFront("\r");
        m_rx.linkState = LinkState::Retry;
    }
}

void PollCycle::tickError() {
    std::string command = m_fields.lastCommand;
    if (const auto cr = command.find('\r'); cr != std::string::npos) {
        command.erase(cr, 1);
    }
    stopMemoryWrite(m_fields, m_host, MemoryWrite::Failure::LinkError, m_fields.lastCommand);
    m_host.showStatus("Info: error on command\n>" + command + "< occured.");
    m_fields.commandQueue.clear();
    if (m_observer) {
        m_observer(m_fields.lastCommand, false);
    }
    m_host.beep();
    m_rx.linkState = LinkState::Idle;
    m_fields.waitTicks = 0;
    m_fields.retryCount = 0;
}

void PollCycle::tickIdle() {
    m_fields.waitTicks = 0;
    m_fields.unaskedDataTicks = 0;
    m_fields.busyCursorShown = false;
    if (m_fields.waitCursorSet && !m_rx.bandscopeHalted) {
        m_host.setBusyCursor(false);
        m_fields.waitCursorSet = false;
    }
    if (m_fields.refreshPending && m_fields.refreshDelay == 0) {
        m_fields.refreshPending = false;
        m_fields.commandQueue.append(cmd::statusRefreshWithFlags(m_rx));
    }
    // Under reply pacing the rest of a reply and the gap after it hold the
    // tick's send too.
    if (!m_fields.commandQueue.empty() &&
        (m_pacing == Pacing::Tick || (!m_replyOpen && now() >= m_sendNotBefore))) {
        sendNext();
    }
}

void PollCycle::updateIndicators() {
    m_fields.blinkCounter = m_fields.blinkCounter >= 10 ? 0 : m_fields.blinkCounter + 1;
    const bool lit = m_fields.blinkCounter > 5;
    m_fields.logIndicator = m_rx.logActive && lit ? "LOG" : "";
    const bool recording = m_isRecording && m_isRecording();
    m_fields.recIndicator = recording && lit ? "REC" : "";
}

bool PollCycle::sendNext() {
    auto command = m_fields.commandQueue.takeFirst();
    if (!command) {
        // Emptied before the box: every poll tick while the modal box is up
        // would otherwise find the same command and stack another box.
        stopMemoryWrite(m_fields, m_host, MemoryWrite::Failure::LinkError, m_fields.lastCommand);
        m_fields.commandQueue.clear();
        m_host.showMessage("DEBUG: Send Serial: no CR or single char. Command Queue deleted.",
                           "Error", MessageKind::Error);
        return false;
    }
    const bool linkFree = m_rx.linkState == LinkState::Idle || m_rx.linkState == LinkState::Retry;
    if (m_port == nullptr || !m_port->isOpen() || !linkFree) {
        // A channel write whose command is lost here cannot be complete.
        if (m_fields.memoryWrite.active() && command->front() != '\r') {
            m_fields.memoryWrite.sent(*command);
            stopMemoryWrite(m_fields, m_host, MemoryWrite::Failure::LinkError, *command);
        }
        return false;
    }
    m_rx.linkState = LinkState::Wait;
    if (command->front() != '\r') {
        m_fields.lastCommand = *command;
        m_rx.sentCommand = *command;
    }
    if (m_trace != nullptr) {
        m_trace->written(*command);
    }
    m_port->write(*command);
    m_fields.memoryWrite.sent(*command);
    m_fields.replyLines = 0;
    m_outstanding = *command;
    m_replyOpen = true;
    m_openReplyTicks = 0;
    if (command->compare(0, 2, "QP") == 0) {
        m_fields.receiverPoweredOff = !m_fields.receiverPoweredOff;
    } else {
        m_fields.receiverPoweredOff = false;
    }
    return true;
}

void PollCycle::receive(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    if (m_trace != nullptr) {
        m_trace->received(bytes);
    }
    const bool waiting = m_rx.linkState == LinkState::Wait;
    if (m_lineBuilder) {
        m_lineBuilder(bytes);
    }
    if (waiting && m_rx.linkState != LinkState::Wait) {
        m_fields.memoryWrite.answered(m_fields.lastCommand);
        if (m_observer) {
            m_observer(m_fields.lastCommand, true);
        }
    }
    // Followed under either pacing, so that a switch to reply pacing finds
    // no reply open that has long been complete.
    const bool answered = m_rx.linkState == LinkState::Idle || m_rx.linkState == LinkState::Data;
    if (m_replyOpen && answered && m_fields.replyLines >= replyLinesOf(m_outstanding)) {
        m_replyOpen = false;
        if (m_pacing == Pacing::Reply) {
            replyComplete();
        }
    }
}

void PollCycle::sendFinalCommand(bool powerOff) {
    if (m_fields.receiverPoweredOff) {
        return;
    }
    m_fields.commandQueue.replace(powerOff ? "QP\r" : "EX\r");
    // A reply still awaited does not hold the last command back: the program
    // is closing, so nothing will read that reply, and without the last
    // command the receiver would stay in remote mode.
    m_rx.linkState = LinkState::Idle;
    sendNext();
}

}  // namespace korvex
