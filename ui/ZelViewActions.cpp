// The context-menu commands of the list view: each turns the selected row
// into receiver commands for the queue.

#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "link/Decoders.h"
#include "link/LinkHost.h"
#include "link/MemoryCommands.h"
#include "model/Receiver.h"
#include "ui/Cp1252.h"
#include "ui/ZelView.h"
#include "ui/ZelViewModel.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

std::string withoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

std::int64_t numberWithoutPoints(std::string text) {
    std::erase(text, '.');
    return parseDigits(text).value_or(0);
}

// A frequency the document cannot hold counts as none.
std::uint32_t documentHz(std::int64_t hz) {
    return hz > 0 && hz <= static_cast<std::int64_t>(UINT32_MAX) ? static_cast<std::uint32_t>(hz)
                                                                 : 0;
}

}  // namespace

void CZelView::runEntry(ListEntry entry) {
    if (!entryEnabled(entry)) {
        return;
    }
    const ListRow* selected = selectedRowTexts();
    if (selected == nullptr) {
        return;
    }
    // A copy: the actions may refill the rows under it.
    const ListRow row = *selected;
    switch (entry) {
        case ListEntry::RecallChannel:
            return recall(row);
        case ListEntry::StoreVfo:
            return storeVfo(row);
        case ListEntry::EditChannel:
            return editChannel(row);
        case ListEntry::DeleteChannel:
            return deleteChannel(row);
        case ListEntry::BankDescription:
            return bankDescription(row);
        case ListEntry::WriteBankToFile:
            return writeBankToFile();
        case ListEntry::WriteFileToBank:
            return writeFileToBank();
        case ListEntry::ExportCsv:
            return exportCsv();
        case ListEntry::ImportCsv:
            return importCsv();
        case ListEntry::DeleteAllChannels:
            return deleteAllChannels(row);
        case ListEntry::ResizeBank:
            return resizeBank();
        case ListEntry::StartSelectScan:
            return startSelectScan();
        case ListEntry::AddToSelectScan:
            return addToSelectScan(row);
        case ListEntry::RemoveFromSelectScan:
            return removeFromSelectScan(row);
        case ListEntry::DeleteAllSelectScan:
            return deleteAllSelectScan();
        case ListEntry::SearchThisBank:
            return searchThisBank(row);
        case ListEntry::EditSearchBank:
            return editSearchBank(row);
        case ListEntry::DeleteSearchBank:
            return deleteSearchBank(row);
        case ListEntry::DeletePassFrequency:
            return deletePassFrequency(row);
        case ListEntry::DeleteAllPassFrequencies:
            return deleteAllPassFrequencies(row);
        default:
            return runHandler(entry);
    }
}

void CZelView::runHandler(ListEntry entry) {
    const auto& handler = m_handlers[static_cast<std::size_t>(entry)];
    if (handler) {
        handler();
    }
}

void CZelView::recall(const ListRow& row) {
    if (row[0].size() < 2) {
        inform(QStringLiteral("This is a search bank entry!"), QStringLiteral("Info"));
        return;
    }
    if (classifyRow(row).usedMemoryChannel) {
        queue(cmd::memoryRecall(row[0]));
    }
}

void CZelView::storeVfo(const ListRow& row) {
    CReceiver& rx = *m_ctx.rx;
    const std::string channel = row[0];
    std::string frequency;
    if (m_ctx.vfoLineText) {
        frequency = m_ctx.vfoLineText(rx.operatingState);
    } else if (rx.operatingState == kStateVfoA) {
        frequency = rx.vfoAFrequency;
    } else if (rx.operatingState == kStateVfoB) {
        frequency = rx.vfoBFrequency;
    } else {
        frequency = rx.vfoFrequency;
    }
    // An empty slot's marker is no name to propose.
    const std::string proposed =
        isEmptyField(row[7]) ? std::string() : withoutTrailingBlanks(row[7]);
    if (!m_dialogs.channelName) {
        return;
    }
    const std::optional<std::string> name = m_dialogs.channelName(this, proposed);
    if (!name) {
        return;
    }
    const bool mark2 = m_ctx.mark2 && m_ctx.mark2();
    rememberSelection();
    const std::string commands = cmd::storeChannel(rx, channel, frequency, *name, mark2);
    if (commands.empty()) {
        m_remembered.forget();
        inform(QStringLiteral("Invalid Frequency!"), QStringLiteral("Error"));
        return;
    }
    queue(commands + cmd::statusRefreshWithFlags(rx));
}

void CZelView::editChannel(const ListRow& row) {
    if (row[0].size() != 3) {
        inform(QStringLiteral("This is not a memory channel!"), QStringLiteral("Info"));
        return;
    }
    ChannelRecord record;
    for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
        record[i] = row[i];
    }
    if (!m_dialogs.editChannel) {
        return;
    }
    const std::optional<ChannelRecord> edited =
        m_dialogs.editChannel(this, record, m_ctx.mark2 && m_ctx.mark2());
    if (!edited) {
        return;
    }
    rememberSelection();
    queue(cmd::writeChannel(*m_ctx.rx, *edited));
}

void CZelView::deleteChannel(const ListRow& row) {
    if (!confirm(
            QStringLiteral("Really delete channel ") + fromCp1252(row[0]) + QStringLiteral(" ?"),
            QStringLiteral("Warning"), true)) {
        return;
    }
    rememberSelection();
    queue(cmd::deleteChannel(*m_ctx.rx, row[0]));
}

void CZelView::bankDescription(const ListRow& row) {
    if (!m_dialogs.bankDescription) {
        return;
    }
    const std::optional<std::string> text = m_dialogs.bankDescription(this);
    if (!text) {
        return;
    }
    queue(cmd::bankTextWrite(row[0].substr(0, 1), *text) + cmd::bankSizesRead());
    if (m_ctx.bankNamesChanged) {
        m_ctx.bankNamesChanged();
    }
}

void CZelView::deleteAllChannels(const ListRow& row) {
    const char letter = row[0].front();
    if (!confirm(QStringLiteral("Really delete *ALL* channels in bank ") + QChar(letter) +
                     QStringLiteral(" ?"),
                 QStringLiteral("Warning"), false)) {
        return;
    }
    if (!confirm(QStringLiteral("WARNING: ALL CHANNELS IN BANK WILL BE DELETED! PROCEED?"),
                 QStringLiteral("Last Chance"), false)) {
        return;
    }
    // As before every write into a whole bank: no backup, no delete.
    const std::optional<std::filesystem::path> backup = backupCurrentBank(letter);
    if (!backup) {
        tell(this,
             QStringLiteral("The bank could not be saved before deleting.\nAborting operation."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    m_ctx.host->showStatus("bank " + std::string(1, letter) + " saved in " + backup->string());
    queue(cmd::clearBank(*m_ctx.rx, *m_ctx.host, letter));
}

void CZelView::resizeBank() {
    if (m_ctx.queue != nullptr && !m_ctx.queue->empty()) {
        tell(this,
             QStringLiteral("There are commands in queue!\nQueue MUST be empty before performing\n "
                            "this operation. Try again later."),
             QStringLiteral("Command Queue Not Empty"), PromptIcon::Error);
        return;
    }
    const std::string& first = itemText(0, 0);
    if (first.empty() || !m_dialogs.bankResize) {
        return;
    }
    CReceiver& rx = *m_ctx.rx;
    const std::optional<std::string> target = m_dialogs.bankResize(this, rx, first.front());
    // Without a shrinking bank there is nothing to send, and the lists stay as they are.
    if (!target || target->empty()) {
        return;
    }
    const std::string resize = cmd::bankResize(rx, *target);
    if (resize.empty()) {
        return;
    }
    const char letter = (*target)[0];
    for (const char pairLetter :
         {static_cast<char>(std::toupper(static_cast<unsigned char>(letter))),
          static_cast<char>(std::tolower(static_cast<unsigned char>(letter)))}) {
        const int index = CReceiver::bankIndex(pairLetter);
        if (index >= 0 && index < kBankCount) {
            rx.banks[static_cast<std::size_t>(index)].clear();
        }
    }
    m_model->clearRows();
    if (m_ctx.host != nullptr) {
        m_ctx.host->showStatus("memory bank resize active, please wait...");
    }
    if (m_ctx.bankNamesChanged) {
        m_ctx.bankNamesChanged();
    }
    queue(resize + cmd::bankSizesRead());
}

void CZelView::startSelectScan() {
    queue(cmd::selectScanStart());
}

void CZelView::addToSelectScan(const ListRow& row) {
    queue(cmd::memoryRecall(row[0]) + cmd::selectFlag(true));
}

void CZelView::removeFromSelectScan(const ListRow& row) {
    queue(cmd::selectScanDelete(*m_ctx.rx, row[0]));
}

void CZelView::deleteAllSelectScan() {
    if (!confirm(QStringLiteral("Really Delete *ALL* Channels from Select Scan List ?"),
                 QStringLiteral("Warning"), false)) {
        return;
    }
    queue(cmd::selectScanDeleteAll(*m_ctx.rx));
}

void CZelView::searchThisBank(const ListRow& row) {
    BandscopeSearch search;
    search.lowerHz = numberWithoutPoints(row[1]);
    search.upperHz = numberWithoutPoints(row[2]);
    search.stepHz = numberWithoutPoints(row[3]);
    search.text = row[7];
    search.mode = row[5];
    search.bank = row[0];
    if (CZelDoc* doc = m_ctx.document ? m_ctx.document() : nullptr) {
        const ScopeLevels levels = m_ctx.scopeLevels ? m_ctx.scopeLevels() : ScopeLevels{};
        const char kind = row[0].empty() ? '\0' : row[0].front();
        doc->setupBandscope(documentHz(search.lowerHz), documentHz(search.upperHz),
                            static_cast<int>(documentHz(search.stepHz)), search.mode, search.text,
                            kind, levels);
    }
    emit bandscopeSearchRequested(search);
    queue(cmd::searchStart(row[0]) + cmd::statusRefreshWithFlags(*m_ctx.rx));
}

void CZelView::editSearchBank(const ListRow& row) {
    CReceiver& rx = *m_ctx.rx;
    if (row[0].empty() || !m_dialogs.searchBank) {
        return;
    }
    ChannelRecord record = ChannelRecord::emptySlot(row[0]);
    if (rx.searchBanks.empty()) {
        inform(QStringLiteral("Oooops. Empty Search List. This should not happen ..."),
               QStringLiteral("Error"));
    }
    for (const ChannelRecord& bank : rx.searchBanks) {
        if (bank[ChannelRecord::kBank] == row[0]) {
            record = bank;
            break;
        }
    }
    const std::optional<std::string> commands =
        m_dialogs.searchBank(this, record, m_ctx.mark2 && m_ctx.mark2());
    if (!commands || commands->empty()) {
        return;
    }
    rememberSelection();
    queue(*commands + cmd::searchBankReadout(rx));
}

void CZelView::deleteSearchBank(const ListRow& row) {
    if (!confirm(QStringLiteral("Really delete search bank ") + fromCp1252(row[0]) +
                     QStringLiteral(" ?"),
                 QStringLiteral("Warning"), false)) {
        return;
    }
    queue(cmd::searchBankDelete(*m_ctx.rx, row[0]));
}

void CZelView::deletePassFrequency(const ListRow& row) {
    if (row[0].size() < 5) {
        return;
    }
    queue(cmd::passDelete(row[0][2], row[0].substr(3, 2)) + cmd::passFrequencyReadout(*m_ctx.rx));
}

void CZelView::deleteAllPassFrequencies(const ListRow& row) {
    if (row[0].size() < 3) {
        return;
    }
    const char bank = row[0][2];
    if (!confirm(QStringLiteral("Really delete ALL Pass Frequencies stored in bank - ") +
                     QChar(bank) + QStringLiteral(" - ?"),
                 QStringLiteral("Warning"), true)) {
        return;
    }
    queue(cmd::passDelete(bank, "%%") + cmd::passFrequencyReadout(*m_ctx.rx));
}

}  // namespace korvex
