// Time-driven behaviour: memory scan, search, VFO search and the squelch
// reports while "LC1" is on, the bandscope sweep after "LC2", dial keys
// during a scan. Each test places its own carriers, so stops are certain.

#include <gtest/gtest.h>

#include <algorithm>

#include "simulator/Ar8600.h"
#include "tests/simulator/SimTestSupport.h"

namespace korvex::sim {
namespace {

using test::frequencyAfterRf;
using test::lines;

bool isOpenLine(const std::string& l) {
    return l.size() > 20 && l.substr(0, 2) == "LC" && l[2] != '%' &&
           l.find(" RF") != std::string::npos;
}

bool isClosedLine(const std::string& l) {
    return l.substr(0, 3) == "LC%" && l.size() == 9;
}

int levelOf(const std::string& l) {
    return std::stoi(l.substr(l[2] == '%' ? 3 : 2, 3));
}

// The sample memory with only bank B in scan group 0.
ReceiverState bankBOnly() {
    ReceiverState s = sampleState();
    s.scanGroups[0].links = "-B------------------";
    s.scanGroups[0].pauseSeconds = 0;
    s.scanGroups[0].delayTenths = 20;
    return s;
}

TEST(Ar8600Scan, MemoryScanReportsScanningStopAndClose) {
    // B02 (145.6125 MHz) is on for 3 s, then off for 3 s.
    SignalField signals({{145'612'500, 5'000, 100, 3000, 3000, 0}});
    Ar8600 rx({}, bankBOnly(), std::move(signals));
    EXPECT_EQ(rx.feed("LC1\r"), "\r\n");
    auto got = lines(rx.feed("MS\r"));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "");
    EXPECT_TRUE(isClosedLine(got[1])) << got[1];

    got = lines(rx.advance(1000));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(isOpenLine(got[0])) << got[0];
    EXPECT_EQ(frequencyAfterRf(got[0]), "0145612500");
    EXPECT_GT(levelOf(got[0]), 30);
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "MS MXB02");

    got = lines(rx.advance(2100));  // the carrier drops at 3 s
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(isClosedLine(got[0])) << got[0];
    EXPECT_LT(levelOf(got[0]), 30);

    rx.advance(1800);  // still inside the 2 s delay
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "MS MXB02");
    rx.advance(400);
    EXPECT_NE(lines(rx.feed("RX\r"))[0].substr(0, 8), "MS MXB02");
}

TEST(Ar8600Scan, NoLevelLinesWithoutLc1ButTheScanStillStops) {
    SignalField signals({{145'612'500, 5'000, 100}});
    Ar8600 rx({}, bankBOnly(), std::move(signals));
    EXPECT_EQ(rx.feed("MS\r"), "\r\n");
    EXPECT_EQ(rx.advance(2000), "");
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "MS MXB02");
    // Switching the reports on while stopped tells the present state.
    const auto got = lines(rx.feed("LC1\r"));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(isOpenLine(got[1])) << got[1];
}

TEST(Ar8600Scan, FreePauseMovesOnFromASignalThatStays) {
    ReceiverState s = bankBOnly();
    s.scanGroups[0].pauseSeconds = 1;
    SignalField signals({{145'612'500, 5'000, 100}});
    Ar8600 rx({}, std::move(s), std::move(signals));
    rx.feed("LC1\rMS\r");
    auto got = lines(rx.advance(500));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(isOpenLine(got[0]));
    got = lines(rx.advance(700));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(isClosedLine(got[0])) << got[0];
    EXPECT_NE(lines(rx.feed("RX\r"))[0].substr(0, 8), "MS MXB02");
}

TEST(Ar8600Scan, PassFlaggedChannelsAreSkipped) {
    ReceiverState s = bankBOnly();
    s.banks[bankIndex('B')].channels[2].pass = true;
    SignalField signals({{145'612'500, 5'000, 100}});
    Ar8600 rx({}, std::move(s), std::move(signals));
    rx.feed("LC1\rMS\r");
    EXPECT_EQ(rx.advance(3000), "");
}

TEST(Ar8600Scan, MemoryScanWithNothingToScanIsRefused) {
    ReceiverState s = sampleState();
    s.scanGroups[0].links = std::string(kBankCount, '-');
    Ar8600 rx({}, std::move(s));
    EXPECT_EQ(rx.feed("MS\r"), "?\r\n");
    EXPECT_EQ(rx.feed("GD%%\rSM\r"), "\r\n?\r\n");
}

TEST(Ar8600Scan, SearchStopsOnACarrierAndSkipsPassFrequencies) {
    for (const bool passed : {false, true}) {
        ReceiverState s = sampleState();
        s.passFrequencies.clear();
        if (passed) {
            s.passFrequencies.push_back({'B', 145'500'000});
        }
        SignalField signals({{145'500'000, 6'000, 120}});
        Ar8600 rx({}, std::move(s), std::move(signals));
        EXPECT_EQ(lines(rx.feed("LC1\rSSB\r")).size(), 3u);
        const auto got = lines(rx.advance(5000));
        if (passed) {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(frequencyAfterRf(got[0]), "0145500000");
        EXPECT_EQ(lines(rx.feed("RX\r"))[0], "SR SSB RF0145500000 ST012500 AU0 MD1 AT0");
    }
}

TEST(Ar8600Scan, VfoSearchRunsBetweenVfoAAndVfoB) {
    SignalField signals({{145'250'000, 6'000, 90}, {147'000'000, 6'000, 200}});
    Ar8600 rx({}, sampleState(), std::move(signals));
    EXPECT_EQ(rx.feed("VB\rLC1\rVS\r").substr(0, 6), "\r\n\r\n\r\n");
    const auto got = lines(rx.advance(10'000));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(frequencyAfterRf(got[0]), "0145250000");
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 5), "VS VB");
    EXPECT_EQ(rx.feed("PW\rPR\r").substr(0, 20), "\r\nPRV00 0145550000\r\n");
}

TEST(Ar8600Scan, VfoMonitorReportsSquelchChangesWhileLc1IsOn) {
    // The plain VFO's 145.5 MHz: on for 1 s, off for 1 s.
    SignalField signals({{145'500'000, 6'000, 120, 1000, 1000, 0}});
    Ar8600 rx({}, sampleState(), std::move(signals));
    EXPECT_EQ(rx.advance(3000), "");  // reports are off
    rx.feed("LC1\r");
    const auto got = lines(rx.advance(4000));
    ASSERT_EQ(got.size(), 4u);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(i % 2 == 0 ? isOpenLine(got[i]) : isClosedLine(got[i]), true) << got[i];
    }
    EXPECT_EQ(frequencyAfterRf(got[0]), "0145500000");
}

TEST(Ar8600Scan, SweepSendsOneLevelLinePerStepWithPeaksAtCarriers) {
    // Search bank D: 446.0 to 446.2 MHz in 6.25 kHz steps, 33 frequencies.
    SignalField signals({{446'050'000, 7'000, 150}});
    Ar8600 rx({}, sampleState(), std::move(signals));
    rx.feed("LC1\rSSD\r");
    EXPECT_EQ(rx.feed("PQ10\rLC2\r"), "\r\n\r\n");
    const auto got = lines(rx.advance(3300));  // 100 ms per step
    ASSERT_EQ(got.size(), 33u);
    int64_t previous = 0;
    std::string peak;
    int peakLevel = -1;
    for (const std::string& l : got) {
        ASSERT_TRUE(isOpenLine(l)) << l;
        const int64_t hz = std::stoll(frequencyAfterRf(l));
        if (previous != 0) {
            EXPECT_EQ(hz - previous, 6250);
        }
        previous = hz;
        if (levelOf(l) > peakLevel) {
            peakLevel = levelOf(l);
            peak = frequencyAfterRf(l);
        }
    }
    EXPECT_EQ(std::stoll(frequencyAfterRf(got.front())), 446'000'000);
    EXPECT_EQ(peak, "0446050000");
    EXPECT_GT(peakLevel, 100);

    EXPECT_EQ(rx.feed("LC0\r"), "\r\n");
    EXPECT_EQ(rx.advance(1000), "");
}

TEST(Ar8600Scan, SweepIsNeverFasterThanTheLineCarries) {
    for (const int baud : {4800, 9600, 19200}) {
        Ar8600Options options;
        options.baudRate = baud;
        Ar8600 rx(options);
        rx.feed("SSA\rPQ00\rLC2\r");
        const auto got = lines(rx.advance(10'000));
        // A sweep line with its CR LF is at most 23 characters of 11 bits.
        const double capacity = 10.0 * baud / (23 * 11);
        EXPECT_LE(got.size(), capacity) << baud;
        EXPECT_GE(got.size(), 0.9 * capacity) << baud;
    }
}

TEST(Ar8600Scan, DialKeyDuringAMemoryScanLeavesForTheVvVfo) {
    SignalField signals({{145'612'500, 5'000, 100}});
    Ar8600 rx({}, bankBOnly(), std::move(signals));
    rx.feed("MS\r");
    rx.advance(1000);
    EXPECT_EQ(rx.feed("\x1e\r"), "");
    EXPECT_EQ(lines(rx.feed("RX\r"))[0], "VV VA RF0145625000 ST012500 AU0 MD1 AT0");
}

TEST(Ar8600Scan, DialKeyInMemoryReadWalksTheUsedChannels) {
    Ar8600 rx;
    rx.feed("MRA05\r");
    rx.feed("\x1e\r");  // A06 is empty
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "MR MXA07");
    rx.feed("\x1f\r\x1f\r");
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "MR MXA04");
}

TEST(Ar8600Scan, SelectScanVisitsTheListedChannels) {
    ReceiverState s = sampleState();
    s.selectScan = {{bankIndex('b'), 0}, {bankIndex('b'), 1}};
    SignalField signals({{438'800'000, 6'000, 120}});
    Ar8600 rx({}, std::move(s), std::move(signals));
    rx.feed("LC1\r");
    EXPECT_EQ(lines(rx.feed("SM\r")).size(), 2u);
    const auto got = lines(rx.advance(1000));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(frequencyAfterRf(got[0]), "0438800000");
    EXPECT_EQ(lines(rx.feed("RX\r"))[0].substr(0, 8), "SM MXb01");
}

}  // namespace
}  // namespace korvex::sim
