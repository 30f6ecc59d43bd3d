// Fault injection and pacing of the serial runner's output, and the command
// splitter and log text it uses.

#include <gtest/gtest.h>

#include "simulator/CommandSplitter.h"
#include "simulator/OutputQueue.h"

namespace korvex::sim {
namespace {

// Everything the queue lets out from `from` to `to`, a millisecond at a time.
std::string drain(OutputQueue& q, int64_t from, int64_t to) {
    std::string out;
    for (int64_t t = from; t <= to; ++t) {
        for (;;) {
            const std::string_view bytes = q.writable(t);
            if (bytes.empty()) {
                break;
            }
            out += bytes;
            q.consumed(bytes.size());
        }
    }
    return out;
}

TEST(OutputQueue, NoReplyMatchesCommandsByTheirWord) {
    const struct {
        const char* word;
        const char* command;
        bool dropped;
    } cases[] = {
        {"RX", "RX", true},    {"MA", "MAA", true}, {"MA", "MA", true},
        {"LC2", "LC1", false}, {"RX", "AF", false}, {"", "RX", false},
    };
    for (const auto& c : cases) {
        OutputQueue q;
        Faults f;
        f.noReply = {c.word};
        q.setFaults(f);
        q.addReply(c.command, "reply\r\n", 0);
        EXPECT_EQ(drain(q, 0, 10).empty(), c.dropped) << c.word << " " << c.command;
    }
}

TEST(OutputQueue, LateReplyComesAfterItsDelay) {
    OutputQueue q;
    Faults f;
    f.late = {{"GM", 300}};
    q.setFaults(f);
    q.addReply("GM", "GM0\r\n", 100);
    q.addReply("AF", "AF0\r\n", 150);
    EXPECT_EQ(drain(q, 100, 399), "AF0\r\n");
    EXPECT_EQ(drain(q, 400, 400), "GM0\r\n");
}

TEST(OutputQueue, SplitReplyGoesOutInTwoWritesWithAPause) {
    OutputQueue q;
    Faults f;
    f.split = true;
    f.splitPauseMs = 40;
    q.setFaults(f);
    q.addReply("RX", "VF RF0145500000\r\n", 0);
    EXPECT_EQ(drain(q, 0, 0), "VF RF014");
    EXPECT_EQ(drain(q, 1, 39), "");
    // A report due meanwhile waits: it never lands inside the split reply.
    q.addReport("LC%000 VA\r\n", 5);
    EXPECT_EQ(drain(q, 40, 40), "5500000\r\nLC%000 VA\r\n");
}

TEST(OutputQueue, GarbageNeverHoldsFlowControlOrLineEnds) {
    OutputQueue q;
    Faults f;
    f.garbage = true;
    f.garbageEvery = 3;
    q.setFaults(f);
    int corrupted = 0;
    for (int i = 0; i < 300; ++i) {
        q.addReply("AF", "AF0\r\n", i);
        const std::string out = drain(q, i, i);
        ASSERT_GE(out.size(), 5u);
        const std::string extra = out.substr(0, out.size() - 5);
        EXPECT_EQ(out.substr(out.size() - 5), "AF0\r\n");
        for (char c : extra) {
            EXPECT_TRUE(c != 0x11 && c != 0x13 && c != '\r' && c != '\n') << int(c);
        }
        corrupted += extra.empty() ? 0 : 1;
        EXPECT_LE(extra.size(), 4u);
    }
    EXPECT_EQ(corrupted, 100);
}

TEST(OutputQueue, PacingHoldsTheBaudRate) {
    const struct {
        int baud;
        size_t bytesPerSecond;  // 11 bits per character
    } cases[] = {{4800, 436}, {9600, 872}, {19200, 1745}};
    for (const auto& c : cases) {
        OutputQueue q;
        q.setPacing(true, c.baud);
        q.addReport(std::string(10'000, 'x'), 0);
        const size_t sent = drain(q, 0, 1000).size();
        EXPECT_GE(sent, c.bytesPerSecond - 2) << c.baud;
        EXPECT_LE(sent, c.bytesPerSecond + 9) << c.baud;
    }
}

// As on a real line: the reply starts when the command's characters have
// arrived, and even a short one needs its characters' time.
TEST(OutputQueue, PacedReplyNeverComesFasterThanTheLineCarriesIt) {
    OutputQueue q;
    q.setPacing(true, 9600);
    q.addReply("AF", "AF1\r\n", 0);  // "AF" + CR: 3.4 ms on the line
    EXPECT_EQ(drain(q, 0, 4), "");
    // Five characters take 5.7 ms more: not all there before 9.2 ms.
    const std::string early = drain(q, 5, 9);
    EXPECT_LT(early.size(), 5u);
    EXPECT_EQ(early + drain(q, 10, 12), "AF1\r\n");

    // Back to back, two replies share the line: 200 characters take 229 ms.
    q.addReply("TB", std::string(100, 'x'), 100);
    q.addReply("TB", std::string(100, 'y'), 100);
    const std::size_t by330 = drain(q, 100, 330).size();
    EXPECT_LT(by330, 200u);
    EXPECT_GT(by330, 190u);
    EXPECT_EQ(by330 + drain(q, 331, 340).size(), 200u);
    EXPECT_TRUE(q.empty());
}

TEST(OutputQueue, UnpacedOutputGoesAtOnce) {
    OutputQueue q;
    q.addReport(std::string(10'000, 'x'), 0);
    EXPECT_EQ(drain(q, 0, 0).size(), 10'000u);
    EXPECT_TRUE(q.empty());
}

TEST(CommandSplitter, CutsAtCrDropsLfAndBoundsLength) {
    CommandSplitter s;
    EXPECT_TRUE(s.push("R").empty());
    EXPECT_EQ(s.push("X\r\nAF\r\r"), (std::vector<std::string>{"RX", "AF", ""}));
    const auto overlong = s.push(std::string(10'000, 'A') + "\r");
    ASSERT_EQ(overlong.size(), 1u);
    EXPECT_EQ(overlong[0].size(), CommandSplitter::kMaxLength + 1);
}

TEST(CommandSplitter, PrintableCommandShowsControlBytesInHex) {
    EXPECT_EQ(printableCommand("\x1e"), "<1E>");
    EXPECT_EQ(printableCommand("MXA00 TM\x01x\x7f"), "MXA00 TM<01>x<7F>");
    EXPECT_EQ(printableCommand(""), "");
    EXPECT_EQ(printableCommand("RF0145500000"), "RF0145500000");
}

}  // namespace
}  // namespace korvex::sim
