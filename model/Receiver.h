#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "model/Records.h"
#include "model/SquelchEvents.h"
#include "model/Tables.h"

namespace korvex {

// The link's state machine, driven by the poll tick and the parser.
enum class LinkState : int { Idle = 0, Wait = 1, Data = 2, Err = 3, Retry = 4 };

// The status-pane name of a link state: "IDLE", "WAIT", "DATA", "ERR",
// "RETRY", "???" for anything else.
std::string_view linkStateName(LinkState state);

// What the receiver is doing, as recognised from the start of an "RX" reply.
enum OperatingState : int {
    kStateUnknown = 0,
    kStateVfo = 1,
    kStateVfoA = 2,
    kStateVfoB = 3,
    kStateSearch = 4,
    kStateVfoSearchA = 5,
    kStateVfoSearchB = 6,
    kStateMemoryRead = 7,
    kStateMemoryScan = 8,
    kStateSelectScan = 9,
    kStateVvA = 10,
    kStateVvB = 11,
};

// VFO A, VFO B and their two "VV" states: level reports mean nothing there,
// so they are not decoded and the log cannot start.
inline bool isVfoAOrBState(int state) {
    return state == kStateVfoA || state == kStateVfoB || state == kStateVvA || state == kStateVvB;
}

// Channels in slot order: element n is channel n. A list, because the list
// view and the parser only ever walk it and replace in place.
using MemoryBank = std::list<ChannelRecord>;

// The in-memory image of the receiver. Values are kept as the texts shown to
// the operator; the parser is the only writer of values reported by the
// receiver, the command builders update it where an outcome is known.
class CReceiver {
public:
    inline static const std::string kNoFrequency = "----------";

    CReceiver();

    // ---- memory part ----
    std::array<MemoryBank, kBankCount> banks;
    std::array<std::string, kBankCount> bankInfo;
    std::list<ChannelRecord> searchBanks;
    std::list<ChannelRecord> selectScanList;
    std::list<PassFrequencyRecord> passFrequencies;
    std::array<GroupRecord, 10> scanGroups;
    std::array<GroupRecord, 11> searchGroups;  // element 10: VFO search settings
    int currentScanGroup = 0;
    int currentSearchGroup = 0;

    // Scratch records the decoders fill before a copy is appended.
    ChannelRecord scratchChannel;
    ChannelRecord scratchSearchBank;
    ChannelRecord scratchSelectScan;
    PassFrequencyRecord scratchPass;

    bool listChanged = false;

    // ---- VFO and status part ----
    std::string vfoFrequency = kNoFrequency;
    std::string vfoAFrequency = kNoFrequency;
    std::string vfoBFrequency = kNoFrequency;
    std::int64_t vfoValue = 0;  // Hz, as the ten digits read
    std::int64_t vfoAValue = 0;
    std::int64_t vfoBValue = 0;
    std::string stepText;  // the six step digits of the last step report
    std::int32_t stepHz = 0;
    bool stepAdjust = false;  // "+" after the step digits
    int operatingState = kStateUnknown;
    int mode = 0;  // index into kModeNamesByIndex
    bool attenuator = false;
    bool afc = false;
    bool noiseLimiter = false;
    bool autoMode = false;
    bool passFlag = false;
    bool selectFlag = false;
    bool bandscopeRunning = false;
    bool bandscopeHalted = false;
    bool bankResizeActive = false;
    std::atomic<bool> logActive{false};  // read by the log thread
    std::string levelText;
    SquelchEvents squelchEvents;
    // What other programs read over the network: the frequency of the last
    // "RX" reply or stopped level report (Hz), how many "RX" replies have
    // been decoded, the squelch and signal level of the last level report
    // (whatever the state, shown or not) and the channel of the last "RX"
    // reply in a memory state.
    std::int64_t tunedHz = 0;
    std::uint64_t statusReplies = 0;
    std::optional<bool> squelchOpen;
    std::optional<int> signalLevel;  // 0..255
    std::string memoryChannel;
    std::string openingMessage = "unknown";
    char openingMode = '\xFF';
    char vlValue = '\xFF';
    std::string lbValue = "xx";

    // ---- parser state ----
    LinkState linkState = LinkState::Idle;
    std::string sentCommand;
    std::string rxBuffer;
    std::string currentLine;
    int linesSinceReset = 0;

    // ---- operations ----

    // Chooses the bank named by a bank letter and returns it; any other
    // character leaves the current bank as it is and returns it.
    MemoryBank& selectBank(char letter);
    MemoryBank& currentBank() { return banks[static_cast<std::size_t>(m_currentBankIndex)]; }
    const MemoryBank& currentBank() const {
        return banks[static_cast<std::size_t>(m_currentBankIndex)];
    }
    int currentBankIndex() const { return m_currentBankIndex; }

    // Bank letter to index: a code above 89 gives code - 87, others code - 65.
    // Callers treat a result outside 0..19 as an error.
    static int bankIndex(char letter);
    static bool isBankLetter(char c) { return kBankLetters.find(c) != std::string_view::npos; }
    static char bankLetter(int index) { return kBankLetters.at(static_cast<std::size_t>(index)); }

    // The decimal value of characters 2 and 3 of the bank's info text; 0
    // when the text is too short or not numeric, or the index is out of range.
    int bankSize(int index) const;

    void appendChannel() { currentBank().push_back(scratchChannel); }
    void appendSearchBank() { searchBanks.push_back(scratchSearchBank); }
    void appendSelectScan() { selectScanList.push_back(scratchSelectScan); }
    void appendPassFrequency() { passFrequencies.push_back(scratchPass); }

    // Replaces element n of the current bank in place; the list keeps its
    // length and order. Returns false when n is past the end.
    bool replaceChannel(std::size_t n, const ChannelRecord& record);
    // Removes element n of the current bank; false when n is past the end.
    bool removeChannel(std::size_t n);
    void clearCurrentBank() { currentBank().clear(); }

    GroupRecord& scanGroup(int n) { return scanGroups.at(static_cast<std::size_t>(n)); }
    GroupRecord& searchGroup(int n) { return searchGroups.at(static_cast<std::size_t>(n)); }
    GroupRecord& vfoSearchGroup() { return searchGroups[10]; }
    // The group the level squelch of the present operating state lives in;
    // nullptr while the operating state is not known.
    GroupRecord* levelSquelchGroup();
    const GroupRecord* levelSquelchGroup() const;

    // The level squelch that applies to the present operating state; no
    // value in state 0 or when the group's text is not a number.
    std::optional<int> levelSquelchValue() const;

private:
    int m_currentBankIndex = 0;
};

}  // namespace korvex
