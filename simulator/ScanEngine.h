#pragma once

// The time-driven half of the simulated receiver: memory scan, select scan,
// search and VFO search stepping and stopping on signals, the squelch
// reports while level reports are on ("LC1"), and the bandscope sweep
// ("LC2"). It works on the receiver state it is given and appends its report
// lines (with CR LF) to the text passed in.
//
// A squelch report goes out once per change: one "open" line when the
// squelch opens on a signal, one "closed" line when it closes, none while it
// stays as last reported. The program's log counts the time since the last
// report, so a repeated one would restart its count.

#include <cstdint>
#include <string>

#include "simulator/ReceiverState.h"
#include "simulator/SignalField.h"

namespace korvex::sim {

struct ScanTiming {
    int memoryStepMs = 50;      // per channel
    int searchStepMs = 20;      // per frequency step
    int monitorMs = 100;        // squelch check while stopped or not scanning
    int squelchThreshold = 30;  // the rotary squelch, used while no level squelch is set
    int baudRate = 9600;        // sweep lines never come faster than the line carries them
};

class ScanEngine {
public:
    ScanEngine(ReceiverState& state, const SignalField& spectrum, ScanTiming timing);

    // The operation of the state has changed (or was restarted) at `now`.
    void restart(int64_t now, std::string& out);
    // "LC" was set at `now`.
    void levelReportsChanged(int64_t now, std::string& out);
    // A dial key during a scan or search: +1 up, -1 down.
    void setDirection(int direction) { m_direction = direction < 0 ? -1 : 1; }
    // Runs every step due in (from, to].
    void run(int64_t from, int64_t to, std::string& out);

    int64_t receiveHz() const;
    int level(int64_t now) const;
    int squelchThreshold() const;
    bool stopped() const { return m_holding; }
    bool squelchOpen() const { return m_open; }
    int sweepIntervalMs() const;

    // A channel the memory scan of the current scan group would stop on.
    bool scannable(ChannelRef ref) const;

    static bool isScanning(Operation op);
    static bool isSearching(Operation op);

private:
    enum class Told { Nothing, Closed, Open };

    struct Range {
        int64_t lower = 0;
        int64_t upper = 0;
        int step = 12500;
        char passBank = 'V';
    };

    void tick(int64_t now, std::string& out);
    void sweepTick(int64_t now, std::string& out);
    void scanTick(int64_t now, std::string& out);
    void monitorTick(int64_t now, std::string& out);
    void setOpen(bool open, int64_t now, std::string& out);
    // Sends the squelch state unless it is the one the program was told last.
    void reportState(int64_t now, std::string& out);
    void stepPosition();
    void stepSearch();
    void stepMemory();
    void stepSelect();
    bool isPassFrequency(char bank, int64_t hz) const;
    Range searchRange() const;
    const GroupSettings& scanSettings() const;
    int stepMs() const;
    char vfoLetter() const;

    ReceiverState& m_state;
    const SignalField& m_signals;
    ScanTiming m_timing;

    int64_t m_next = 0;
    int64_t m_searchHz = 0;
    int64_t m_sweepHz = 0;
    int m_direction = 1;
    bool m_holding = false;       // stopped on a signal
    bool m_open = false;          // squelch open
    Told m_told = Told::Nothing;  // the state the last report gave, since "LC1"
    bool m_waitForQuiet = false;  // left a signal on the free pause: pass it by
    int64_t m_holdStart = 0;
    int64_t m_lostAt = -1;
};

}  // namespace korvex::sim
