#include "link/FrequencyText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace korvex {
namespace {

struct Case {
    const char* entry;
    FrequencyUnit unit;
    bool mark2;
    const char* expected;  // "" = invalid
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.entry << "\" " << (c.unit == FrequencyUnit::MHz ? "MHz" : "kHz")
        << (c.mark2 ? " mark2" : "");
}

class FrequencyTextCase : public testing::TestWithParam<Case> {};

TEST_P(FrequencyTextCase, GivesExpectedText) {
    const Case& c = GetParam();
    EXPECT_EQ(frequencyText(c.entry, c.unit, c.mark2), c.expected);
}

constexpr auto MHz = FrequencyUnit::MHz;
constexpr auto kHz = FrequencyUnit::kHz;

INSTANTIATE_TEST_SUITE_P(
    Accepted, FrequencyTextCase,
    testing::Values(
        Case{"145", MHz, false, "RF0145000000"}, Case{"145.5", MHz, false, "RF0145500000"},
        Case{"145,5", MHz, false, "RF0145500000"}, Case{" 145.5 ", MHz, false, "RF0145500000"},
        Case{"   145.5", MHz, false, "RF0145500000"}, Case{"145.50001", MHz, false, "RF0145500000"},
        Case{"145.500050", MHz, false, "RF0145500050"},
        Case{"145.500051", MHz, false, "RF0145500050"},
        Case{"145.500020", MHz, false, "RF0145500000"},
        Case{"145.500090", MHz, false, "RF0145500000"}, Case{"145.", MHz, false, "RF0145000000"},
        Case{".5", MHz, false, "RF0000500000"}, Case{"0.1", MHz, false, "RF0000100000"},
        Case{"2040", MHz, false, "RF2040000000"}, Case{"2040.000000", MHz, false, "RF2040000000"},
        Case{"2039.99995", MHz, false, "RF2039999950"}, Case{"3000", MHz, true, "RF3000000000"},
        Case{"2500.125", MHz, true, "RF2500125000"}, Case{"9", MHz, false, "RF0009000000"},
        Case{"145500", kHz, false, "RF0145500000"}, Case{"145500.5", kHz, false, "RF0145500500"},
        Case{"145500,125", kHz, false, "RF0145500100"}, Case{"100", kHz, false, "RF0000100000"},
        Case{"2040000", kHz, false, "RF2040000000"}, Case{"0145500", kHz, false, "RF0145500000"}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, FrequencyTextCase,
    testing::Values(
        Case{"", MHz, false, ""}, Case{"   ", MHz, false, ""}, Case{"0.09995", MHz, false, ""},
        Case{"0.099", MHz, false, ""}, Case{"0.099999", MHz, false, ""}, Case{"0", MHz, false, ""},
        Case{".", MHz, false, ""}, Case{"2040.00005", MHz, false, ""}, Case{"2041", MHz, false, ""},
        Case{"2500", MHz, false, ""}, Case{"3000.1", MHz, true, ""}, Case{"3001", MHz, true, ""},
        Case{"145.1234567", MHz, false, ""}, Case{"145.5.1", MHz, false, ""},
        Case{"1,5.0", MHz, false, ""}, Case{"12345.0", MHz, false, ""},
        Case{"12345", MHz, false, ""}, Case{"14a", MHz, false, ""}, Case{"145 .5", MHz, false, ""},
        Case{"-145", MHz, false, ""}, Case{"145\r", MHz, false, ""}, Case{"99", kHz, false, ""},
        Case{"145500.1234", kHz, false, ""}, Case{"12345678", kHz, false, ""},
        Case{"2040000.05", kHz, false, ""}));

// Every frequency on the 50 Hz grid, written as a user would (fraction with
// trailing zeros trimmed), comes back as the same number of Hz.
std::int64_t hzOf(const std::string& rf) {
    return std::stoll(rf.substr(2, 4)) * 1000000 + std::stoll(rf.substr(6, 6));
}

std::string entryFor(std::int64_t hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%06lld", static_cast<long long>(hz / 1000000),
                  static_cast<long long>(hz % 1000000));
    std::string s(buf);
    while (s.back() == '0') {
        s.pop_back();
    }
    return s;
}

void expectRoundTrip(std::int64_t hz, bool mark2) {
    const std::string rf = frequencyText(entryFor(hz), FrequencyUnit::MHz, mark2);
    ASSERT_EQ(rf.size(), 12u) << entryFor(hz);
    EXPECT_EQ(hzOf(rf), hz) << entryFor(hz);
}

TEST(FrequencyTextGrid, EveryGridPointOfTheFirstMegahertzReadsBack) {
    for (std::int64_t hz = 100000; hz <= 1100000; hz += 50) {
        expectRoundTrip(hz, false);
    }
}

TEST(FrequencyTextGrid, SampledGridPointsUpToTheMark2LimitReadBack) {
    // A stride that is a multiple of 50 Hz but not of any round figure visits
    // every fraction pattern across the range.
    for (std::int64_t hz = 100000; hz <= 3000000000LL; hz += 50LL * 797) {
        expectRoundTrip(hz, true);
    }
    expectRoundTrip(2040000000LL, false);
    expectRoundTrip(3000000000LL, true);
}

TEST(FrequencyTextGrid, OffGridEntriesKeepOnlyATensDigitOfZeroOrFive) {
    for (std::int64_t hz = 145000000; hz < 145001000; ++hz) {
        const std::string rf = frequencyText(entryFor(hz), FrequencyUnit::MHz, false);
        ASSERT_EQ(rf.size(), 12u);
        const std::int64_t expected = hz / 100 * 100 + ((hz / 10) % 10 == 5 ? 50 : 0);
        EXPECT_EQ(hzOf(rf), expected) << entryFor(hz);
    }
}

}  // namespace
}  // namespace korvex
