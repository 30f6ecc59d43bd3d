#pragma once

// The memory and settings of the simulated AR8600, as plain data. The
// simulator's command handlers read and change it; tests may set it up
// directly before feeding commands.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

inline constexpr int kBankCount = 20;
inline constexpr int kSlotsPerPair = 100;
inline constexpr int kSearchBankCount = 40;
inline constexpr int kGroupCount = 10;
inline constexpr int kSelectScanMax = 50;
inline constexpr int kPassPerBankMax = 50;
inline constexpr int kBankTextLength = 8;
inline constexpr int kChannelNameLength = 12;
inline constexpr int kSearchNameLength = 12;
inline constexpr int kOpeningMessageLength = 48;

// Memory bank letters in bank order; a pair is the same letter in both cases.
inline constexpr std::string_view kBankLetters = "ABCDEFGHIJabcdefghij";
// Search bank letters in bank order.
inline constexpr std::string_view kSearchBankLetters = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst";

// Tuning steps in Hz; the wire carries them as six digits ("012500").
inline constexpr std::array<int, 17> kStepsHz = {50,    100,   200,   500,   1000,  2000,
                                                 5000,  6250,  8330,  9000,  10000, 12500,
                                                 20000, 25000, 30000, 50000, 100000};

inline constexpr int64_t kLowestHz = 100'000;
inline constexpr int64_t kHighestHz = 2'040'000'000;
inline constexpr int64_t kHighestMarkTwoHz = 3'000'000'000;

// Receiver mode digits.
enum Mode : int { WFM = 0, NFM = 1, AM = 2, USB = 3, LSB = 4, CW = 5, SFM = 6, WAM = 7, NAM = 8 };

// What the receiver is doing; each has its own "RX" reply.
enum class Operation {
    Vfo,         // plain VFO, "VF"
    VfoA,        // "VA"
    VfoB,        // "VB"
    Search,      // search of one search bank, "SS"
    VfoSearch,   // search between VFO A and VFO B, "VS"
    MemoryRead,  // one channel recalled, "MR"
    MemoryScan,  // "MS"
    SelectScan,  // "SM"
    MemoryVfo,   // VFO tuned away from a scanned channel, "VV"
};

// Frequency and receive settings of a VFO, a channel or a search bank.
struct Tuning {
    int64_t hz = 145'500'000;
    int stepHz = 12500;
    int mode = NFM;
    bool autoMode = false;
    bool attenuator = false;
};

struct Channel {
    bool used = false;
    Tuning tuning;
    bool pass = false;  // skipped by memory scan
    bool writeProtected = false;
    std::string name;
};

struct MemoryBank {
    std::string text;
    bool writeProtected = false;
    std::vector<Channel> channels;  // one element per slot, size = bank size
};

struct SearchBank {
    bool used = false;
    int64_t lowerHz = 0;
    int64_t upperHz = 0;
    Tuning tuning;            // step, mode, auto mode, attenuator (hz unused)
    bool stepOffset = false;  // limits are off the step grid
    std::string name;
};

struct GroupSettings {
    int delayTenths = 20;  // 0..99
    int levelSquelch = 0;  // 0..255, 0 = the rotary squelch decides
    int voiceSquelch = 0;  // 0..255
    int pauseSeconds = 0;  // 0..60, 0 = stay while the signal lasts
    char option = '0';     // mode-scan digit ('F' all modes), auto store, VFO search option
    std::string links;     // one character per bank, '-' = not linked
};

struct PassFrequency {
    char bank = 'V';  // search bank letter, 'V' for the VFO search
    int64_t hz = 0;
};

struct ChannelRef {
    int bank = 0;
    int channel = 0;
    bool operator==(const ChannelRef&) const = default;
};

struct ReceiverState {
    Operation operation = Operation::Vfo;
    std::array<Tuning, 3> vfos;  // plain VFO, VFO A, VFO B
    int activeVfo = 0;           // index into vfos: 0 plain, 1 A, 2 B
    bool afc = false;
    bool noiseLimiter = false;

    std::array<MemoryBank, kBankCount> banks;
    ChannelRef memory;  // the channel recalled, or where a scan stands

    std::array<SearchBank, kSearchBankCount> searchBanks;
    int searchBank = 0;  // the bank searched last

    std::vector<ChannelRef> selectScan;
    int selectPosition = 0;
    std::vector<PassFrequency> passFrequencies;

    std::array<GroupSettings, kGroupCount> scanGroups;
    std::array<GroupSettings, kGroupCount> searchGroups;
    GroupSettings vfoSearch;
    int scanGroup = 0;
    int searchGroup = 0;

    char openingMode = '0';  // 0 standard, 1 none, 2 user message
    std::string openingMessage;
    int beepVolume = 5;  // "VL", 0..9
    int contrast = 16;   // "LB", 0..31
    bool writeProtect = false;

    int levelReports = 0;  // "LC": 0 off, 1 squelch reports, 2 bandscope sweep
    int scopeDelay = 5;    // "PQ", in 10 ms
};

// Bank index 0..19 for a memory bank letter, -1 for anything else.
int bankIndex(char letter);
// Search bank index 0..39, -1 for anything else.
int searchBankIndex(char letter);
// The other bank of a pair: A <-> a.
int partnerBank(int bank);
// True for the upper-case bank of a pair, which holds the pair's first slots.
inline bool isUpperBank(int bank) {
    return bank < kBankCount / 2;
}
bool isValidStep(int hz);
// The channel a reference names, or nullptr when it lies outside its bank.
const Channel* channelAt(const ReceiverState& s, ChannelRef ref);
Channel* channelAt(ReceiverState& s, ChannelRef ref);

// Auto mode: the receiver picks mode and step from its band plan.
void applyBandPlan(Tuning& t);

// The receiver's memory, groups and settings as shipped for the demo.
ReceiverState sampleState();

}  // namespace korvex::sim
