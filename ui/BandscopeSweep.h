#pragma once

// The bandscope's sweep commands: starting a sweep and choosing its drawing
// mode, leaving it for the list, halting it on a frequency and resuming it.
// Plain C++: the window is reached through the hooks of SweepHost.

#include <string>

namespace korvex {

class CReceiver;
class CZelDoc;
class CommandQueue;

enum class ScopeMode { Normal = 0, PeakHold = 1, Statistic = 2 };

// What the sweep needs from the window; the main frame implements it.
class SweepHost {
public:
    virtual ~SweepHost() = default;
    // A refusal or warning in an error box under kScopeCaption.
    virtual void scopeMessage(const std::string& text) = 0;
    virtual bool scopeShown() const = 0;
    virtual void showScope() = 0;
    virtual void showList() = 0;
    virtual void redrawScope() = 0;
    // Enables or disables every control of the tuning panel.
    virtual void setPanelEnabled(bool enabled) = 0;
    // The bandscope's status texts in the panel, from the model's flags.
    virtual void refreshScopeTexts() = 0;
    // The "scopedelay" setting, in 10 ms.
    virtual int scopeDelay() const = 0;
};

class CBandscopeSweep {
public:
    inline static const std::string kScopeCaption = "Bandscope search parameters";
    inline static const std::string kNotInitialized =
        "Bandscope not initialized.\nYou must start a search first!";
    inline static const std::string kStaleWarning = "Warning: using STALE data!";
    inline static const std::string kFrequencyMissing = "One frequency is missing or invalid";
    inline static const std::string kFrequenciesEqual = "Frequencies are equal.\nMakes no sense!";
    inline static const std::string kStepTooLarge = "Stepsize > Frequency range";
    inline static const std::string kRangeTooWide =
        "Frequency range too wide for the bandscope:\nmore than 1000000 steps.";
    inline static const std::string kNoMemory = "Not enough memory for the bandscope.";

    CBandscopeSweep(CZelDoc& doc, CReceiver& rx, CommandQueue& queue, SweepHost& host);

    // "&Bandscope View", "Bandscope &Peak View", "Bandscope St&atistic
    // View": starts a sweep from the list, or switches the drawing mode while
    // the bandscope is shown.
    void show(ScopeMode mode);
    // "&List View": ends the sweep and shows the list; the data turns stale.
    void leave();
    // The list waits for the answer to a sweep start too: that answer would
    // start the sweep mode again behind the "LC0" of the list.
    bool canLeave() const;
    // "Halt Search": the receiver stops on the VFO, the panel may tune.
    void halt();
    // "Resume Search": the search starts again and the sweep follows.
    void resume();

    // Halt and Resume wait for the receiver's answer to a sweep start: a halt
    // queued behind an unanswered "LC2" would be overtaken by the sweep mode
    // that answer starts, and a second resume would start the search twice.
    bool canHalt() const;
    bool canResume() const;
    // A click tunes only while the sweep is halted and no resume is on its way.
    bool canTune() const;
    // "LC2" is queued or sent and not yet answered.
    bool sweepStartPending() const;
    ScopeMode mode() const { return m_mode; }

private:
    // The range check before a sweep starts; the refusal text, or "".
    std::string rangeProblem() const;
    void startSweep();

    CZelDoc& m_doc;
    CReceiver& m_rx;
    CommandQueue& m_queue;
    SweepHost& m_host;
    ScopeMode m_mode = ScopeMode::Normal;
};

}  // namespace korvex
