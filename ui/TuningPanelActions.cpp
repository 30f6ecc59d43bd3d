#include "ui/TuningPanelActions.h"

#include <algorithm>

#include "link/LinkHost.h"
#include "link/MemoryCommands.h"
#include "link/PollCycle.h"
#include "link/PollFields.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "ui/TuningPanelTables.h"

namespace korvex {

using namespace panel;

namespace {

// The search halted on a signal: the parser puts its stop text into line 1.
bool searchStopped(std::string_view line1) {
    return line1.find("stop") != std::string_view::npos;
}

std::uint32_t scopeFrequency(std::int64_t hz) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(hz, 0, UINT32_MAX));
}

}  // namespace

PanelEnabling panelEnabling(int s, bool bankNamesChanged, std::string_view line1) {
    PanelEnabling e;
    e.refresh = !bankNamesChanged;
    e.scanGroupDialog = isMemoryState(s);
    e.memoryScanStart = s == kStateMemoryRead;
    e.searchGroupDialog = isVfoState(s) || isSearchState(s);
    e.vfoSearchStart = s == kStateVfoA || s == kStateVfoB;
    e.vfoSearchStop = s == kStateVfoSearchA || s == kStateVfoSearchB;
    e.makePassFrequency = isVfoState(s) || (isSearchState(s) && searchStopped(line1));
    return e;
}

ListMode listModeAt(int position) {
    switch (position - kBankCount) {
        case 0:
            return ListMode::SearchBanks;
        case 1:
            return ListMode::SelectScan;
        case 2:
            return ListMode::PassFrequencies;
        case 3:
            return ListMode::LogView;
        case 4:
            return ListMode::Database;
        default:
            return ListMode::MemoryBank;
    }
}

void TuningActions::queue(std::string_view commands) {
    if (!commands.empty()) {
        m_ctx.queueCommands(std::string(commands));
    }
}

void TuningActions::removeLastFromEntry() {
    if (!m_state.entryText.empty()) {
        m_state.entryText.pop_back();
    }
}

TuningActions::EntryResult TuningActions::enter() {
    const CReceiver& rx = m_ctx.rx;
    const bool mark2 = m_ctx.settings.mark2;
    if (m_state.entryText.empty()) {
        const int s = rx.operatingState;
        if ((isSearchState(s) && searchStopped(rx.vfoAFrequency)) || s == kStateMemoryRead) {
            queue(cmd::vfoRestore(rx, mark2) + cmd::levelReports(cmd::LevelReports::Off));
            return EntryResult::Queued;
        }
        return EntryResult::Nothing;
    }
    const EntryResult result = tuneTo(m_state.entryText);
    if (result == EntryResult::Queued) {
        m_state.entryText.clear();
    }
    return result;
}

TuningActions::EntryResult TuningActions::tuneTo(std::string_view frequencyMhz) {
    const std::string commands =
        tuneCommands(frequencyMhz, m_ctx.rx.operatingState, m_ctx.settings.mark2);
    if (commands.empty()) {
        m_ctx.host.showMessage(std::string(kInvalidFrequencyLong), "Error", MessageKind::Error);
        return EntryResult::Invalid;
    }
    queue(commands);
    return EntryResult::Queued;
}

TuningActions::EntryResult TuningActions::makePassFrequency() {
    const std::string command = cmd::passFrequencyWrite(m_state.entryText, m_ctx.settings.mark2);
    if (command.empty()) {
        m_ctx.host.showMessage(std::string(kInvalidFrequencyShort), "Error", MessageKind::Error);
        return EntryResult::Invalid;
    }
    queue(command);
    m_state.entryText.clear();
    if (m_state.listKind == ListKind{ListMode::PassFrequencies, true}) {
        queue(cmd::passFrequencyReadout(m_ctx.rx));
    }
    return EntryResult::Queued;
}

void TuningActions::selectVfo(char which) {
    queue(cmd::vfoSelect(which));
}

bool TuningActions::stepTune(cmd::DialKey key) {
    queue(cmd::dialKey(key));
    if (isVfoState(m_ctx.rx.operatingState)) {
        m_ctx.cycle.requestDeferredRefresh();
        return true;
    }
    queue(cmd::statusRefreshWithFlags(m_ctx.rx));
    return false;
}

void TuningActions::chooseStep(int position) {
    if (position >= 0 && position < static_cast<int>(kStepCodes.size())) {
        queue(cmd::stepSet(kStepCodes[static_cast<std::size_t>(position)]));
    }
}

void TuningActions::chooseMode(int position) {
    if (position >= 0 && position < static_cast<int>(kModeTexts.size())) {
        queue(cmd::modeSet(std::string(1, cmd::modeDigit(position))));
    }
}

void TuningActions::setFlag(cmd::Flag flag, bool on) {
    queue(cmd::flagSet(flag, on));
}

void TuningActions::setSelectFlag(bool on) {
    queue(cmd::selectFlag(on));
}

void TuningActions::setPassFlag(bool on) {
    queue(cmd::passFlag(on));
}

void TuningActions::chooseScanGroup(int position) {
    const std::string select = cmd::scanGroupSelect(m_ctx.rx, position);
    if (!select.empty()) {
        queue(select + cmd::scanGroupsRead());
    }
}

void TuningActions::chooseSearchGroup(int position) {
    if (position == kVfoSearchGroup) {
        m_ctx.rx.currentSearchGroup = kVfoSearchGroup;
        queue(cmd::vfoSearchSettingsRead());
        return;
    }
    const std::string select = cmd::searchGroupSelect(m_ctx.rx, position);
    if (!select.empty()) {
        queue(select + cmd::searchGroupsRead());
    }
}

void TuningActions::startMemoryScan() {
    queue(cmd::memoryScanStart());
}

void TuningActions::stopToMemoryRead() {
    queue(cmd::memoryReadStart());
}

void TuningActions::startVfoSearch() {
    const CReceiver& rx = m_ctx.rx;
    const char kind = rx.operatingState == kStateVfoA ? 'V' : 'W';
    const auto mode = static_cast<std::size_t>(std::clamp(rx.mode, 0, 8));
    m_ctx.doc.clearBins();
    m_ctx.doc.setupBandscope(scopeFrequency(rx.vfoAValue), scopeFrequency(rx.vfoBValue), rx.stepHz,
                             kModeNamesByIndex[mode], "VFO Search", kind,
                             {m_ctx.settings.smeterMax, m_ctx.settings.scopeThreshold});
    queue(cmd::vfoSearchStart());
}

void TuningActions::stopVfoSearch() {
    const int s = m_ctx.rx.operatingState;
    queue(cmd::levelReports(cmd::LevelReports::Off));
    selectVfo(s == kStateVfoSearchB ? 'B' : s == kStateVfoSearchA ? 'A' : 'S');
}

void TuningActions::chooseList(int position) {
    if (position < 0 || position >= kListEntryCount) {
        return;
    }
    CReceiver& rx = m_ctx.rx;
    const ListMode mode = listModeAt(position);
    m_state.listKind = {mode, false};
    switch (mode) {
        case ListMode::MemoryBank: {
            const char letter = CReceiver::bankLetter(position);
            if (!rx.banks[static_cast<std::size_t>(position)].empty()) {
                rx.selectBank(letter);
                queue(cmd::noiseLimiterQuery());
            } else {
                queue(cmd::memoryBankReadout(rx, m_ctx.host, letter));
            }
            break;
        }
        case ListMode::SearchBanks:
            queue(rx.searchBanks.empty() ? cmd::searchBankReadout(rx) : cmd::noiseLimiterQuery());
            break;
        case ListMode::SelectScan:
            queue(cmd::selectScanReadout(rx));
            break;
        case ListMode::PassFrequencies:
            queue(cmd::passFrequencyReadout(rx));
            break;
        case ListMode::LogView:
        case ListMode::Database:
            m_ctx.doc.entriesChanged = true;
            queue(cmd::noiseLimiterQuery());
            break;
    }
    rx.listChanged = true;
}

void TuningActions::refreshList(int position) {
    CReceiver& rx = m_ctx.rx;
    if (position < 0 || position >= kListEntryCount) {
        return;
    }
    switch (listModeAt(position)) {
        case ListMode::MemoryBank:
            queue(cmd::memoryBankReadout(rx, m_ctx.host, CReceiver::bankLetter(position)));
            break;
        case ListMode::SearchBanks:
            queue(cmd::searchBankReadout(rx));
            break;
        case ListMode::SelectScan:
            queue(cmd::selectScanReadout(rx));
            break;
        case ListMode::PassFrequencies:
            queue(cmd::passFrequencyReadout(rx));
            break;
        case ListMode::LogView:
            // The log list is the document's; there is nothing to read.
            break;
        case ListMode::Database:
            if (m_databaseRequery) {
                m_databaseRequery();
            }
            break;
    }
}

void TuningActions::squelchMoved(int value) {
    if (value != m_state.lastSquelchSent && m_ctx.poll.commandQueue.size() < kSquelchQueueLimit) {
        queue(cmd::levelSquelch(m_ctx.rx, value));
    }
    m_state.lastSquelchSent = value;
}

void TuningActions::squelchReleased(int value) {
    const std::string command = cmd::levelSquelch(m_ctx.rx, value);
    if (command.empty()) {
        return;
    }
    const int s = m_ctx.rx.operatingState;
    std::string readBack;
    if (isVfoState(s)) {
        readBack = cmd::vfoSearchSettingsRead();
    } else if (isSearchState(s)) {
        readBack = composeCommand("GS");
    } else {
        readBack = composeCommand("GM");
    }
    queue(command + readBack);
}

std::string TuningActions::squelchStatus(int value) {
    return "level squelch = " + std::to_string(value);
}

}  // namespace korvex
