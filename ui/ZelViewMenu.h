#pragma once

// The list view's context menu "BANKS": its entries in order, their
// captions, and the rule that enables each on the selected row.

#include <span>
#include <string_view>

#include "ui/ZelViewRows.h"

namespace korvex {

enum class ListEntry {
    RecallChannel,
    StoreVfo,
    EditChannel,
    DeleteChannel,
    WriteBankToFile,
    WriteFileToBank,
    ExportCsv,
    ImportCsv,
    BankDescription,
    DeleteAllChannels,
    ResizeBank,
    TuneFromDatabase,
    StoreColumnWidths,
    VfoToDatabase,
    StartSelectScan,
    AddToSelectScan,
    RemoveFromSelectScan,
    DeleteAllSelectScan,
    SearchThisBank,
    EditSearchBank,
    DeleteSearchBank,
    DeletePassFrequency,
    DeleteAllPassFrequencies,
    PlayAudio,
    StopPlaying,
    DeleteAudioFile,
    DeleteLogEntry,
    DeleteAllLogEntries,
    Count
};

inline constexpr int kListEntryCount = static_cast<int>(ListEntry::Count);

struct ListEntrySpec {
    ListEntry id;
    std::string_view caption;  // with the shortcut after a TAB, as shown
    bool separatorBefore = false;
};

inline constexpr std::string_view kListMenuTitle = "BANKS";

// Every entry in menu order.
std::span<const ListEntrySpec> listMenuTable();
const ListEntrySpec& listEntrySpec(ListEntry id);

// What the rules need besides the row.
struct ListViewState {
    int operatingState = 0;
    bool logRunning = false;
    bool playing = false;
    bool databaseAcceptsEntries = false;
};

// Whether the entry's rule allows it on this row; no row allows nothing.
bool entryAllowed(ListEntry entry, const RowFacts* row, const ListViewState& state);

}  // namespace korvex
