// What the link keeps for network clients: the facts the parser takes from
// status replies and level reports, and the poll cycle's word when a
// command is finished.
#include <gtest/gtest.h>

#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "tests/link/FakeSerialPort.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

class LinkFactsTest : public ::testing::Test {
protected:
    LinkFactsTest() {
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        cycle.setCommandObserver([this](const std::string& command, bool answered) {
            finished.emplace_back(command, answered);
        });
    }
    // Sends the command and hands the receiver's answer to the link.
    void exchange(const std::string& command, std::string_view answer) {
        fields.commandQueue.append(command);
        cycle.tick();
        cycle.receive(answer);
    }

    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    test::FakeSerialPort port;
    PollCycle cycle{rx, fields, host};
    ResponseParser parser{rx, fields, host};
    std::vector<std::pair<std::string, bool>> finished;
};

TEST_F(LinkFactsTest, StatusRepliesGiveTheFrequencyInEveryStateAndTheMemoryChannel) {
    exchange("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0\r\n");
    EXPECT_EQ(rx.tunedHz, 145'500'000);
    EXPECT_EQ(rx.statusReplies, 1u);
    cycle.tick();
    exchange("RX\r", "MR MXc07 RF0080200000 ST100000 AU0 MD0 AT0 TMradio\r\n");
    EXPECT_EQ(rx.operatingState, kStateMemoryRead);
    EXPECT_EQ(rx.tunedHz, 80'200'000);
    EXPECT_EQ(rx.memoryChannel, "c07");
    EXPECT_EQ(rx.statusReplies, 2u);
    EXPECT_EQ(finished,
              (std::vector<std::pair<std::string, bool>>{{"RX\r", true}, {"RX\r", true}}));
}

TEST_F(LinkFactsTest, EveryLevelReportGivesSquelchAndLevelShownOrNot) {
    rx.operatingState = kStateVfoA;  // level reports are not shown here
    parser.receive("LC%123 V1\r\n");
    ASSERT_TRUE(rx.squelchOpen.has_value());
    EXPECT_FALSE(*rx.squelchOpen);
    EXPECT_EQ(rx.signalLevel, 123);
    parser.receive("LC200 V1 RF0433925000\r\n");
    EXPECT_TRUE(*rx.squelchOpen);
    EXPECT_EQ(rx.signalLevel, 200);
    EXPECT_EQ(rx.tunedHz, 433'925'000);
    parser.receive("LC%x1 V1\r\nLC\r\n");  // not numbers: nothing changes
    EXPECT_TRUE(*rx.squelchOpen);
    EXPECT_EQ(rx.signalLevel, 200);
    EXPECT_TRUE(finished.empty()) << "level reports finish no command";
}

TEST_F(LinkFactsTest, TheObserverHearsAcknowledgementsAndTheErrorThatEmptiesTheQueue) {
    exchange("RF0145500000\rRX\r", "\r\n");
    EXPECT_EQ(finished, (std::vector<std::pair<std::string, bool>>{{"RF0145500000\r", true}}));
    finished.clear();
    // No answer at all: after the retries the error empties the queue.
    for (int i = 0; i < 60 && finished.empty(); ++i) {
        cycle.tick();
    }
    EXPECT_EQ(finished, (std::vector<std::pair<std::string, bool>>{{"RX\r", false}}));
    EXPECT_TRUE(fields.commandQueue.empty());
}

}  // namespace
}  // namespace korvex
