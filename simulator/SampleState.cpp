#include <algorithm>

#include "simulator/ReceiverState.h"

namespace korvex::sim {

int bankIndex(char letter) {
    const auto pos = kBankLetters.find(letter);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

int searchBankIndex(char letter) {
    const auto pos = kSearchBankLetters.find(letter);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

int partnerBank(int bank) {
    return isUpperBank(bank) ? bank + kBankCount / 2 : bank - kBankCount / 2;
}

bool isValidStep(int hz) {
    return std::find(kStepsHz.begin(), kStepsHz.end(), hz) != kStepsHz.end();
}

const Channel* channelAt(const ReceiverState& s, ChannelRef ref) {
    if (ref.bank < 0 || ref.bank >= kBankCount || ref.channel < 0 ||
        ref.channel >= static_cast<int>(s.banks[ref.bank].channels.size())) {
        return nullptr;
    }
    return &s.banks[ref.bank].channels[ref.channel];
}

Channel* channelAt(ReceiverState& s, ChannelRef ref) {
    return const_cast<Channel*>(channelAt(static_cast<const ReceiverState&>(s), ref));
}

namespace {

struct BandPlanEntry {
    int64_t upToHz;
    int mode;
    int stepHz;
};

constexpr BandPlanEntry kBandPlan[] = {
    {30'000'000, AM, 5000},    {87'500'000, NFM, 12500},        {108'000'000, WFM, 100000},
    {137'000'000, AM, 25000},  {174'000'000, NFM, 12500},       {470'000'000, NFM, 12500},
    {960'000'000, NFM, 25000}, {kHighestMarkTwoHz, NFM, 12500},
};

}  // namespace

void applyBandPlan(Tuning& t) {
    for (const auto& e : kBandPlan) {
        if (t.hz <= e.upToHz) {
            t.mode = e.mode;
            t.stepHz = e.stepHz;
            return;
        }
    }
}

namespace {

struct SampleChannel {
    char bank;
    int channel;
    double mhz;
    int mode;
    int stepHz;
    const char* name;
    bool pass = false;
    bool autoMode = false;
    bool attenuator = false;
};

struct SampleBank {
    char letter;
    int size;  // the upper-case bank's size; its partner gets the rest of the pair
    const char* text;
};

// Sizes of the upper-case banks and the bank texts.
constexpr SampleBank kSampleBanks[] = {
    {'A', 50, "FM Bcast"}, {'a', 0, "Airband"}, {'B', 50, "2m Ham"},   {'b', 0, "70cm Ham"},
    {'C', 60, "PMR446"},   {'c', 0, "Marine"},  {'D', 50, "Railway"},  {'d', 0, "Taxi"},
    {'E', 40, "CB"},       {'e', 0, "Utility"}, {'F', 50, "Weather"},  {'f', 0, "Civil"},
    {'G', 70, "Events"},   {'g', 0, "Misc"},    {'H', 50, "Satellit"}, {'h', 0, ""},
    {'I', 50, ""},         {'i', 0, ""},        {'J', 90, "Scratch"},  {'j', 0, "Spare"},
};

const SampleChannel kSampleChannels[] = {
    {'A', 0, 101.1, WFM, 100000, "name"},
    {'A', 1, 88.6, WFM, 100000, "Radio 88"},
    {'A', 2, 91.3, WFM, 100000, "Classic"},
    {'A', 3, 94.3, WFM, 100000, "News 94", true},
    {'A', 4, 97.7, WFM, 100000, "Pop 97.7"},
    {'A', 5, 104.8, WFM, 100000, "Jazz"},
    {'A', 7, 107.5, WFM, 100000, "Local FM", false, true},
    {'a', 0, 118.1, AM, 25000, "Tower"},
    {'a', 1, 118.475, AM, 25000, "ATIS", true},
    {'a', 2, 119.25, AM, 25000, "Approach"},
    {'a', 3, 121.5, AM, 25000, "Guard"},
    {'a', 4, 121.8, AM, 25000, "Ground"},
    {'a', 5, 122.8, AM, 25000, "Unicom"},
    {'a', 6, 123.45, AM, 25000, "Air-Air"},
    {'a', 8, 127.125, AM, 8330, "Volmet"},
    {'a', 9, 132.525, AM, 8330, "Control"},
    {'B', 0, 145.5, NFM, 12500, "Calling"},
    {'B', 1, 144.8, NFM, 12500, "APRS"},
    {'B', 2, 145.6125, NFM, 12500, "Rptr R1"},
    {'B', 3, 145.65, NFM, 12500, "Rptr R4"},
    {'B', 4, 145.7, NFM, 12500, "Rptr R6"},
    {'B', 10, 145.2, NFM, 12500, "Simplex S8"},
    {'b', 0, 433.5, NFM, 12500, "Calling"},
    {'b', 1, 438.8, NFM, 12500, "Rptr DMR"},
    {'b', 2, 430.0375, NFM, 12500, "Rptr RB01"},
    {'C', 0, 446.00625, NFM, 6250, "PMR 1"},
    {'C', 1, 446.01875, NFM, 6250, "PMR 2"},
    {'C', 2, 446.03125, NFM, 6250, "PMR 3"},
    {'C', 3, 446.04375, NFM, 6250, "PMR 4"},
    {'C', 4, 446.05625, NFM, 6250, "PMR 5"},
    {'C', 5, 446.06875, NFM, 6250, "PMR 6"},
    {'C', 6, 446.08125, NFM, 6250, "PMR 7"},
    {'C', 7, 446.09375, NFM, 6250, "PMR 8"},
    {'c', 0, 156.8, NFM, 25000, "Ch16"},
    {'c', 1, 156.3, NFM, 25000, "Ch06"},
    {'c', 2, 156.65, NFM, 25000, "Ch13 Bridge"},
    {'c', 3, 157.425, NFM, 25000, "Ch88"},
    {'c', 4, 156.525, NFM, 25000, "Ch70 DSC", true},
    {'D', 0, 457.9375, NFM, 12500, "Shunting 1"},
    {'D', 1, 457.95, NFM, 12500, "Shunting 2"},
    {'D', 2, 460.4, NFM, 12500, "Station"},
    {'d', 0, 168.5, NFM, 12500, "Taxi Main"},
    {'d', 1, 168.725, NFM, 12500, "Taxi 2"},
    {'E', 0, 26.965, AM, 10000, "CB 1"},
    {'E', 1, 27.065, AM, 10000, "CB 9"},
    {'E', 2, 27.185, AM, 10000, "CB 19"},
    {'E', 3, 27.555, USB, 5000, "CB DX", false, false, true},
    {'e', 0, 433.92, NFM, 25000, "ISM 433"},
    {'e', 1, 868.3, NFM, 25000, "ISM 868"},
    {'e', 2, 1090.0, AM, 100000, "ADS-B"},
    {'e', 3, 7.1, LSB, 1000, "40m SSB", false, false, true},
    {'e', 4, 14.2, USB, 1000, "20m SSB"},
    {'e', 5, 3.5605, CW, 50, "80m CW"},
    {'F', 0, 137.1, WFM, 10000, "NOAA 19"},
    {'F', 1, 137.9125, WFM, 10000, "NOAA 18"},
    {'F', 2, 162.55, NFM, 25000, "WX1"},
    {'F', 3, 162.4, NFM, 25000, "WX2"},
    {'f', 0, 169.65, NFM, 12500, "Paging"},
    {'G', 0, 173.225, NFM, 12500, "Stewards"},
    {'G', 1, 455.4875, NFM, 12500, "Security"},
    {'H', 0, 145.8, NFM, 5000, "ISS"},
    {'H', 1, 435.35, NFM, 5000, "SO-50"},
    {'J', 0, 75.5, AM, 5000, "Scratch"},
};

struct SampleSearchBank {
    char letter;
    double lowerMhz;
    double upperMhz;
    int stepHz;
    int mode;
    const char* name;
    bool autoMode = false;
};

const SampleSearchBank kSampleSearchBanks[] = {
    {'A', 118.0, 137.0, 25000, AM, "AIR BAND"},
    {'B', 144.0, 146.0, 12500, NFM, "2M HAM"},
    {'C', 430.0, 440.0, 12500, NFM, "70CM HAM"},
    {'D', 446.0, 446.2, 6250, NFM, "PMR446"},
    {'E', 156.0, 162.025, 25000, NFM, "MARINE"},
    {'F', 87.5, 108.0, 100000, WFM, "FM BCAST"},
    {'G', 26.965, 27.405, 10000, AM, "CB"},
    {'H', 162.4, 162.55, 25000, NFM, "WEATHER"},
    {'a', 430.0, 440.0, 25000, NFM, "UHF WIDE", true},
};

Tuning tuningOf(double mhz, int mode, int stepHz, bool autoMode = false, bool att = false) {
    Tuning t;
    t.hz = static_cast<int64_t>(mhz * 1e6 + 0.5);
    t.mode = mode;
    t.stepHz = stepHz;
    t.autoMode = autoMode;
    t.attenuator = att;
    return t;
}

GroupSettings group(int delay, int level, int pause, char option, std::string links) {
    GroupSettings g;
    g.delayTenths = delay;
    g.levelSquelch = level;
    g.pauseSeconds = pause;
    g.option = option;
    g.links = std::move(links);
    return g;
}

}  // namespace

ReceiverState sampleState() {
    ReceiverState s;
    s.vfos[0] = tuningOf(145.5, NFM, 12500);
    s.vfos[1] = tuningOf(144.0, NFM, 12500);
    s.vfos[2] = tuningOf(146.0, NFM, 12500);

    for (const auto& b : kSampleBanks) {
        const int index = bankIndex(b.letter);
        s.banks[index].text = b.text;
        if (isUpperBank(index)) {
            s.banks[index].channels.resize(b.size);
            s.banks[partnerBank(index)].channels.resize(kSlotsPerPair - b.size);
        }
    }
    for (const auto& c : kSampleChannels) {
        Channel& ch = s.banks[bankIndex(c.bank)].channels.at(c.channel);
        ch.used = true;
        ch.tuning = tuningOf(c.mhz, c.mode, c.stepHz, c.autoMode, c.attenuator);
        ch.pass = c.pass;
        ch.name = c.name;
    }
    s.memory = {0, 0};

    for (const auto& b : kSampleSearchBanks) {
        SearchBank& bank = s.searchBanks[searchBankIndex(b.letter)];
        bank.used = true;
        bank.lowerHz = static_cast<int64_t>(b.lowerMhz * 1e6 + 0.5);
        bank.upperHz = static_cast<int64_t>(b.upperMhz * 1e6 + 0.5);
        bank.tuning = tuningOf(0, b.mode, b.stepHz, b.autoMode);
        bank.stepOffset = bank.lowerHz % b.stepHz != 0;
        bank.name = b.name;
    }

    s.selectScan = {
        {bankIndex('A'), 0}, {bankIndex('a'), 0}, {bankIndex('B'), 0}, {bankIndex('c'), 0}};
    s.passFrequencies = {
        {'A', 118'700'000}, {'A', 121'500'000}, {'B', 145'800'000}, {'V', 145'550'000}};

    const std::string allBanks(kBankLetters);
    // Group 0, selected at power on, stays on a signal while it lasts.
    s.scanGroups[0] = group(20, 0, 0, 'F', allBanks);
    s.scanGroups[1] = group(20, 0, 0, 'F', "A---------a---------");
    s.scanGroups[2] = group(30, 40, 10, '1', "-BC-------------g---");
    s.scanGroups[3] = group(10, 0, 0, '2', "----E-----a---e-----");
    for (int g = 4; g < kGroupCount; ++g) {
        s.scanGroups[g] = group(20, 0, 0, 'F', std::string(kBankCount, '-'));
    }
    const std::string allSearch(kSearchBankLetters);
    s.searchGroups[0] = group(20, 0, 5, '0', allSearch);
    s.searchGroups[1] = group(20, 0, 0, '0', "AB--------------------------------------");
    s.searchGroups[2] = group(30, 50, 10, '1', "--CD----------------a-------------------");
    for (int g = 3; g < kGroupCount; ++g) {
        s.searchGroups[g] = group(20, 0, 0, '0', std::string(kSearchBankCount, '-'));
    }
    s.vfoSearch = group(20, 0, 0, '0', std::string(kSearchBankCount, '-'));

    s.openingMode = '2';
    s.openingMessage = "KORVEX DEMO AR8600 SIMULATOR";
    s.openingMessage.resize(kOpeningMessageLength, ' ');
    return s;
}

}  // namespace korvex::sim
