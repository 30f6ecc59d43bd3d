// Memory pages, bank sizes and texts, channel writes, bank resize, the
// select-scan and pass lists and the search banks, checked the way the
// program decodes them.

#include <gtest/gtest.h>

#include "simulator/Ar8600.h"
#include "simulator/WireFormat.h"
#include "tests/simulator/SimTestSupport.h"

namespace korvex::sim {
namespace {

using test::lines;

// All pages of a bank read as the program does: "MA" + letter, then "MA".
std::vector<std::string> readBank(Ar8600& rx, char letter, int pages) {
    std::vector<std::string> all;
    for (int page = 0; page < pages; ++page) {
        const std::string command = page == 0 ? std::string("MA") + letter + "\r" : "MA\r";
        const auto got = lines(rx.feed(command));
        EXPECT_EQ(got.size(), 10u) << command << " page " << page;
        all.insert(all.end(), got.begin(), got.end());
    }
    return all;
}

TEST(Ar8600Memory, ChannelLinesReadAsTheReceiverWritesThem) {
    Ar8600 rx;
    const auto page = lines(rx.feed("MAA\r"));
    ASSERT_EQ(page.size(), 10u);
    EXPECT_EQ(page[0], "MXA00 MP0 RF0101100000 ST100000 AU0 MD0 AT0 TMname        ");
    EXPECT_EQ(page[3], "MXA03 MP1 RF0094300000 ST100000 AU0 MD0 AT0 TMNews 94     ");
    EXPECT_EQ(page[6], "MXA06 ---");
}

TEST(Ar8600Memory, BankReadsInPagesOfTenUpToItsSize) {
    for (const char letter : {'A', 'C', 'c', 'j'}) {
        Ar8600 rx;
        const int size = static_cast<int>(rx.state().banks[bankIndex(letter)].channels.size());
        const auto all = readBank(rx, letter, size / 10);
        for (int ch = 0; ch < size; ++ch) {
            // The decoder takes the three characters after "MX" as the channel.
            ASSERT_EQ(all[ch].substr(0, 5), "MX" + channelName({bankIndex(letter), ch}));
        }
        EXPECT_EQ(rx.feed("MA\r"), "?\r\n") << letter;
    }
}

TEST(Ar8600Memory, BankSizesComeTenPerQueryInTheDecodedLayout) {
    Ar8600 rx;
    auto got = lines(rx.feed("TB\r"));
    const auto second = lines(rx.feed("TB\r"));
    got.insert(got.end(), second.begin(), second.end());
    ASSERT_EQ(got.size(), 20u);
    for (int bank = 0; bank < kBankCount; ++bank) {
        const std::string& l = got[bank];
        const MemoryBank& b = rx.state().banks[bank];
        ASSERT_GT(l.size(), 18u) << l;
        EXPECT_EQ(l.substr(0, 2), "MW");
        EXPECT_EQ(l[3], kBankLetters[bank]);
        EXPECT_EQ(std::stoi(l.substr(5, 2)), static_cast<int>(b.channels.size()));
        std::string text = b.text;
        text.resize(8, ' ');
        EXPECT_EQ(l.substr(11), text);
    }
    for (int upper = 0; upper < kBankCount / 2; ++upper) {
        EXPECT_EQ(std::stoi(got[upper].substr(5, 2)) + std::stoi(got[upper + 10].substr(5, 2)),
                  100);
    }
    EXPECT_EQ(lines(rx.feed("TB\r"))[0].substr(0, 4), "MW A");
    rx.feed("RX\r");
    EXPECT_EQ(lines(rx.feed("TB\r"))[0].substr(0, 4), "MW A");
}

TEST(Ar8600Memory, BankTextIsWrittenAndCutToEight) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("TBAAirport\r"), "\r\n");
    EXPECT_EQ(rx.feed("TBbVeryLongName\r"), "\r\n");
    std::string text = rx.feed("TB\r");
    text += rx.feed("TB\r");
    const auto got = lines(text);
    EXPECT_EQ(got[0], "MW A:50 TBAAirport ");
    EXPECT_EQ(got[11], "MW b:50 TBbVeryLong");
}

TEST(Ar8600Memory, ChannelWriteReadsBack) {
    const struct {
        const char* write;
        const char* readBack;
    } cases[] = {
        {"MXB05 RF0145287500 AU0 ST012500 MD1 AT0 TMNew one",
         "MXB05 MP0 RF0145287500 ST012500 AU0 MD1 AT0 TMNew one     "},
        // the memory-file form: no auto-mode field, attenuator on
        {"MXB06 RF0007100000 ST001000 MD4 AT1 TMSSB net",
         "MXB06 MP0 RF0007100000 ST001000 AU0 MD4 AT1 TMSSB net     "},
        // tags inside the name are text, not fields
        {"MXB07 RF0145000000 TMx MD2 AT1",
         "MXB07 MP0 RF0145000000 ST012500 AU0 MD1 AT0 TMx MD2 AT1   "},
        // a name longer than twelve characters is cut
        {"MXB08 RF0145000000 ST012500 MD1 TMThirteen chars",
         "MXB08 MP0 RF0145000000 ST012500 AU0 MD1 AT0 TMThirteen cha"},
    };
    for (const auto& c : cases) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(std::string(c.write) + "\r"), "\r\n") << c.write;
        const std::string channel = std::string(c.write).substr(2, 3);
        EXPECT_EQ(rx.feed("MX" + channel + "\r"), std::string(c.readBack) + "\r\n");
    }
}

TEST(Ar8600Memory, ChannelWriteRefusesBadFieldsAndProtection) {
    const char* refused[] = {
        "MXB05 RF0000050000 TMlow",   "MXZ05 RF0145000000 TMbank",   "MXB50 RF0145000000 TMslot",
        "MXB05 RF0145000000 MD? TMx", "MXB05 RF0145000000 ST001234", "MXB05RF0145000000",
        "MXB05 TMno frequency",
    };
    for (const char* write : refused) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(std::string(write) + "\r"), "?\r\n") << write;
    }
    const char* protections[] = {"WP1\r", "WMB1\r", "WMB051\r"};
    for (const char* protect : protections) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(protect), "\r\n");
        EXPECT_EQ(rx.feed("MXB05 RF0145000000 TMx\r"), "?\r\n") << protect;
        EXPECT_EQ(rx.feed("MXB06 RF0145000000 TMx\r"),
                  std::string(protect) == "WMB051\r" ? "\r\n" : "?\r\n")
            << protect;
    }
}

TEST(Ar8600Memory, ChannelDeleteEmptiesTheSlotAndItsSelectEntry) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("MRB00\rMQ00\r"), "\r\n\r\n");
    EXPECT_EQ(rx.feed("MXB00\r"), "MXB00 ---\r\n");
    const auto list = lines(rx.feed("GR\r"));
    for (const std::string& l : list) {
        EXPECT_EQ(l.find("MXB00"), std::string::npos) << l;
    }
    EXPECT_EQ(rx.feed("MQc%%\r"), "\r\n");
    for (const std::string& l : readBank(rx, 'c', 4)) {
        EXPECT_EQ(l.substr(5), " ---");
    }
    EXPECT_EQ(Ar8600().feed("MQ00\r"), "?\r\n");  // not in memory read
}

TEST(Ar8600Memory, ResizeMovesSlotsWithinThePairAndAnswersLate) {
    Ar8600Options options;
    options.resizeBaseMs = 400;
    options.resizeMsPerSlot = 10;
    Ar8600 rx(options);
    const auto upperBefore = readBank(rx, 'A', 5);
    const auto lowerBefore = readBank(rx, 'a', 5);

    EXPECT_EQ(rx.feed("MWA40\r"), "");
    EXPECT_TRUE(rx.resizing());
    EXPECT_EQ(rx.feed("RX\r"), "");  // held until the receiver has finished
    // 60 slots move: 400 + 60 x 10 ms.
    EXPECT_EQ(rx.advance(999), "");
    EXPECT_EQ(rx.advance(1), "\r\nVF RF0145500000 ST012500 AU0 MD1 AT0\r\n");
    EXPECT_FALSE(rx.resizing());

    std::string text = rx.feed("TB\r");
    text += rx.feed("TB\r");
    const auto sizes = lines(text);
    EXPECT_EQ(sizes[0].substr(0, 7), "MW A:40");
    EXPECT_EQ(sizes[10].substr(0, 7), "MW a:60");
    const auto upper = readBank(rx, 'A', 4);
    EXPECT_EQ(rx.feed("MA\r"), "?\r\n");
    EXPECT_EQ(std::vector(upper.begin(), upper.end()),
              std::vector(upperBefore.begin(), upperBefore.begin() + 40));
    const auto lower = readBank(rx, 'a', 6);
    EXPECT_EQ(std::vector(lower.begin(), lower.begin() + 50), lowerBefore);
    for (int ch = 50; ch < 60; ++ch) {
        EXPECT_EQ(lower[ch], "MXa" + std::to_string(ch) + " ---");
    }
}

TEST(Ar8600Memory, ResizeOfTheLowerBankSetsTheUpperToTheRest) {
    Ar8600Options options;
    options.resizeBaseMs = 10;
    options.resizeMsPerSlot = 0;
    Ar8600 rx(options);
    rx.feed("MWa70\r");
    EXPECT_EQ(rx.advance(10), "\r\n");
    EXPECT_EQ(rx.state().banks[bankIndex('A')].channels.size(), 30u);
    EXPECT_EQ(rx.state().banks[bankIndex('a')].channels.size(), 70u);
}

TEST(Ar8600Memory, ResizeRefusesSizesOffTheTenChannelGrid) {
    for (const char* command : {"MWA95\r", "MWA05\r", "MWA45\r", "MWA4\r", "MWZ40\r", "MWA100\r"}) {
        Ar8600 rx;
        EXPECT_EQ(rx.feed(command), "?\r\n") << command;
        EXPECT_FALSE(rx.resizing());
    }
}

TEST(Ar8600Memory, SelectScanListEndsWithAnEntryWithoutLinkChannel) {
    Ar8600 rx;
    auto list = lines(rx.feed("GR\r"));
    ASSERT_EQ(list.size(), 5u);
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        EXPECT_NE(list[i].find(" MX"), std::string::npos) << list[i];
        EXPECT_EQ(list[i].substr(2, 2), (i < 10 ? "0" : "") + std::to_string(i));
    }
    EXPECT_EQ(list.back(), "GR04 ---");

    EXPECT_EQ(rx.feed("MRa01\rGA1\rGA\r"), "\r\n\r\nGA1\r\n");
    list = lines(rx.feed("GR\r"));
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[4].substr(0, 10), "GR04 MXa01");
    EXPECT_EQ(rx.feed("GD01\r"), "\r\n");
    EXPECT_EQ(lines(rx.feed("GR\r")).size(), 5u);
    EXPECT_EQ(rx.feed("GD%%\r"), "\r\n");
    EXPECT_EQ(rx.feed("GR\r"), "GR00 ---\r\n");
    EXPECT_EQ(rx.feed("GD00\r"), "?\r\n");
}

TEST(Ar8600Memory, PassFlagOfTheRecalledChannel) {
    Ar8600 rx;
    EXPECT_EQ(rx.feed("MRA03\rMP\r"), "\r\nMP1\r\n");
    EXPECT_EQ(rx.feed("MP0\rMP\r"), "\r\nMP0\r\n");
    EXPECT_EQ(rx.feed("MRA06\rMP1\r"), "\r\n?\r\n");  // an empty slot
    EXPECT_EQ(lines(rx.feed("RX\r"))[0], "MR MXA06 ---");
}

TEST(Ar8600Memory, PassListEndsWithAnEntryHoldingDashes) {
    Ar8600 rx;
    auto list = lines(rx.feed("PR\r"));
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], "PRV00 0145550000");
    EXPECT_EQ(list[1], "PRA00 0118700000");
    EXPECT_EQ(list.back(), "PRV01 ---");

    EXPECT_EQ(rx.feed("PW0145600000\rPW\r"), "\r\n\r\n");  // given, then the VFO's own
    list = lines(rx.feed("PR\r"));
    EXPECT_EQ(list[1], "PRV01 0145600000");
    EXPECT_EQ(list[2], "PRV02 0145500000");
    EXPECT_EQ(rx.feed("PDV01\r"), "\r\n");
    EXPECT_EQ(lines(rx.feed("PR\r"))[1], "PRV01 0145500000");
    EXPECT_EQ(rx.feed("PDA%%\rPDV%%\rPDB%%\r"), "\r\n\r\n\r\n");
    EXPECT_EQ(rx.feed("PR\r"), "PRV00 ---\r\n");
    EXPECT_EQ(rx.feed("PDV00\r"), "?\r\n");
    EXPECT_EQ(rx.feed("MRA00\rPW\r"), "\r\n?\r\n");  // no pass list in memory read
}

TEST(Ar8600Memory, SearchBanksReadInFourPagesAndWriteBack) {
    Ar8600 rx;
    auto all = lines(rx.feed("SR%%\r"));
    for (int page = 1; page < 4; ++page) {
        const auto more = lines(rx.feed("SR\r"));
        all.insert(all.end(), more.begin(), more.end());
    }
    ASSERT_EQ(all.size(), 40u);
    for (int bank = 0; bank < kSearchBankCount; ++bank) {
        EXPECT_EQ(all[bank].substr(0, 2), "SR");
        EXPECT_EQ(all[bank][2], kSearchBankLetters[bank]);
    }
    EXPECT_EQ(all[0], "SRA SL0118000000 SU0137000000 ST025000 AU0 MD2 AT0 TTAIR BAND");
    EXPECT_EQ(all[8], "SRI ---");

    EXPECT_EQ(rx.feed("SEI SL0150000000 SU0151000000 AU0 ST+012500 MD1 AT1 TTNEW BANK\r"), "\r\n");
    EXPECT_EQ(lines(rx.feed("SR%%\r"))[8],
              "SRI SL0150000000 SU0151000000 ST012500 AU0 MD1 AT1 TTNEW BANK");
    EXPECT_TRUE(rx.state().searchBanks[8].stepOffset);
    EXPECT_EQ(rx.feed("QSA\r"), "\r\n");
    EXPECT_EQ(lines(rx.feed("SR%%\r"))[0], "SRA ---");
    EXPECT_EQ(lines(rx.feed("PR\r")).size(), 3u);  // bank A's pass frequencies went with it

    for (const char* bad : {"SEZ SL0150000000 SU0151000000\r", "SEI SL0150000000\r",
                            "SEI SL0150000000 SU0150000000\r",
                            "SEI SL0150000000 SU0151000000 ST012345\r", "SR5\r", "QSZ\r"}) {
        EXPECT_EQ(rx.feed(bad), "?\r\n") << bad;
    }
}

TEST(Ar8600Memory, SampleGroupLinksHaveTheBankLetterAtEachPosition) {
    const ReceiverState s = sampleState();
    auto check = [](const GroupSettings& g, std::string_view letters) {
        ASSERT_EQ(g.links.size(), letters.size());
        for (size_t i = 0; i < letters.size(); ++i) {
            EXPECT_TRUE(g.links[i] == '-' || g.links[i] == letters[i]) << g.links;
        }
    };
    for (const auto& g : s.scanGroups) {
        check(g, kBankLetters);
    }
    for (const auto& g : s.searchGroups) {
        check(g, kSearchBankLetters);
    }
    for (int upper = 0; upper < kBankCount / 2; ++upper) {
        EXPECT_EQ(s.banks[upper].channels.size() + s.banks[upper + 10].channels.size(), 100u);
    }
}

}  // namespace
}  // namespace korvex::sim
