#include <string>

#include "tests/parser/ParserFixture.h"

namespace korvex::test {
namespace {

using PagedReplies = ParserFixture;

std::string channelLine(char bank, int n) {
    std::string number = std::to_string(n);
    if (number.size() < 2) {
        number.insert(0, "0");
    }
    if (n % 7 == 3) {
        return std::string("MX") + bank + number + " ---";
    }
    return std::string("MX") + bank + number + " MP0 RF0145" + number +
           "0000 ST012500 AU0 MD1 AT0 TMch" + number;
}

TEST_F(PagedReplies, TenLinePageWaitsUntilItsLastLine) {
    rx.selectBank('A');
    sent("MAA\r");
    for (int n = 0; n < 10; ++n) {
        replyLine(channelLine('A', n));
        if (n < 9) {
            EXPECT_EQ(rx.linkState, LinkState::Wait) << "line " << n + 1;
            EXPECT_FALSE(rx.listChanged);
        }
    }
    EXPECT_EQ(rx.linkState, LinkState::Data);
    EXPECT_TRUE(rx.listChanged);
    ASSERT_EQ(rx.banks[0].size(), 10u);
    EXPECT_EQ(rx.banks[0].front()[ChannelRecord::kFrequency], "0145.000000");
    EXPECT_EQ(rx.banks[0].back()[ChannelRecord::kText], "ch09");
}

TEST_F(PagedReplies, FiftyChannelBankOverFivePages) {
    rx.selectBank('c');
    for (int page = 0; page < 5; ++page) {
        sent(page == 0 ? "MAc\r" : "MA\r");
        for (int n = 0; n < 10; ++n) {
            replyLine(channelLine('c', page * 10 + n));
        }
        EXPECT_EQ(rx.linkState, LinkState::Data);
        rx.linkState = LinkState::Idle;  // the poll tick's refresh
    }
    const MemoryBank& bank = rx.banks[12];
    ASSERT_EQ(bank.size(), 50u);
    int n = 0;
    for (const ChannelRecord& r : bank) {
        const std::string key = channelLine('c', n).substr(2, 3);
        EXPECT_EQ(r[ChannelRecord::kChannel], key);
        // Empty slots keep their place in the bank.
        EXPECT_EQ(isEmptyField(r[ChannelRecord::kFrequency]), n % 7 == 3) << key;
        ++n;
    }
}

TEST_F(PagedReplies, LongPagesRestartTheTimeOutEveryFourthLine) {
    sent("MAA\r");
    for (int n = 1; n <= 8; ++n) {
        poll.waitTicks = 7;
        replyLine(channelLine('A', n));
        EXPECT_EQ(poll.waitTicks, n % 4 == 0 ? 0 : 7) << "line " << n;
    }
    // Select-scan and pass lists can be as long; they restart it too.
    sent("GR\r");
    for (int n = 1; n <= 4; ++n) {
        poll.waitTicks = 7;
        replyLine("GR0" + std::to_string(n) + " MXA00 RF0145500000 TMx");
    }
    EXPECT_EQ(poll.waitTicks, 0);
}

TEST_F(PagedReplies, LineWithoutChannelDuringAPageIsNotAppended) {
    sent("MAA\r");
    replyLine("?");
    EXPECT_TRUE(rx.banks[0].empty());
    EXPECT_EQ(rx.linkState, LinkState::Idle);  // "MAA" carries a parameter
    sent("MA\r");
    replyLine("?");
    EXPECT_EQ(rx.linkState, LinkState::Data);
}

TEST_F(PagedReplies, FortySearchBanksInFourPages) {
    for (int page = 0; page < 4; ++page) {
        sent(page == 0 ? "SR%%\r" : "SR\r");
        for (int n = 0; n < 10; ++n) {
            const char bank = kBankLetters[static_cast<std::size_t>(n % 20)];
            replyLine(n == 5 ? std::string("SR") + bank + " ---"
                             : std::string("SR") + bank +
                                   " SL0080000000 SU0108000000 ST100000 AU0 MD0 AT0 TTbroadcast");
            EXPECT_EQ(rx.linkState, n < 9 ? LinkState::Wait : LinkState::Data);
        }
    }
    ASSERT_EQ(rx.searchBanks.size(), 40u);
    EXPECT_EQ(rx.searchBanks.front()[ChannelRecord::kUpper], "0108.000000");
    EXPECT_EQ(rx.scratchSearchBank, ChannelRecord{});
}

TEST_F(PagedReplies, SelectScanEndsAtTheEntryWithoutLinkWhateverItsLength) {
    for (int length : {0, 1, 9, 10, 11, 25}) {
        rx.selectScanList.clear();
        rx.listChanged = false;
        sent("GR\r");
        for (int n = 0; n < length; ++n) {
            replyLine("GR" + std::to_string(10 + n) + " MXA" + std::to_string(10 + n) +
                      " RF0145500000 ST012500 AU0 MD1 AT0 TMx");
            ASSERT_EQ(rx.linkState, LinkState::Wait) << length;
        }
        replyLine("GR99 ---");
        EXPECT_EQ(rx.linkState, LinkState::Data) << length;
        EXPECT_TRUE(rx.listChanged);
        ASSERT_EQ(rx.selectScanList.size(), static_cast<std::size_t>(length + 1));
        EXPECT_TRUE(isEmptyField(rx.selectScanList.back()[ChannelRecord::kLink]));
    }
}

TEST_F(PagedReplies, PassListEndsAtDashes) {
    sent("PR\r");
    replyLine("PRA00 0145500000");
    replyLine("PRV01 0433920000");
    EXPECT_EQ(rx.linkState, LinkState::Wait);
    replyLine("PRV02 ---");
    EXPECT_EQ(rx.linkState, LinkState::Data);
    EXPECT_TRUE(rx.listChanged);
    ASSERT_EQ(rx.passFrequencies.size(), 3u);
    EXPECT_EQ(rx.passFrequencies.front()[PassFrequencyRecord::kFrequency], "0145.500000");
    EXPECT_TRUE(isEmptyField(rx.passFrequencies.back()[PassFrequencyRecord::kFrequency]));
}

TEST_F(PagedReplies, MemoryWriteDoneOnlyWithAnEmptyQueue) {
    poll.memWriteActive = true;
    poll.commandQueue.append("MXA01 RF0145500000\r");
    exchange("MXA00 RF0145500000\r", "?");
    EXPECT_TRUE(poll.memWriteActive);
    EXPECT_TRUE(host.statusTexts.empty());

    // A refusal is no acknowledgement, even of the last command.
    poll.commandQueue.clear();
    exchange("MXA01 RF0145500000\r", "?");
    EXPECT_TRUE(poll.memWriteActive);
    EXPECT_TRUE(host.statusTexts.empty());

    exchange("TB\r", "MW A50 B50");
    EXPECT_FALSE(poll.memWriteActive);
    ASSERT_EQ(host.statusTexts.size(), 1u);
    EXPECT_EQ(host.statusTexts[0], "mem write done.");
    EXPECT_EQ(host.viewRefreshes, 1);
}

}  // namespace
}  // namespace korvex::test
