// The band a scenario describes: the script format, scripted transmissions
// as the program's log sees them (one "open" and one "closed" report each, a
// scan that stays while the signal lasts), and the seeded built-in band.
// Time moves only by advance(), in explicit milliseconds.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "simulator/Ar8600.h"
#include "tests/simulator/SimTestSupport.h"
#include "tests/support/TempDir.h"

namespace korvex::sim {
namespace {

using test::frequencyAfterRf;
using test::lines;

struct Report {
    int64_t ms = 0;  // the end of the advance that produced it
    std::string line;
    bool open() const { return line.size() > 2 && line[2] != '%'; }
};

// Lets time run to `untilMs` in steps of `stepMs`, keeping every level line.
std::vector<Report> runUntil(Ar8600& rx, int64_t untilMs, int stepMs = 10) {
    std::vector<Report> out;
    while (rx.now() < untilMs) {
        for (std::string& l : lines(rx.advance(stepMs))) {
            out.push_back({rx.now(), std::move(l)});
        }
    }
    return out;
}

std::string channelOfRx(Ar8600& rx) {
    return lines(rx.feed("RX\r")).at(0).substr(0, 8);
}

Scenario script(std::vector<Transmission> transmissions) {
    Scenario s;
    s.transmissions = std::move(transmissions);
    return s;
}

TEST(ScenarioScript, ReadsTransmissionsCommentsAndBlankLines) {
    const auto s = parseScenario(
        "# start_ms frequency_hz level duration_ms\n"
        "\n"
        "5000\t145612500  120 6000   # the repeater\r\n"
        "   \n"
        "1000 118100000 0 1\n"
        "2000 446006250 255 30000",
        nullptr);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->transmissions, (std::vector<Transmission>{{1000, 118'100'000, 0, 1},
                                                           {2000, 446'006'250, 255, 30'000},
                                                           {5000, 145'612'500, 120, 6000}}));
    EXPECT_TRUE(s->carriers.empty());
    EXPECT_EQ(s->repeatMs, 0);

    const auto empty = parseScenario("# nothing on the band\n", nullptr);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->transmissions.empty());
}

TEST(ScenarioScript, RefusesBadLinesNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"1000 145500000 120\n",
         "line 1: expected 4 numbers (start_ms frequency_hz level "
         "duration_ms), found 3"},
        {"# ok\n1 145500000 1 1 1\n",
         "line 2: expected 4 numbers (start_ms frequency_hz level "
         "duration_ms), found 5"},
        {"0 145500000 1 1\n\n-5 145500000 120 1000\n",
         "line 3: start_ms \"-5\" is not a whole "
         "number"},
        {"0 145.5 120 1000", "line 1: frequency_hz \"145.5\" is not a whole number"},
        {"0 145500000 12O 1000", "line 1: level \"12O\" is not a whole number"},
        {"0 145500000 256 1000", "line 1: level 256 is outside 0..255"},
        {"0 99999 120 1000", "line 1: frequency_hz 99999 is outside 100000..3000000000"},
        {"0 3000000001 120 1000", "line 1: frequency_hz 3000000001 is outside 100000..3000000000"},
        {"0 145500000 120 0", "line 1: duration_ms must be at least 1"},
        {"9999999999999999 145500000 120 1", "line 1: start_ms 9999999999999999 is too large"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseScenario(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(ScenarioScript, ReadsCarriersSteadyAndKeyed) {
    const auto s = parseScenario(
        "carrier 145100000 6000 150   # a steady one\n"
        "carrier 145200000 6000 90 1000 2000\n"
        "carrier 145300000 6000 90 1000 2000 500\n"
        "0 145400000 80 1000\n",
        nullptr);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->carriers, (std::vector<Carrier>{{145'100'000, 6'000, 150, 0, 0, 0},
                                                 {145'200'000, 6'000, 90, 1000, 2000, 0},
                                                 {145'300'000, 6'000, 90, 1000, 2000, 500}}));
    EXPECT_EQ(s->transmissions.size(), 1u);
    const SignalField band(*s);
    EXPECT_EQ(band.level(145'100'000, 0), 150);
    EXPECT_EQ(band.level(145'100'000, 99'000), 150);
    EXPECT_EQ(band.level(145'200'000, 500), 90);
    EXPECT_LT(band.level(145'200'000, 1500), 30) << "keyed off";
    EXPECT_LT(band.level(145'300'000, 600), 30) << "its rhythm starts later";

    for (const char* bad :
         {"carrier 145100000 6000\n", "carrier 145100000 0 150\n", "carrier 145100000 6000 256\n",
          "carrier 50 6000 100\n", "carrier 145100000 6000 100 1000\n",
          "carrier 145100000 6000 100 999999999 1\n", "carrier 145100000 6000 x\n"}) {
        std::string error;
        EXPECT_FALSE(parseScenario(std::string("# first\n") + bad, &error)) << bad;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    }
}

TEST(ScenarioScript, ReadsAFileAndNamesItInErrors) {
    const korvex::test::TempDir folder;
    const std::string path = folder.file("band.txt").string();
    korvex::test::writeBytes(path, "1000 145500000 80 2000\n");
    std::string error;
    const auto s = readScenarioFile(path, &error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->transmissions.size(), 1u);
    korvex::test::writeBytes(path, "1000 145500000 80 2000\nnonsense\n");
    EXPECT_FALSE(readScenarioFile(path, &error));
    EXPECT_EQ(error, path +
                         ": line 2: expected 4 numbers (start_ms frequency_hz level "
                         "duration_ms), found 1");
    std::remove(path.c_str());
    EXPECT_FALSE(readScenarioFile(path, &error));
    EXPECT_EQ(error, path + ": No such file or directory");
    EXPECT_FALSE(readScenarioFile(folder.path(), &error));
    EXPECT_EQ(error, folder.path() + ": Is a directory");
}

TEST(ScriptedScenario, OneTransmissionGivesOneOpenAndOneCloseThenTheScanResumes) {
    // B02 of the sample memory, from 3 s to 9 s.
    Ar8600 rx({}, sampleState(), SignalField(script({{3000, 145'612'500, 120, 6000}})));
    EXPECT_EQ(rx.feed("LC1\r"), "\r\n");
    const auto started = lines(rx.feed("MS\r"));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].substr(0, 3), "LC%");

    const auto reports = runUntil(rx, 8990);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].line, "LC120 VA RF0145612500");
    EXPECT_GE(reports[0].ms, 3000);
    EXPECT_EQ(channelOfRx(rx), "MS MXB02");
    // Telling the program the same again would restart its entry count.
    EXPECT_EQ(rx.feed("LC1\r"), "\r\n");

    const auto closing = runUntil(rx, 9100);
    ASSERT_EQ(closing.size(), 1u);
    EXPECT_EQ(closing[0].line.substr(0, 3), "LC%");
    EXPECT_EQ(closing[0].line.substr(6), " VA");
    EXPECT_GE(closing[0].ms, 9000);
    // The scan holds the channel through the closing delay, then goes on,
    // without another report.
    EXPECT_TRUE(runUntil(rx, closing[0].ms + 1900).empty());
    EXPECT_EQ(channelOfRx(rx), "MS MXB02");
    runUntil(rx, closing[0].ms + 2200);
    const std::string resumed = channelOfRx(rx);
    EXPECT_EQ(resumed.substr(0, 5), "MS MX");
    EXPECT_NE(resumed, "MS MXB02");
    EXPECT_TRUE(runUntil(rx, 30'000).empty());
    EXPECT_NE(channelOfRx(rx), resumed);
}

TEST(ScriptedScenario, TwoTransmissionsOnTwoChannelsGiveTwoPairs) {
    // The second starts while the scan holds the first; the scan meets it
    // once the first has ended and the closing delay has passed.
    Ar8600 rx({}, sampleState(),
              SignalField(script({{1000, 118'100'000, 90, 4000}, {3000, 446'006'250, 150, 8000}})));
    rx.feed("LC1\rMS\r");
    const auto reports = runUntil(rx, 20'000);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0].line, "LC090 VA RF0118100000");
    EXPECT_FALSE(reports[1].open());
    EXPECT_GE(reports[1].ms, 5000);
    EXPECT_EQ(reports[2].line, "LC150 VA RF0446006250");
    EXPECT_GE(reports[2].ms, reports[1].ms + 2000);
    EXPECT_FALSE(reports[3].open());
    EXPECT_GE(reports[3].ms, 11'000);
    EXPECT_LE(reports[3].ms, 11'100);
}

// Held transmissions are silent until started; their times then count from
// that moment, as the simulator's --scenario-from does at the chosen command.
TEST(ScriptedScenario, HeldTransmissionsCountFromTheirStart) {
    SignalField field(script({{1000, 145'612'500, 120, 2000}}));
    field.holdTransmissions();
    Ar8600 rx({}, sampleState(), field);
    rx.feed("LC1\rMS\r");
    EXPECT_TRUE(runUntil(rx, 5000).empty()) << "silent while held";
    rx.startTransmissions();
    const auto reports = runUntil(rx, 9000);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].line, "LC120 VA RF0145612500");
    EXPECT_GE(reports[0].ms, 6000);
    EXPECT_FALSE(reports[1].open());
    EXPECT_GE(reports[1].ms, 8000);
    EXPECT_LE(reports[1].ms, 8100);
}

TEST(ScriptedScenario, LevelReportsRestartOnlyAfterTheyWereOff) {
    Ar8600 rx({}, sampleState(), SignalField(script({{0, 145'500'000, 200, 60'000}})));
    rx.feed("LC1\rMS\r");
    EXPECT_EQ(runUntil(rx, 5000).size(), 1u);
    // The program starts a scan again: "LC1" and "MS" while the squelch is
    // open give one "closed" line; again while quiet, none.
    auto got = lines(rx.feed("LC1\rMS\r"));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].substr(0, 3), "LC%");
    runUntil(rx, 5040);  // not yet back on B00
    EXPECT_EQ(rx.feed("LC1\rMS\r"), "\r\n\r\n");
    // Switched off and on, the reports tell the present state afresh.
    EXPECT_EQ(runUntil(rx, 10'000).size(), 1u);
    got = lines(rx.feed("LC0\rLC1\r"));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2], "LC200 VA RF0145500000");
}

// The frequencies of the channels a memory scan of the current group visits.
std::set<int64_t> scannedFrequencies(const Ar8600& rx) {
    std::set<int64_t> out;
    const ReceiverState& s = rx.state();
    for (int bank = 0; bank < kBankCount; ++bank) {
        for (int ch = 0; ch < static_cast<int>(s.banks[bank].channels.size()); ++ch) {
            if (rx.engine().scannable({bank, ch})) {
                out.insert(s.banks[bank].channels[ch].tuning.hz);
            }
        }
    }
    return out;
}

TEST(DefaultScenario, OneSeedGivesOneBandOfShortTransmissions) {
    const Scenario a = defaultScenario(7);
    EXPECT_EQ(a, defaultScenario(7));
    EXPECT_NE(a.transmissions, defaultScenario(8).transmissions);
    EXPECT_EQ(a.repeatMs, 3'600'000);
    EXPECT_GT(a.transmissions.size(), 200u);
    for (const Transmission& t : a.transmissions) {
        EXPECT_GE(t.durationMs, 3000);
        EXPECT_LE(t.durationMs, 30'000);
        EXPECT_GE(t.level, 45);
        EXPECT_LT(t.startMs, a.repeatMs);
    }
    // No steady carrier holds a memory scan of the sample groups.
    Ar8600 rx;
    for (const int64_t hz : scannedFrequencies(rx)) {
        for (const Carrier& c : a.carriers) {
            EXPECT_GE(std::abs(hz - c.hz), c.halfWidthHz) << hz;
        }
    }
}

TEST(DefaultScenario, TheTwoMetreBandHasWeakBeaconsAndSignalsThatComeAndGo) {
    const SignalField band(defaultScenario());
    int burstOn = 0;
    int burstOff = 0;
    for (int64_t ms = 0; ms < 60'000; ms += 250) {
        // The grass and the beacons stay under the squelch, so a VFO search
        // between the sample VFOs is never held by them.
        const int grass = band.level(144'150'000, ms);
        EXPECT_GE(grass, 3);
        EXPECT_LT(grass, 13);
        EXPECT_GT(band.level(144'300'000, ms), 13);
        EXPECT_LT(band.level(144'300'000, ms), 30);
        (band.level(144'837'500, ms) > 100 ? burstOn : burstOff)++;
    }
    EXPECT_GT(burstOn, 0);
    EXPECT_GT(burstOff, burstOn);
}

TEST(DefaultScenario, AMemoryScanMeetsATransmissionWithinAMinute) {
    for (const uint32_t seed : {1u, 2u, 3u, 99u, 12345u}) {
        // At the start, somewhere in the hour, and across its end.
        for (const int64_t from : {0, 1'234'567, 3'590'000}) {
            Ar8600 rx({}, sampleState(), SignalField(defaultScenario(seed)));
            const std::set<int64_t> scanned = scannedFrequencies(rx);
            rx.advance(from);
            rx.feed("LC1\rMS\r");
            bool met = false;
            for (const Report& r : runUntil(rx, from + 60'000, 50)) {
                met = met || (r.open() && scanned.count(std::stoll(frequencyAfterRf(r.line))));
            }
            EXPECT_TRUE(met) << "seed " << seed << " from " << from;
        }
    }
}

TEST(DefaultScenario, EachTransmissionTheScanMeetsIsReportedOpenOnceUntilItEnds) {
    const Scenario band = defaultScenario(5);
    Ar8600 rx({}, sampleState(), SignalField(band));
    rx.feed("LC1\rMS\r");
    const auto reports = runUntil(rx, 15 * 60'000, 50);
    ASSERT_GE(reports.size(), 10u);
    for (size_t i = 0; i + 1 < reports.size(); i += 2) {
        const Report& open = reports[i];
        const Report& closed = reports[i + 1];
        ASSERT_TRUE(open.open()) << open.ms << " " << open.line;
        ASSERT_FALSE(closed.open()) << closed.ms << " " << closed.line;
        // The transmission the scan stopped on ends when the squelch closes.
        const int64_t hz = std::stoll(frequencyAfterRf(open.line));
        // (One that began late in the hour before the first goes on into it.)
        int64_t endMs = -1;
        for (const int64_t shift : {int64_t{0}, -band.repeatMs}) {
            for (const Transmission& t : band.transmissions) {
                if (t.hz == hz && t.startMs + shift < open.ms && open.ms - 50 < t.endMs() + shift) {
                    endMs = t.endMs() + shift;
                }
            }
        }
        ASSERT_GE(endMs, 0) << open.ms << " " << open.line;
        EXPECT_GE(closed.ms, endMs) << open.line;
        EXPECT_LE(closed.ms, endMs + 150) << open.line;
    }
}

}  // namespace
}  // namespace korvex::sim
