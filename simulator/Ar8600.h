#pragma once

// The simulated AR8600, receiver side of the serial protocol, without I/O.
// feed() takes the bytes the program sent and returns the reply text;
// advance() lets simulated time pass and returns what the receiver sends on
// its own meanwhile (scan and search reports, the bandscope sweep, the late
// acknowledgement of a bank resize). Replies are lines ending in CR LF.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "simulator/CommandSplitter.h"
#include "simulator/ReceiverState.h"
#include "simulator/ScanEngine.h"
#include "simulator/SignalField.h"

namespace korvex::sim {

struct Ar8600Options {
    bool markTwo = false;  // tunes up to 3000 MHz instead of 2040 MHz
    int baudRate = 9600;
    int resizeBaseMs = 1000;  // a bank resize takes this plus resizeMsPerSlot per moved slot
    int resizeMsPerSlot = 20;
    int wakeDelayMs = 1000;             // after power off, the first command wakes it
    bool stayOffAfterPowerOff = false;  // ... unless this is set: then it stays silent
    ScanTiming timing;
};

class Ar8600 {
public:
    explicit Ar8600(Ar8600Options options = {}, ReceiverState state = sampleState(),
                    SignalField spectrum = {});
    Ar8600(const Ar8600&) = delete;
    Ar8600& operator=(const Ar8600&) = delete;

    // Received bytes in, reply text out. Commands end at CR.
    std::string feed(std::string_view bytes);
    // One command without its CR; returns its reply (empty for no reply).
    std::string execute(std::string_view command);
    // Lets `ms` milliseconds pass; returns the text sent meanwhile.
    std::string advance(int64_t ms);

    ReceiverState& state() { return m_state; }
    const ReceiverState& state() const { return m_state; }
    const ScanEngine& engine() const { return m_engine; }
    int64_t now() const { return m_now; }
    bool poweredOff() const { return m_poweredOff; }
    bool resizing() const { return m_resizeDoneAt >= 0; }
    void setStayOffAfterPowerOff(bool stay) { m_options.stayOffAfterPowerOff = stay; }
    // Puts the receiver into an operation as its own keys would (tests, demo).
    void enterOperation(Operation op);
    // Held transmissions of the band (SignalField::holdTransmissions) begin
    // counting their start times now.
    void startTransmissions() {
        if (m_signals.transmissionsHeld()) {
            m_signals.startTransmissionsAt(m_now);
        }
    }

    using Handler = std::string (Ar8600::*)(std::string_view word, std::string_view args);

private:
    std::string dispatch(std::string_view command);
    void dialKey(char key);
    void changeOperation(Operation op);
    int64_t highestHz() const;
    bool inMemoryOperation() const;
    Tuning& activeTuning() { return m_state.vfos[m_state.activeVfo]; }
    Channel* currentChannel();
    bool signalAboveSquelch(int levelSquelch) const;
    bool bankWritable(int bank, int channel) const;
    void removeFromSelectScan(ChannelRef ref);
    std::string pageOfChannels();

    // status and VFO commands (Ar8600.cpp)
    std::string rx(std::string_view, std::string_view args);
    std::string frequency(std::string_view, std::string_view args);
    std::string step(std::string_view, std::string_view args);
    std::string mode(std::string_view, std::string_view args);
    std::string tuningFlag(std::string_view word, std::string_view args);
    std::string globalFlag(std::string_view word, std::string_view args);
    std::string selectVfo(std::string_view word, std::string_view args);
    std::string powerOff(std::string_view, std::string_view args);
    std::string exitRemote(std::string_view, std::string_view args);
    std::string levelReports(std::string_view, std::string_view args);
    std::string scopeDelay(std::string_view, std::string_view args);
    std::string openingMessage(std::string_view, std::string_view args);
    std::string beepVolume(std::string_view, std::string_view args);
    std::string contrast(std::string_view, std::string_view args);
    std::string writeProtect(std::string_view, std::string_view args);
    std::string bankProtect(std::string_view, std::string_view args);

    // memory commands (Ar8600Memory.cpp)
    std::string memoryWrite(std::string_view, std::string_view args);
    std::string memoryRecall(std::string_view, std::string_view args);
    std::string memoryDelete(std::string_view, std::string_view args);
    std::string memoryRead(std::string_view, std::string_view args);
    std::string memoryScan(std::string_view, std::string_view args);
    std::string bankResize(std::string_view, std::string_view args);
    std::string bankText(std::string_view, std::string_view args);
    std::string passFlag(std::string_view, std::string_view args);
    std::string selectFlag(std::string_view, std::string_view args);
    std::string selectRead(std::string_view, std::string_view args);
    std::string selectDelete(std::string_view, std::string_view args);
    std::string selectScan(std::string_view, std::string_view args);

    // search, pass and group commands (Ar8600Search.cpp)
    std::string searchRead(std::string_view, std::string_view args);
    std::string searchWrite(std::string_view, std::string_view args);
    std::string searchDelete(std::string_view, std::string_view args);
    std::string searchStart(std::string_view, std::string_view args);
    std::string vfoSearch(std::string_view, std::string_view args);
    std::string passRead(std::string_view, std::string_view args);
    std::string passWrite(std::string_view, std::string_view args);
    std::string passDelete(std::string_view, std::string_view args);
    std::string scanGroup(std::string_view, std::string_view args);
    std::string searchGroup(std::string_view, std::string_view args);
    std::string vfoSearchGroup(std::string_view, std::string_view args);
    std::string scanLinks(std::string_view, std::string_view args);
    std::string searchLinks(std::string_view, std::string_view args);
    std::string groupField(std::string_view word, std::string_view args);
    char passBankForNewEntry() const;

    Ar8600Options m_options;
    ReceiverState m_state;
    SignalField m_signals;
    ScanEngine m_engine;
    CommandSplitter m_splitter;
    int64_t m_now = 0;

    bool m_poweredOff = false;
    int64_t m_wakeAt = -1;
    int64_t m_resizeDoneAt = -1;
    std::deque<std::string> m_heldCommands;  // received while a resize runs

    int m_pageBank = -1;  // "MA" paging: bank and next channel
    int m_pageNext = 0;
    int m_searchPage = 0;         // "SR" paging: next search bank
    int m_sizesHalf = 0;          // "TB": 0 upper-case banks next, 1 lower-case
    std::string m_pendingOutput;  // report lines produced by a command (scan start)
};

}  // namespace korvex::sim
