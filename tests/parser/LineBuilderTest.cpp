#include <string>
#include <vector>

#include "tests/parser/ParserFixture.h"

namespace korvex::test {
namespace {

using LineBuilder = ParserFixture;

constexpr std::string_view kRxLine = "VF RF0145500000 ST012500 AU0 MD1 AT0";

TEST_F(LineBuilder, ReplySplitAtEveryPositionIsJoined) {
    const std::string bytes = std::string(kRxLine) + "\r\n";
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        CReceiver fresh;
        PollFields freshPoll;
        FakeLinkHost freshHost;
        ResponseParser p(fresh, freshPoll, freshHost);
        fresh.sentCommand = "RX\r";
        fresh.linkState = LinkState::Wait;
        p.receive(std::string_view(bytes).substr(0, cut));
        p.receive(std::string_view(bytes).substr(cut));
        EXPECT_EQ(fresh.vfoFrequency, "145.500000") << "cut at " << cut;
        // A cut between CR and LF must not undo the reply's DATA.
        EXPECT_EQ(fresh.linkState, LinkState::Data) << "cut at " << cut;
    }
}

TEST_F(LineBuilder, ByteByByteLikeOneEventPerCharacter) {
    sent("MAA\r");
    std::string bytes;
    for (int n = 0; n < 10; ++n) {
        bytes += "MXA0" + std::to_string(n) + " MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMx\r\n";
    }
    for (char c : bytes) {
        reply(std::string_view(&c, 1));
    }
    EXPECT_EQ(rx.banks[0].size(), 10u);
    EXPECT_EQ(rx.linkState, LinkState::Data);
    // At most the last LF waits; it is dropped before the next line.
    EXPECT_EQ(rx.rxBuffer.find_first_not_of("\r\n"), std::string::npos);
}

TEST_F(LineBuilder, SeveralLinesInOneChunkAreDispatchedInOrder) {
    sent("GR\r");
    reply("GR00 MXA00 RF0145500000 TMa\r\nGR01 MXA01 RF0145600000 TMb\r\nGR02 ---\r\n");
    ASSERT_EQ(rx.selectScanList.size(), 3u);
    EXPECT_EQ(rx.selectScanList.front()[ChannelRecord::kText], "a");
    EXPECT_EQ(rx.selectScanList.back()[ChannelRecord::kIndex], "02");
    EXPECT_EQ(rx.linkState, LinkState::Data);
}

TEST_F(LineBuilder, PartialLineWaitsForItsEnd) {
    sent("AF\r");
    reply("AF");
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_EQ(rx.rxBuffer, "AF");
    reply("1\r\n");
    EXPECT_TRUE(rx.afc);
    EXPECT_EQ(rx.linkState, LinkState::Data);
}

TEST_F(LineBuilder, EmptyLineAcknowledgesWithoutData) {
    const std::vector<std::string> acks = {"\r\n", "\r", "\n\r", "\r\n\r\n"};
    for (const std::string& ack : acks) {
        sent("RF0145500000\r");
        reply(ack);
        EXPECT_EQ(rx.linkState, LinkState::Idle);
        EXPECT_EQ(host.refreshes, 0);
    }
}

TEST_F(LineBuilder, BankResizeAcknowledgementStopsTheChunk) {
    sent("MWA60\r");
    rx.bankResizeActive = true;
    reply("\r\nAF1\r\n");
    EXPECT_FALSE(rx.bankResizeActive);
    ASSERT_EQ(host.statusTexts.size(), 1u);
    EXPECT_EQ(host.statusTexts[0], "mem bank resize done.");
    // The poll tick gives up on the resize; the link is not set here.
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_EQ(rx.rxBuffer, "\nAF1\r\n");
    EXPECT_FALSE(rx.afc);
}

TEST_F(LineBuilder, LinesDuringAResizeAreIgnored) {
    sent("MWA60\r");
    rx.bankResizeActive = true;
    reply("?");
    reply("\r");
    EXPECT_TRUE(rx.bankResizeActive);
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    EXPECT_TRUE(host.statusTexts.empty());
}

TEST_F(LineBuilder, EndlessGarbageWithoutLineEndIsDropped) {
    sent("RX\r");
    const std::string junk(ResponseParser::kMaxPartialLine + 1, 'x');
    reply(junk);
    EXPECT_TRUE(rx.rxBuffer.empty());
    reply("VF RF0145500000\r\n");
    EXPECT_EQ(rx.vfoFrequency, "145.500000");
}

}  // namespace
}  // namespace korvex::test
