#include <gtest/gtest.h>

#include <set>

#include "ui/ZelViewMenu.h"

namespace korvex {
namespace {

using E = ListEntry;

enum class Kind {
    UsedChannel,
    EmptySlot,
    SearchBank,
    EmptySearchBank,
    SelectScan,
    Pass,
    Log,
    LogAudio,
    Database
};

RowFacts factsOf(Kind kind) {
    RowFacts f;
    switch (kind) {
        case Kind::UsedChannel:
            f.memoryChannel = f.usedMemoryChannel = true;
            break;
        case Kind::EmptySlot:
            f.memoryChannel = true;
            break;
        case Kind::SearchBank:
            f.searchBank = true;
            break;
        case Kind::EmptySearchBank:
            f.emptySearchBank = true;
            break;
        case Kind::SelectScan:
            f.selectScanEntry = true;
            break;
        case Kind::Pass:
            f.passFrequency = true;
            break;
        case Kind::Log:
            f.logEntry = true;
            break;
        case Kind::LogAudio:
            f.logEntry = f.logEntryWithAudio = true;
            break;
        case Kind::Database:
            f.databaseRecord = true;
            break;
    }
    return f;
}

const Kind kAllKinds[] = {
    Kind::UsedChannel, Kind::EmptySlot, Kind::SearchBank, Kind::EmptySearchBank, Kind::SelectScan,
    Kind::Pass,        Kind::Log,       Kind::LogAudio,   Kind::Database};

// The states that tell the rules apart: unknown, VFO, search, memory read, memory scan.
const int kStates[] = {0, 1, 2, 3, 4, 7, 8};

struct Rule {
    E entry;
    std::set<Kind> kinds;
    std::set<int> states;  // empty: any state
};

TEST(MenuRules, EachEntryOnEachKindOfRowInEachState) {
    const std::set<int> vfo{1, 2, 3};
    const std::set<int> memory{7};
    const std::set<int> vfoOrMemory{1, 2, 3, 7};
    const Rule rules[] = {
        {E::RecallChannel, {Kind::UsedChannel}, {}},
        {E::StoreVfo, {Kind::UsedChannel, Kind::EmptySlot}, vfo},
        {E::EditChannel, {Kind::UsedChannel, Kind::EmptySlot}, memory},
        {E::DeleteChannel, {Kind::UsedChannel}, memory},
        {E::WriteBankToFile, {Kind::UsedChannel, Kind::EmptySlot}, {}},
        {E::WriteFileToBank, {Kind::UsedChannel, Kind::EmptySlot}, memory},
        {E::BankDescription, {Kind::UsedChannel, Kind::EmptySlot}, memory},
        {E::DeleteAllChannels, {Kind::UsedChannel, Kind::EmptySlot}, memory},
        {E::ResizeBank, {Kind::UsedChannel, Kind::EmptySlot}, memory},
        {E::TuneFromDatabase, {Kind::Database}, {}},
        {E::StoreColumnWidths, {Kind::Database}, {}},
        {E::StartSelectScan, {Kind::SelectScan}, memory},
        {E::AddToSelectScan, {Kind::UsedChannel}, memory},
        {E::RemoveFromSelectScan, {Kind::SelectScan}, memory},
        {E::DeleteAllSelectScan, {Kind::SelectScan}, memory},
        {E::SearchThisBank, {Kind::SearchBank}, {}},
        {E::EditSearchBank, {Kind::SearchBank, Kind::EmptySearchBank}, vfoOrMemory},
        {E::DeleteSearchBank, {Kind::SearchBank}, vfoOrMemory},
        {E::DeletePassFrequency, {Kind::Pass}, {}},
        {E::DeleteAllPassFrequencies, {Kind::Pass}, {}},
    };
    for (const Rule& rule : rules) {
        for (const Kind kind : kAllKinds) {
            for (const int s : kStates) {
                const RowFacts facts = factsOf(kind);
                ListViewState state;
                state.operatingState = s;
                const bool expected =
                    rule.kinds.contains(kind) && (rule.states.empty() || rule.states.contains(s));
                EXPECT_EQ(entryAllowed(rule.entry, &facts, state), expected)
                    << listEntrySpec(rule.entry).caption << " kind " << int(kind) << " state " << s;
            }
        }
    }
}

struct FlagCase {
    E entry;
    Kind kind;
    bool logRunning;
    bool playing;
    bool accepts;
    int state;
    bool expected;
};

TEST(MenuRules, LogPlaybackAndDatabaseConditions) {
    const FlagCase cases[] = {
        {E::PlayAudio, Kind::LogAudio, false, false, false, 0, true},
        {E::PlayAudio, Kind::LogAudio, true, false, false, 0, false},
        {E::PlayAudio, Kind::Log, false, false, false, 0, false},
        {E::StopPlaying, Kind::LogAudio, false, true, false, 0, true},
        {E::StopPlaying, Kind::LogAudio, false, false, false, 0, false},
        {E::DeleteAudioFile, Kind::LogAudio, false, false, false, 0, true},
        {E::DeleteAudioFile, Kind::LogAudio, false, true, false, 0, false},
        {E::DeleteLogEntry, Kind::Log, false, false, false, 0, true},
        {E::DeleteLogEntry, Kind::Log, true, false, false, 0, false},
        {E::DeleteAllLogEntries, Kind::LogAudio, false, false, false, 0, true},
        {E::DeleteAllLogEntries, Kind::UsedChannel, false, false, false, 7, false},
        {E::VfoToDatabase, Kind::Database, false, false, true, 1, true},
        {E::VfoToDatabase, Kind::Database, false, false, false, 1, false},
        {E::VfoToDatabase, Kind::Database, false, false, true, 7, false},
        {E::VfoToDatabase, Kind::UsedChannel, false, false, true, 1, false},
    };
    for (const FlagCase& c : cases) {
        const RowFacts facts = factsOf(c.kind);
        const ListViewState state{c.state, c.logRunning, c.playing, c.accepts};
        EXPECT_EQ(entryAllowed(c.entry, &facts, state), c.expected)
            << listEntrySpec(c.entry).caption;
    }
}

TEST(MenuRules, NoRowAllowsNothing) {
    for (const ListEntrySpec& spec : listMenuTable()) {
        for (const int s : kStates) {
            const ListViewState state{s, false, true, true};
            EXPECT_FALSE(entryAllowed(spec.id, nullptr, state)) << spec.caption;
        }
    }
}

TEST(MenuRules, TableHoldsEveryEntryInOrder) {
    const auto table = listMenuTable();
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kListEntryCount));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(table[i].id), i);
    }
    EXPECT_EQ(listEntrySpec(E::RecallChannel).caption, "Recall Memory Channel\tF10");
    EXPECT_EQ(listEntrySpec(E::DeleteAllSelectScan).caption, "Delete ALL Select ScanChannels ...");
}

}  // namespace
}  // namespace korvex
