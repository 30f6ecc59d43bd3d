#include "ui/ZelViewMenu.h"

#include <array>

namespace korvex {

namespace {

constexpr std::array<ListEntrySpec, kListEntryCount> kTable = {{
    {ListEntry::RecallChannel, "Recall Memory Channel\tF10"},
    {ListEntry::StoreVfo, "Store VFO Here ...\tF11"},
    {ListEntry::EditChannel, "&Edit Memory Channel...\tCtrl-Ins"},
    {ListEntry::DeleteChannel, "&Delete Memory Channel ...\tCtrl-Del"},
    {ListEntry::WriteBankToFile, "Write Memory Bank Into File ...", true},
    {ListEntry::WriteFileToBank, "Write Memory File Into Bank ..."},
    {ListEntry::ExportCsv, "Export Bank As CSV ..."},
    {ListEntry::ImportCsv, "Import CSV Into Bank ..."},
    {ListEntry::BankDescription, "Set Memory Bank Description ...", true},
    {ListEntry::DeleteAllChannels, "Delete ALL Channels In Bank ..."},
    {ListEntry::ResizeBank, "Resize Bank ..."},
    {ListEntry::TuneFromDatabase, "T&une From Database", true},
    {ListEntry::StoreColumnWidths, "Store Column Widths"},
    {ListEntry::VfoToDatabase, "VFO To Database ..."},
    {ListEntry::StartSelectScan, "Start S&elect Scan", true},
    {ListEntry::AddToSelectScan, "&Add To Select Scan List"},
    {ListEntry::RemoveFromSelectScan, "&Remove From Select Scan List"},
    {ListEntry::DeleteAllSelectScan, "Delete ALL Select ScanChannels ..."},
    {ListEntry::SearchThisBank, "Searc&h This Bank", true},
    {ListEntry::EditSearchBank, "Edit Search Bank ..."},
    {ListEntry::DeleteSearchBank, "Delete Search Bank ..."},
    {ListEntry::DeletePassFrequency, "Delete Pass Frequency", true},
    {ListEntry::DeleteAllPassFrequencies, "Delete ALL Pass Frequencies ..."},
    {ListEntry::PlayAudio, "&Play This Audio File\tAlt-Ret", true},
    {ListEntry::StopPlaying, "S&top Playing"},
    {ListEntry::DeleteAudioFile, "Delete This Audio File ..."},
    {ListEntry::DeleteLogEntry, "Delete Log Entry ...\tAlt-Del"},
    {ListEntry::DeleteAllLogEntries, "Delete ALL Log Entries ..."},
}};

bool vfoState(int s) {
    return s >= 1 && s <= 3;
}

bool memoryState(int s) {
    return s == 7;
}

}  // namespace

std::span<const ListEntrySpec> listMenuTable() {
    return kTable;
}

const ListEntrySpec& listEntrySpec(ListEntry id) {
    return kTable[static_cast<std::size_t>(id)];
}

bool entryAllowed(ListEntry entry, const RowFacts* row, const ListViewState& state) {
    if (row == nullptr) {
        return false;
    }
    const RowFacts& r = *row;
    const bool vfo = vfoState(state.operatingState);
    const bool memory = memoryState(state.operatingState);
    switch (entry) {
        case ListEntry::RecallChannel:
            return r.usedMemoryChannel;
        case ListEntry::StoreVfo:
            return r.memoryChannel && vfo;
        case ListEntry::EditChannel:
        case ListEntry::WriteFileToBank:
        case ListEntry::ImportCsv:
        case ListEntry::BankDescription:
        case ListEntry::DeleteAllChannels:
        case ListEntry::ResizeBank:
            return r.memoryChannel && memory;
        case ListEntry::DeleteChannel:
            return r.usedMemoryChannel && memory;
        case ListEntry::WriteBankToFile:
        case ListEntry::ExportCsv:
            return r.memoryChannel;
        case ListEntry::TuneFromDatabase:
        case ListEntry::StoreColumnWidths:
            return r.databaseRecord;
        case ListEntry::VfoToDatabase:
            return r.databaseRecord && state.databaseAcceptsEntries && vfo;
        case ListEntry::StartSelectScan:
        case ListEntry::RemoveFromSelectScan:
        case ListEntry::DeleteAllSelectScan:
            return r.selectScanEntry && memory;
        case ListEntry::AddToSelectScan:
            return r.usedMemoryChannel && memory;
        case ListEntry::SearchThisBank:
            return r.searchBank;
        case ListEntry::EditSearchBank:
            return (r.searchBank || r.emptySearchBank) && (vfo || memory);
        case ListEntry::DeleteSearchBank:
            return r.searchBank && (vfo || memory);
        case ListEntry::DeletePassFrequency:
        case ListEntry::DeleteAllPassFrequencies:
            return r.passFrequency;
        case ListEntry::PlayAudio:
            return r.logEntryWithAudio && !state.logRunning;
        case ListEntry::StopPlaying:
            return r.logEntryWithAudio && state.playing;
        case ListEntry::DeleteAudioFile:
            return r.logEntryWithAudio && !state.playing;
        case ListEntry::DeleteLogEntry:
        case ListEntry::DeleteAllLogEntries:
            return r.logEntry && !state.logRunning;
        case ListEntry::Count:
            break;
    }
    return false;
}

}  // namespace korvex
