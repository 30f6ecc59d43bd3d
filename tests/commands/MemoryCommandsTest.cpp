#include "link/MemoryCommands.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

using namespace cmd;

const std::string E(EMPTY_FIELD);

// Bank A of the given size (0..99) and its partner a as read by "TB"; bank A
// current and filled with empty slots.
void setBankA(CReceiver& rx, int size) {
    char info[32];
    std::snprintf(info, sizeof info, "A%03d AIR", size % 100);
    rx.bankInfo[0] = info;
    std::snprintf(info, sizeof info, "a%03d MARINE", (100 - size) % 100);
    rx.bankInfo[10] = info;
    rx.selectBank('A');
    for (int n = 0; n < size % 100; ++n) {
        const std::string ch =
            "A" + std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
        rx.currentBank().push_back(ChannelRecord::emptySlot(ch));
    }
}

const ChannelRecord& slot(const CReceiver& rx, int bank, int n) {
    return *std::next(rx.banks[static_cast<std::size_t>(bank)].begin(), n);
}

ChannelRecord record(const char* ch, const char* pass, const char* freq, const char* step,
                     const char* au, const char* mode, const char* att, const char* text) {
    ChannelRecord r;
    r.field = {ch, pass, freq, step, au, mode, att, text};
    return r;
}

TEST(ChannelSlot, AcceptsOnlyABankLetterAndTwoDigits) {
    EXPECT_EQ(channelSlot("A05"), 5u);
    EXPECT_EQ(channelSlot("j49"), 49u);
    EXPECT_EQ(channelSlot("J99"), 99u);
    for (const char* bad : {"", "A5", "A005", "Z05", "k05", "A0x", "[05", "05A"}) {
        EXPECT_FALSE(channelSlot(bad).has_value()) << bad;
    }
}

TEST(StoreChannel, WritesTheVfoIntoTheChannelAndTheBank) {
    CReceiver rx;
    setBankA(rx, 50);
    rx.stepText = "012500";
    rx.mode = 1;  // NFM
    rx.attenuator = true;
    rx.afc = false;
    rx.noiseLimiter = true;
    EXPECT_EQ(storeChannel(rx, "A05", "145.5", "TOWER", false),
              "MXA05 RF0145500000 AU0 ST012500 MD1 AT1 TMTOWER\rMRA05\rAF0\rNL1\r");
    EXPECT_EQ(slot(rx, 0, 5),
              record("A05", "0", "0145.500000", "012.500", "0", "NFM", "1", "TOWER"));
    EXPECT_EQ(rx.currentBank().size(), 50u);
    EXPECT_TRUE(rx.listChanged);
}

TEST(StoreChannel, RefusesAnInvalidFrequencyOrChannel) {
    CReceiver rx;
    setBankA(rx, 50);
    EXPECT_EQ(storeChannel(rx, "A05", "14a", "X", false), "");
    EXPECT_EQ(storeChannel(rx, "A5", "145", "X", false), "");
    EXPECT_EQ(slot(rx, 0, 5), ChannelRecord::emptySlot("A05"));
    EXPECT_FALSE(rx.listChanged);
}

TEST(StoreChannel, NameCannotSmuggleASecondCommand) {
    CReceiver rx;
    setBankA(rx, 50);
    rx.stepText = "005000";
    const std::string text = storeChannel(rx, "A01", "80.2", "EVIL\rQP\r\n", false);
    EXPECT_EQ(text, "MXA01 RF0080200000 AU0 ST005000 MD0 AT0 TMEVILQP\rMRA01\rAF0\rNL0\r");
    EXPECT_EQ(slot(rx, 0, 1)[ChannelRecord::kText], "EVILQP");
}

TEST(StoreChannel, LeavesTheBankAloneWhenTheChannelIsInAnotherBank) {
    CReceiver rx;
    setBankA(rx, 50);
    rx.stepText = "005000";
    EXPECT_EQ(storeChannel(rx, "b05", "80.2", "X", false).substr(0, 6), "MXb05 ");
    EXPECT_EQ(slot(rx, 0, 5), ChannelRecord::emptySlot("A05"));
    EXPECT_TRUE(rx.banks[11].empty());
}

TEST(StoreChannel, PastTheEndOfAnUnreadBankChangesNothing) {
    CReceiver rx;
    setBankA(rx, 10);
    rx.stepText = "005000";
    EXPECT_FALSE(storeChannel(rx, "A15", "80.2", "X", false).empty());
    EXPECT_EQ(rx.currentBank().size(), 10u);
    EXPECT_FALSE(rx.listChanged);
}

TEST(PasteChannel, WritesTheCopiedFieldsWithAutoModeOff) {
    struct Case {
        const char* mode;
        char digit;
    };
    const Case cases[] = {{"WFM", '0'}, {"NFM", '1'}, {"AM", '2'},  {"USB", '3'}, {"LSB", '4'},
                          {"CW", '5'},  {"SFM", '6'}, {"WAM", '7'}, {"NAM", '8'}, {"XYZ", '0'}};
    for (const Case& c : cases) {
        CReceiver rx;
        setBankA(rx, 20);
        const ChannelRecord copied =
            record("B03", "1", "0080.200000", "012.500", "1", c.mode, "1", "BASE");
        EXPECT_EQ(
            pasteChannel(rx, "A07", copied),
            std::string("MXA07 RF0080200000 AU0 ST012500 MD") + c.digit + " AT1 TMBASE\rMRA07\r")
            << c.mode;
        const ChannelRecord& r = slot(rx, 0, 7);
        EXPECT_EQ(r[ChannelRecord::kChannel], "A07");
        EXPECT_EQ(r[ChannelRecord::kFrequency], "0080.200000");
        EXPECT_EQ(r[ChannelRecord::kAutoMode], "0");
        EXPECT_EQ(r[ChannelRecord::kText], "BASE");
    }
}

TEST(WriteChannel, ShowsPointsAndAutoInTheBank) {
    CReceiver rx;
    setBankA(rx, 20);
    EXPECT_EQ(writeChannel(rx, record("A02", "0", "0145500000", "025000", "0", "2", "0", "AIR")),
              "MXA02 RF0145500000 AU0 ST025000 MD2 AT0 TMAIR\r");
    EXPECT_EQ(slot(rx, 0, 2), record("A02", "0", "0145.500000", "025.000", "0", "AM", "0", "AIR"));

    EXPECT_EQ(writeChannel(rx, record("A03", "0", "0118100000", "025000", "1", "2", "1", "ATC")),
              "MXA03 RF0118100000 AU1 ST025000 MD2 AT1 TMATC\r");
    EXPECT_EQ(slot(rx, 0, 3), record("A03", "0", "0118.100000", "auto", "1", "auto", "1", "ATC"));
}

TEST(WriteChannel, CleansEveryField) {
    CReceiver rx;
    setBankA(rx, 20);
    EXPECT_EQ(
        writeChannel(rx, record("A04", "0", "0145\r500000", "025000", "0", "2", "0", "X\r\nQP")),
        "MXA04 RF0145500000 AU0 ST025000 MD2 AT0 TMXQP\r");
}

TEST(DeleteChannel, EmptiesTheSlotAndReadsNoiseLimiterTwice) {
    CReceiver rx;
    setBankA(rx, 20);
    rx.stepText = "005000";
    storeChannel(rx, "A12", "80.2", "X", false);
    rx.listChanged = false;
    EXPECT_EQ(deleteChannel(rx, "A12"), "MRA12\rMQ12\rNL\rNL\r");
    EXPECT_EQ(slot(rx, 0, 12), ChannelRecord::emptySlot("A12"));
    EXPECT_EQ(rx.currentBank().size(), 20u);
    EXPECT_TRUE(rx.listChanged);
}

TEST(DeleteChannel, TransferFormHasNoModelEffect) {
    EXPECT_EQ(deleteChannelTransfer("c45"), "MRc45\rMQ45\r");
    EXPECT_EQ(deleteChannelTransfer("c4"), "");
    CReceiver rx;
    setBankA(rx, 20);
    EXPECT_EQ(deleteChannel(rx, "A1\r"), "");
}

TEST(BankCommands, GiveTheirTexts) {
    EXPECT_EQ(bankTextWrite("A", "AIRBAND"), "TBAAIRBAND\r");
    EXPECT_EQ(bankTextWrite("A", "AIR\rQP"), "TBAAIRQP\r");
    EXPECT_EQ(writeProtect(false), "WP0\r");
    EXPECT_EQ(writeProtect(true), "WP1\r");
    EXPECT_EQ(wmFlag("A", false), "WMA0\r");
    EXPECT_EQ(wmFlag("", false), "");
    EXPECT_EQ(passDelete('B', "07"), "PDB07\r");
    EXPECT_EQ(passDelete('V', "%%"), "PDV%%\r");
    EXPECT_EQ(passDelete('\r', "07"), "");
}

TEST(BankResize, AcceptsALetterAndTwoDigitsAndMarksTheResize) {
    CReceiver rx;
    for (const char* bad : {"A5", "A050", "", "Z50", "A5x"}) {
        EXPECT_EQ(bankResize(rx, bad), "") << bad;
        EXPECT_FALSE(rx.bankResizeActive) << bad;
    }
    EXPECT_EQ(bankResize(rx, "a40"), "MWa40\r");
    EXPECT_TRUE(rx.bankResizeActive);
}

TEST(MemoryBankReadout, ReadsOnePagePerTenChannels) {
    struct Case {
        int size;
        std::string expected;
    };
    const Case cases[] = {
        {50, "MAA\rMA\rMA\rMA\rMA\r"},
        {10, "MAA\r"},
        {19, "MAA\r"},
        {20, "MAA\rMA\r"},
        {0, "MAA\r"},
        {90, "MAA\rMA\rMA\rMA\rMA\rMA\rMA\rMA\rMA\r"},
    };
    for (const Case& c : cases) {
        CReceiver rx;
        setBankA(rx, c.size);
        test::FakeLinkHost host;
        EXPECT_EQ(memoryBankReadout(rx, host, 'A'), c.expected) << c.size;
        EXPECT_TRUE(rx.currentBank().empty());
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST(MemoryBankReadout, SelectsAndEmptiesTheBankItReads) {
    CReceiver rx;
    setBankA(rx, 20);
    test::FakeLinkHost host;
    rx.banks[10].push_back(ChannelRecord::emptySlot("a00"));
    EXPECT_EQ(memoryBankReadout(rx, host, 'a'), "MAa\rMA\rMA\rMA\rMA\rMA\rMA\rMA\r");
    EXPECT_EQ(rx.currentBankIndex(), 10);
    EXPECT_TRUE(rx.banks[10].empty());
    EXPECT_EQ(rx.banks[0].size(), 20u);
    EXPECT_TRUE(rx.listChanged);
}

TEST(MemoryBankReadout, RefusesALetterThatIsNoBank) {
    for (char letter : {'\0', 'Z', 'k', '[', '5'}) {
        CReceiver rx;
        setBankA(rx, 20);
        test::FakeLinkHost host;
        EXPECT_EQ(memoryBankReadout(rx, host, letter), "");
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text,
                  "Reading of MemBankSizes failed. Restart the Program. Sorry.");
        EXPECT_EQ(host.messages[0].caption, "Error");
        EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(rx.currentBankIndex(), 0);
        EXPECT_EQ(rx.currentBank().size(), 20u);
    }
}

TEST(Readouts, AreWrappedInAfcOffAndOnOnlyWhileAfcIsOn) {
    struct Case {
        const char* name;
        std::string (*build)(CReceiver&);
        std::string body;
    };
    const Case cases[] = {
        {"MA",
         [](CReceiver& rx) {
             test::FakeLinkHost host;
             return memoryBankReadout(rx, host, 'A');
         },
         "MAA\rMA\r"},
        {"SR", [](CReceiver& rx) { return searchBankReadout(rx); }, "SR%%\rSR\rSR\rSR\r"},
        {"GR", [](CReceiver& rx) { return selectScanReadout(rx); }, "GR\r"},
        {"PR", [](CReceiver& rx) { return passFrequencyReadout(rx); }, "PR\r"},
    };
    for (const Case& c : cases) {
        CReceiver rx;
        setBankA(rx, 20);
        EXPECT_EQ(c.build(rx), c.body) << c.name;
        rx.afc = true;
        EXPECT_EQ(c.build(rx), "AF0\r" + c.body + "AF1\r") << c.name;
    }
}

TEST(Readouts, EmptyTheirListsFirst) {
    CReceiver rx;
    rx.searchBanks.push_back(ChannelRecord::emptySlot("A"));
    rx.selectScanList.push_back(ChannelRecord::emptySlot("00"));
    rx.passFrequencies.push_back(PassFrequencyRecord{});
    searchBankReadout(rx);
    selectScanReadout(rx);
    passFrequencyReadout(rx);
    EXPECT_TRUE(rx.searchBanks.empty());
    EXPECT_TRUE(rx.selectScanList.empty());
    EXPECT_TRUE(rx.passFrequencies.empty());
    EXPECT_TRUE(rx.listChanged);
}

TEST(ListDeletes, AreFollowedByTheListReadout) {
    CReceiver rx;
    rx.afc = true;
    rx.selectScanList.push_back(ChannelRecord::emptySlot("00"));
    EXPECT_EQ(selectScanDeleteAll(rx), "GD%%\rAF0\rGR\rAF1\r");
    EXPECT_TRUE(rx.selectScanList.empty());
    rx.afc = false;
    EXPECT_EQ(selectScanDelete(rx, "05"), "GD05\rGR\r");
    EXPECT_EQ(selectScanDelete(rx, "\r"), "");
    rx.searchBanks.push_back(ChannelRecord::emptySlot("C"));
    EXPECT_EQ(searchBankDelete(rx, "C"), "QSC\rSR%%\rSR\rSR\rSR\r");
    EXPECT_TRUE(rx.searchBanks.empty());
    EXPECT_EQ(searchBankDelete(rx, ""), "");
}

TEST(ClearBank, DeletesEveryChannelAndReadsTheBankAgain) {
    CReceiver rx;
    setBankA(rx, 30);
    test::FakeLinkHost host;
    EXPECT_EQ(clearBank(rx, host, 'A'), "MQA%%\rMAA\rMA\rMA\r");
    EXPECT_TRUE(rx.currentBank().empty());
    EXPECT_EQ(clearBank(rx, host, 'Q'), "");
    EXPECT_EQ(host.messages.size(), 1u);
}

}  // namespace
}  // namespace korvex
