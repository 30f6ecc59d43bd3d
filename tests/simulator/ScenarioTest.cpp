// The band a scenario describes: the script format and the seeded built-in
// band.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "simulator/Ar8600.h"
#include "tests/settings/TempFolder.h"

namespace korvex::sim {
namespace {

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

TEST(ScenarioScript, ReadsAFileAndNamesItInErrors) {
    const korvex::test::TempFolder folder;
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
    EXPECT_FALSE(readScenarioFile(folder.path().string(), &error));
    EXPECT_EQ(error, folder.path().string() + ": Is a directory");
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

}  // namespace
}  // namespace korvex::sim
