#include "link/Decoders.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex {
namespace {

const std::string E(EMPTY_FIELD);

TEST(ValueTexts, FrequencyAndStepTexts) {
    struct Case {
        std::string_view digits;
        std::string stored;
        std::string shown;
    };
    const Case cases[] = {
        {"0145500000", "0145.500000", "145.500000"},
        {"0000100000", "0000.100000", "0.100000"},
        {"2040000000", "2040.000000", "2040.000000"},
        {"0080200000", "0080.200000", "80.200000"},
        {"0012", "0012", "12"},  // too short for a point
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frequencyWithPoint(c.digits), c.stored) << c.digits;
        EXPECT_EQ(displayFrequency(c.digits), c.shown) << c.digits;
    }
    EXPECT_EQ(stepWithPoint("012500"), "012.500");
    EXPECT_EQ(stepWithPoint("000050"), "000.050");
    EXPECT_EQ(stepWithPoint("12"), "12");
}

TEST(TagHelpers, FieldPositionAndClipping) {
    EXPECT_EQ(findFieldTag("ST012500", "ST"), 0u);
    EXPECT_EQ(findFieldTag("VF RF0145500000 ST012500", "ST"), 16u);
    EXPECT_EQ(findFieldTag("TMFIRST ST000100", "ST"), 8u);  // "FIRST" is not a field
    EXPECT_EQ(findFieldTag("TMFIRST", "ST"), std::string_view::npos);
    EXPECT_EQ(charsAt("AB", 1, 10), "B");
    EXPECT_EQ(charsAt("AB", 2, 10), "");
    EXPECT_EQ(charsAt("AB", 99, 1), "");
    EXPECT_EQ(flagAfterTag("AF", 0), std::nullopt);
    EXPECT_EQ(flagAfterTag("AF1", 0), true);
    EXPECT_EQ(flagAfterTag("AF9", 0), true);
    EXPECT_EQ(flagAfterTag("AF0", 0), false);
    EXPECT_EQ(parseDigits("0145500000"), 145500000);
    EXPECT_EQ(parseDigits("2999999950"), 2999999950LL);  // above 2^31
    EXPECT_EQ(parseDigits(""), std::nullopt);
    EXPECT_EQ(parseDigits("12a"), std::nullopt);
    EXPECT_EQ(parseDigits("-12"), std::nullopt);
}

TEST(MemoryChannel, FullChannelLine) {
    ChannelRecord r;
    ASSERT_TRUE(decodeMemoryChannel("MXA00 MP1 RF0101100000 ST100000 AU0 MD0 AT1 TMname", r));
    const ChannelRecord expected{{"A00", "1", "0101.100000", "100.000", "0", "WFM", "1", "name"}};
    EXPECT_EQ(r, expected);
}

TEST(MemoryChannel, EveryModeDigitGivesItsName) {
    const char* names[] = {"WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};
    for (int d = 0; d <= 8; ++d) {
        ChannelRecord r;
        const std::string line =
            "MXb12 MP0 RF0145500000 ST012500 AU0 MD" + std::to_string(d) + " AT0 TMx";
        ASSERT_TRUE(decodeMemoryChannel(line, r));
        EXPECT_EQ(r[ChannelRecord::kMode], names[d]);
    }
}

TEST(MemoryChannel, EmptySlotAndNoChannel) {
    ChannelRecord r;
    ASSERT_TRUE(decodeMemoryChannel("MXA01 ---", r));
    EXPECT_EQ(r, ChannelRecord::emptySlot("A01"));
    ASSERT_TRUE(decodeMemoryChannel("MXj49", r));  // a channel clear's own report
    EXPECT_EQ(r, ChannelRecord::emptySlot("j49"));

    ChannelRecord untouched = r;
    EXPECT_FALSE(decodeMemoryChannel("VF RF0145500000 ST012500", r));
    EXPECT_FALSE(decodeMemoryChannel("", r));
    EXPECT_EQ(r, untouched);
}

TEST(MemoryChannel, MissingTagsAndTextThatLooksLikeTags) {
    ChannelRecord r;
    // No MP: pass reads "0"; no ST, AU, MD: empty; the name holds " ST" and " RF".
    ASSERT_TRUE(decodeMemoryChannel("MXC05 RF0145500000 AT0 TMOLD ST RF12", r));
    const ChannelRecord expected{{"C05", "0", "0145.500000", E, E, E, "0", "OLD ST RF12"}};
    EXPECT_EQ(r, expected);
    // No TM: the text is empty.
    ASSERT_TRUE(decodeMemoryChannel("MXC05 MP0 RF0145500000 ST012500 AU1 MD1 AT0", r));
    EXPECT_EQ(r[ChannelRecord::kText], E);
    EXPECT_EQ(r[ChannelRecord::kAutoMode], "1");
    // Cut short inside the frequency and after a tag.
    ASSERT_TRUE(decodeMemoryChannel("MXC05 MP0 RF01455", r));
    EXPECT_EQ(r[ChannelRecord::kFrequency], "0145.5");
    ASSERT_TRUE(decodeMemoryChannel("MXC05 RF0145500000 MD", r));
    EXPECT_EQ(r[ChannelRecord::kMode], E);
    ASSERT_TRUE(decodeMemoryChannel("MX", r));
    EXPECT_EQ(r, ChannelRecord::emptySlot(E));
}

TEST(MemoryChannel, MemoryReadReplyCarriesTheChannel) {
    ChannelRecord r;
    ASSERT_TRUE(decodeMemoryChannel("MR MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMTower", r));
    EXPECT_EQ(r[ChannelRecord::kChannel], "A05");
    EXPECT_EQ(r[ChannelRecord::kMode], "NFM");
    EXPECT_EQ(r[ChannelRecord::kText], "Tower");
}

TEST(SearchBank, FullAndEmpty) {
    ChannelRecord r;
    decodeSearchBank("SRA SL0080000000 SU0108000000 ST100000 AU0 MD0 AT0 TTFM broadcast", r);
    const ChannelRecord expected{
        {"A", "0080.000000", "0108.000000", "100.000", "0", "WFM", "0", "FM broadcast"}};
    EXPECT_EQ(r, expected);
    decodeSearchBank("SRb ---", r);
    EXPECT_EQ(r, ChannelRecord::emptySlot("b"));
    decodeSearchBank("S", r);
    EXPECT_EQ(r, ChannelRecord::allEmpty());
}

TEST(SelectScan, EntryAndEndEntry) {
    ChannelRecord r;
    decodeSelectScan("GR03 MXB10 RF0145500000 ST012500 AU0 MD1 AT0 TMRepeater", r);
    const ChannelRecord expected{
        {"03", "B10", "0145.500000", "012.500", "0", "NFM", "0", "Repeater"}};
    EXPECT_EQ(r, expected);
    decodeSelectScan("GR04 ---", r);
    EXPECT_EQ(r, ChannelRecord::emptySlot("04"));
}

TEST(PassFrequency, EntryAndEndEntry) {
    PassFrequencyRecord r;
    decodePassFrequency("PRA00 0145500000", r);
    EXPECT_EQ(r, (PassFrequencyRecord{{"PRA00", "0145.500000"}}));
    decodePassFrequency("PRV07 ---", r);
    EXPECT_EQ(r, (PassFrequencyRecord{{"PRV07", E}}));
    decodePassFrequency("PRA0", r);
    EXPECT_EQ(r, (PassFrequencyRecord{{"PRA0", E}}));
}

TEST(GroupFields, ScanGroupLineAndMissingTags) {
    GroupRecord g;
    decodeGroupFields("GM3 XD2.5 XB 100 XA+050 XP05 XM1", kScanGroupTags, g);
    EXPECT_EQ(g[GroupRecord::kDelay], "25");
    EXPECT_EQ(g[GroupRecord::kLevelSquelch], "100");
    EXPECT_EQ(g[GroupRecord::kVoiceSquelch], "050");
    EXPECT_EQ(g[GroupRecord::kFreePause], "05");
    EXPECT_EQ(g[GroupRecord::kOption], "1");
    decodeGroupFields("GM3 XD2", kScanGroupTags, g);
    EXPECT_EQ(g[GroupRecord::kDelay], "2");
    EXPECT_EQ(g[GroupRecord::kLevelSquelch], E);
    EXPECT_EQ(g[GroupRecord::kOption], E);
}

}  // namespace
}  // namespace korvex
