#include <string>

#include "tests/parser/ParserFixture.h"

namespace korvex::test {
namespace {

using RxReply = ParserFixture;

const std::string kDash = CReceiver::kNoFrequency;
constexpr std::string_view kBusy = "+++++++++++ ";

TEST_F(RxReply, EveryOperatingModeWithItsDisplayTexts) {
    struct Case {
        std::string_view line;
        int state;
        std::string vfo, vfoA, vfoB;
    };
    const std::string tail = " ST012500 AU0 MD1 AT0";
    const Case cases[] = {
        {"VF RF0145500000", kStateVfo, "145.500000", kDash, kDash},
        {"VA RF0000100000", kStateVfoA, kDash, "0.100000", kDash},
        {"VB RF2040000000", kStateVfoB, kDash, kDash, "2040.000000"},
        {"VV VA RF0433920000", kStateVvA, kDash, "433.920000", kDash},
        {"VV VB RF0027125000", kStateVvB, kDash, kDash, "27.125000"},
        {"VS VA RF0145500000", kStateVfoSearchA, std::string(kBusy), std::string(kBusy),
         "VFO Search A"},
        {"VS VB RF0145500000", kStateVfoSearchB, std::string(kBusy), std::string(kBusy),
         "VFO Search B"},
        {"SR SA RF0145500000", kStateSearch, std::string(kBusy), std::string(kBusy),
         "Search Mode "},
        {"MS MXA05 MP0 RF0145500000", kStateMemoryScan, std::string(kBusy), std::string(kBusy),
         "Scan Mode  "},
        {"SM MXA05 MP0 RF0145500000", kStateSelectScan, std::string(kBusy), std::string(kBusy),
         "Select Scan "},
        {"MR MXb07 MP0 RF0145500000", kStateMemoryRead, kDash, "- b07 -  ", kDash},
    };
    for (const Case& c : cases) {
        CReceiver fresh;
        PollFields freshPoll;
        FakeLinkHost freshHost;
        ResponseParser p(fresh, freshPoll, freshHost);
        fresh.sentCommand = "RX\r";
        p.receive(std::string(c.line) + tail + "\r\n");
        EXPECT_EQ(fresh.operatingState, c.state) << c.line;
        EXPECT_EQ(fresh.vfoFrequency, c.vfo) << c.line;
        EXPECT_EQ(fresh.vfoAFrequency, c.vfoA) << c.line;
        EXPECT_EQ(fresh.vfoBFrequency, c.vfoB) << c.line;
        EXPECT_EQ(fresh.stepText, "012500") << c.line;
        EXPECT_EQ(fresh.mode, 1) << c.line;
        EXPECT_EQ(fresh.linkState, LinkState::Data) << c.line;
    }
}

TEST_F(RxReply, FrequencyValuesAboveTheSigned32BitRange) {
    exchange("RX\r", "VB RF2999999950 ST012500 AU0 MD1 AT0");
    EXPECT_EQ(rx.vfoBValue, 2999999950LL);
    EXPECT_EQ(rx.vfoBFrequency, "2999.999950");
}

TEST_F(RxReply, LeavingAScanResetsBothDisplays) {
    exchange("RX\r", "MS MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMx");
    exchange("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0");
    EXPECT_EQ(rx.operatingState, kStateVfoA);
    EXPECT_EQ(rx.vfoAFrequency, "145.500000");
    EXPECT_EQ(rx.vfoBFrequency, kDash);
    // From a VFO state nothing is reset.
    rx.vfoBFrequency = "433.000000";
    exchange("RX\r", "VA RF0145600000 ST012500 AU0 MD1 AT0");
    EXPECT_EQ(rx.vfoBFrequency, "433.000000");
}

TEST_F(RxReply, UnknownModeKeepsTheStateButDecodesTheFields) {
    exchange("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0");
    exchange("RX\r", "XX RF0433920000 ST025000 AU1 MD2 AT1");
    EXPECT_EQ(rx.operatingState, kStateVfoA);
    EXPECT_EQ(rx.vfoAFrequency, "433.920000");
    EXPECT_EQ(rx.stepHz, 25000);
    EXPECT_TRUE(rx.autoMode);
    EXPECT_TRUE(rx.attenuator);
    EXPECT_EQ(rx.mode, 4);
}

TEST_F(RxReply, MemoryReadReplyFillsTheChannelAndIgnoresTagsInTheName) {
    exchange("RX\r", "MR MXA05 MP1 RF0145500000 ST012500 AU0 MD1 AT0 TMST MARY MD5 AT1");
    EXPECT_EQ(rx.scratchChannel[ChannelRecord::kText], "ST MARY MD5 AT1");
    EXPECT_EQ(rx.scratchChannel[ChannelRecord::kPass], "1");
    EXPECT_EQ(rx.mode, 1);
    EXPECT_FALSE(rx.attenuator);
    // Without ST before the name, the name's " ST" is still not taken.
    exchange("RX\r", "MR MXA06 MP1 RF0145500000 TMOLD ST005000 ");
    EXPECT_EQ(rx.stepText, "012500");
}

}  // namespace
}  // namespace korvex::test
