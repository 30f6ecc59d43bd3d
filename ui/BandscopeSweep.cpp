#include "ui/BandscopeSweep.h"

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"

namespace korvex {

CBandscopeSweep::CBandscopeSweep(CZelDoc& doc, CReceiver& rx, CommandQueue& queue, SweepHost& host)
    : m_doc(doc), m_rx(rx), m_queue(queue), m_host(host) {}

void CBandscopeSweep::show(ScopeMode mode) {
    if (!m_doc.scopeReady) {
        m_host.scopeMessage(kNotInitialized);
        return;
    }
    if (m_host.scopeShown()) {
        m_mode = mode;
        m_host.redrawScope();
        return;
    }
    if (m_doc.scopeStale) {
        m_host.scopeMessage(kStaleWarning);
        // The old picture, in the mode asked for; no sweep.
        m_mode = mode;
        m_host.showScope();
        m_host.redrawScope();
        return;
    }
    if (const std::string problem = rangeProblem(); !problem.empty()) {
        m_host.scopeMessage(problem);
        return;
    }
    if (!m_doc.resetBins()) {
        m_host.scopeMessage(kNoMemory);
        return;
    }
    // Each command shows its own mode, also when it starts the sweep.
    m_mode = mode;
    startSweep();
}

std::string CBandscopeSweep::rangeProblem() const {
    if (m_doc.scopeLower == 0 || m_doc.scopeUpper == 0) {
        return kFrequencyMissing;
    }
    if (m_doc.scopeLower == m_doc.scopeUpper) {
        return kFrequenciesEqual;
    }
    // A step of 0 would divide by zero in the bins and the drawing.
    if (m_doc.scopeStep <= 0 ||
        m_doc.scopeUpper - m_doc.scopeLower < static_cast<std::uint32_t>(m_doc.scopeStep)) {
        return kStepTooLarge;
    }
    if (CZelDoc::binCountFor(m_doc.scopeLower, m_doc.scopeUpper, m_doc.scopeStep) >
        CZelDoc::kMaxBins) {
        return kRangeTooWide;
    }
    return {};
}

void CBandscopeSweep::startSweep() {
    m_host.setPanelEnabled(false);
    m_host.showScope();
    m_host.redrawScope();
    m_queue.append(cmd::bandscopeStart(m_rx, m_host.scopeDelay()));
}

bool CBandscopeSweep::canLeave() const {
    return !sweepStartPending();
}

void CBandscopeSweep::leave() {
    if (!m_host.scopeShown() || !canLeave()) {
        return;
    }
    m_queue.append(cmd::levelReports(cmd::LevelReports::Off));
    m_rx.bandscopeRunning = false;
    m_rx.bandscopeHalted = false;
    m_host.refreshScopeTexts();
    m_queue.append(cmd::vfoSelect('S'));
    m_host.showList();
    m_doc.markStale();
    m_host.setPanelEnabled(true);
}

bool CBandscopeSweep::sweepStartPending() const {
    constexpr std::string_view kSweepOn = "LC2\r";
    const std::string queued = m_queue.text();
    if (queued.starts_with(kSweepOn) ||
        queued.find("\r" + std::string(kSweepOn)) != std::string::npos) {
        return true;
    }
    const bool waiting = m_rx.linkState == LinkState::Wait || m_rx.linkState == LinkState::Retry;
    return waiting && m_rx.sentCommand.starts_with(kSweepOn);
}

bool CBandscopeSweep::canHalt() const {
    return !m_rx.bandscopeHalted && !m_doc.scopeStale && !sweepStartPending();
}

bool CBandscopeSweep::canResume() const {
    return m_rx.bandscopeHalted && !m_doc.scopeStale && !sweepStartPending();
}

bool CBandscopeSweep::canTune() const {
    return !m_rx.bandscopeRunning && m_rx.bandscopeHalted && !sweepStartPending();
}

void CBandscopeSweep::halt() {
    if (!canHalt()) {
        return;
    }
    m_queue.append(cmd::levelReports(cmd::LevelReports::Off) + cmd::vfoSelect('S') +
                   cmd::modeSet(m_doc.scopeModeText));
    m_rx.bandscopeRunning = false;
    m_rx.bandscopeHalted = true;
    m_host.refreshScopeTexts();
    m_host.setPanelEnabled(true);
    m_host.redrawScope();
}

void CBandscopeSweep::resume() {
    if (!canResume()) {
        return;
    }
    m_host.setPanelEnabled(false);
    std::string commands;
    if (m_doc.scopeKind == 'V' || m_doc.scopeKind == 'W') {
        commands = cmd::vfoSelect(m_doc.scopeKind == 'V' ? 'A' : 'B') + cmd::vfoSearchStart();
    } else {
        commands = cmd::searchStart(std::string(1, m_doc.scopeKind));
    }
    m_queue.append(commands + cmd::levelReports(cmd::LevelReports::Bandscope));
    m_host.redrawScope();
}

}  // namespace korvex
