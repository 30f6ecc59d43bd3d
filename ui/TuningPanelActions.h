#pragma once

// What each control of the tuning panel sends: the panel's behaviour without
// its widgets. Every action builds its commands with the receiver command set
// and appends them to the command queue; the widget only forwards presses
// and choices here and moves the focus afterwards.

#include <functional>
#include <string>
#include <string_view>

#include "link/Commands.h"
#include "ui/ListKind.h"

namespace korvex {

class CReceiver;
class CZelDoc;
class LinkHost;
class PollCycle;
struct KorvSettings;
struct PollFields;

// The panel's own fields; everything else it shows lives in the model.
struct TuningPanelState {
    std::string entryText;
    int lastSquelchSent = 0;
    bool bankNamesChanged = true;
    ListKind listKind;
};

// The controls whose enabling depends on the operating state.
struct PanelEnabling {
    bool refresh = false;
    bool scanGroupDialog = false;
    bool memoryScanStart = false;
    bool searchGroupDialog = false;
    bool vfoSearchStart = false;
    bool vfoSearchStop = false;
    bool makePassFrequency = false;

    bool operator==(const PanelEnabling&) const = default;
};

// The enabling table: `line1` is the text of the VFO A line.
PanelEnabling panelEnabling(int operatingState, bool bankNamesChanged, std::string_view line1);

// The list a list-selector position stands for: 0..19 a bank, then the fixed lists.
ListMode listModeAt(int position);

// The objects the panel's actions work on, all owned by the main frame.
struct TuningContext {
    CReceiver& rx;
    PollFields& poll;
    PollCycle& cycle;
    LinkHost& host;
    CZelDoc& doc;
    const KorvSettings& settings;
    // The station's way of queuing commands (see CTuningPanel::Context).
    std::function<void(const std::string&)> queueCommands;
};

class TuningActions {
public:
    enum class EntryResult { Nothing, Queued, Invalid };

    explicit TuningActions(const TuningContext& context) : m_ctx(context) {}

    TuningPanelState& state() { return m_state; }
    const TuningPanelState& state() const { return m_state; }

    // Re-runs the database query and redraws the list view; unset while no
    // database can be connected, then "&Refresh" on "DATABASE" does nothing.
    void setDatabaseRequery(std::function<void()> requery) {
        m_databaseRequery = std::move(requery);
    }

    // ---- entry field ----
    void appendToEntry(char c) { m_state.entryText += c; }
    void removeLastFromEntry();
    void setEntry(std::string text) { m_state.entryText = std::move(text); }

    // "Enter" once no selector has taken the key. Invalid: the long message
    // has been shown and the entry is kept.
    EntryResult enter();
    // A frequency in MHz tuned as a typed one is on Enter, the entry field
    // left as it is. Invalid: the long message has been shown.
    EntryResult tuneTo(std::string_view frequencyMhz);
    // "Ma&ke Pass Frequency". Invalid: the short message has been shown.
    EntryResult makePassFrequency();

    // ---- VFOs and tuning ----
    // 'A' "VFO-A", 'B' "VFO-B", 'S' "VFO".
    void selectVfo(char which);
    // Queues the dial key. True when the panel is to show the predicted
    // frequency (a VFO state); the deferred read-back has then been asked for.
    bool stepTune(cmd::DialKey key);
    void chooseStep(int position);
    void chooseMode(int position);
    void setFlag(cmd::Flag flag, bool on);
    void setSelectFlag(bool on);
    void setPassFlag(bool on);

    // ---- scan and search ----
    void chooseScanGroup(int position);
    void chooseSearchGroup(int position);
    void startMemoryScan();
    void stopToMemoryRead();
    void startVfoSearch();
    void stopVfoSearch();

    // ---- lists ----
    void chooseList(int position);
    // "&Refresh" on the list selector's entry. Decided by position, so a
    // bank described as, say, "LOG VIEW" is still read as a bank.
    void refreshList(int position);

    // ---- level squelch ----
    // The slider moved by the operator (drag or keys) to `value`.
    void squelchMoved(int value);
    // The slider released at `value`.
    void squelchReleased(int value);
    // The status-bar text for a slider value.
    static std::string squelchStatus(int value);

private:
    void queue(std::string_view commands);

    TuningContext m_ctx;
    TuningPanelState m_state;
    std::function<void()> m_databaseRequery;
};

}  // namespace korvex
