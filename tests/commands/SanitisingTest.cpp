// Every builder that takes text, walked with a CR, an LF and a control
// character put into each of its text arguments in turn: the wire sees the
// same commands as without them, or nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/DbDao.h"
#include "link/Commands.h"
#include "link/GroupCommands.h"
#include "link/MemoryCommands.h"
#include "link/MemoryFileCommands.h"
#include "link/OptionCommands.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"

namespace korvex {
namespace {

using Args = std::vector<std::string>;

struct Builder {
    const char* name;
    Args clean;  // arguments that give a command
    std::function<std::string(const Args&)> build;
};

// A receiver with bank A of 50 slots current, and B of 50.
CReceiver& freshReceiver() {
    static std::unique_ptr<CReceiver> held;
    held = std::make_unique<CReceiver>();
    CReceiver& rx = *held;
    rx.bankInfo[0] = "A050 AIR";
    rx.bankInfo[10] = "a050 MARINE";
    rx.bankInfo[1] = "B050 CB";
    rx.bankInfo[11] = "b050 PMR";
    rx.selectBank('A');
    for (int n = 0; n < 50; ++n) {
        const std::string ch =
            "A" + std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
        rx.currentBank().push_back(ChannelRecord::emptySlot(ch));
    }
    rx.stepText = "012500";
    return rx;
}

ChannelRecord recordOf(const Args& a, std::size_t from) {
    ChannelRecord r;
    for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
        r[i] = a[from + i];
    }
    return r;
}

std::vector<Builder> builders() {
    static test::FakeLinkHost host;
    using namespace cmd;
    const auto mhz = FrequencyUnit::MHz;
    return {
        {"composeCommand",
         {"AB", "CD", "EF"},
         [](const Args& a) { return composeCommand("XX", a[0], a[1], a[2]); }},
        {"composeCommandParts",
         {"A", " B", "C"},
         [](const Args& a) {
             return composeCommandParts("XX", {a[0], a[1], a[2]});
         }},
        {"frequencyCommand",
         {"145.5"},
         [mhz](const Args& a) { return frequencyCommand(a[0], mhz, false); }},
        // A database row's FREQ and MOD texts: only the parsed number and a
        // mode name from the fixed table reach the wire.
        {"tuneCommands",
         {"145.5", "AM VOICE"},
         [](const Args& a) { return db::tuneCommands(a[0], a[1], false, false); }},
        {"searchStart", {"A"}, [](const Args& a) { return searchStart(a[0]); }},
        {"stepSet", {"012500"}, [](const Args& a) { return stepSet(a[0]); }},
        {"modeSet", {"NFM"}, [](const Args& a) { return modeSet(a[0]); }},
        {"passFrequencyWrite",
         {"145.5"},
         [](const Args& a) { return passFrequencyWrite(a[0], false); }},
        {"memoryRecall", {"A05"}, [](const Args& a) { return memoryRecall(a[0]); }},
        {"openingMessageSet",
         {"1", "HELLO WORLD"},
         [](const Args& a) { return openingMessageSet(a[0].empty() ? '\0' : a[0][0], a[1]); }},
        {"vlSet", {"5"}, [](const Args& a) { return vlSet(a[0].empty() ? '\0' : a[0][0]); }},
        {"lbSet", {"05"}, [](const Args& a) { return lbSet(a[0]); }},
        {"vfoRestore",
         {"0145.500000", "012500"},
         [](const Args& a) {
             CReceiver r;
             r.vfoFrequency = a[0];
             r.stepText = a[1];
             return vfoRestore(r, false);
         }},
        {"storeChannel",
         {"A05", "145.5", "TOWER", "012500"},
         [](const Args& a) {
             CReceiver& rx = freshReceiver();
             rx.stepText = a[3];
             return storeChannel(rx, a[0], a[1], a[2], false);
         }},
        {"pasteChannel",
         {"A05", "A07", "0145.500000", "012.500", "0", "NFM", "1", "TOWER", "", ""},
         [](const Args& a) { return pasteChannel(freshReceiver(), a[0], recordOf(a, 1)); }},
        {"writeChannel",
         {"A05", " ", "0145500000", "012500", "0", "1", "0", "TOWER"},
         [](const Args& a) { return writeChannel(freshReceiver(), recordOf(a, 0)); }},
        {"fileChannelWrite",
         {"b05", "+", "0145.500000", "012.500", "1", "NFM", "1", "TOWER"},
         [](const Args& a) { return fileChannelWrite(recordOf(a, 0)); }},
        // The row's other fields have their own walk above; a field that no
        // longer reads as a channel, frequency or mode refuses that row.
        {"memoryFileWrite",
         {"TOWER", "AIRPORT"},
         [](const Args& a) {
             const Args row = {"b05", "+", "0145.500000", "012.500", "0", "AM", "0", a[0]};
             ChannelRecord cleared = ChannelRecord::emptySlot("b06");
             cleared[ChannelRecord::kPass] = "-";
             return memoryFileWrite({recordOf(row, 0), cleared}, 'b', a[1]);
         }},
        {"deleteChannelTransfer",
         {"A05"},
         [](const Args& a) { return deleteChannelTransfer(a[0]); }},
        {"deleteChannel",
         {"A05"},
         [](const Args& a) { return deleteChannel(freshReceiver(), a[0]); }},
        {"bankTextWrite",
         {"A", "AIRBAND"},
         [](const Args& a) { return bankTextWrite(a[0], a[1]); }},
        {"wmFlag", {"A05"}, [](const Args& a) { return wmFlag(a[0], true); }},
        {"bankResize", {"A40"}, [](const Args& a) { return bankResize(freshReceiver(), a[0]); }},
        {"memoryBankReadout",
         {"B"},
         [](const Args& a) {
             return memoryBankReadout(freshReceiver(), host, a[0].empty() ? '\0' : a[0][0]);
         }},
        {"clearBank",
         {"B"},
         [](const Args& a) {
             return clearBank(freshReceiver(), host, a[0].empty() ? '\0' : a[0][0]);
         }},
        {"selectScanDelete",
         {"03"},
         [](const Args& a) { return selectScanDelete(freshReceiver(), a[0]); }},
        {"searchBankDelete",
         {"C"},
         [](const Args& a) { return searchBankDelete(freshReceiver(), a[0]); }},
        {"passDelete",
         {"C", "05"},
         [](const Args& a) { return passDelete(a[0].empty() ? '\0' : a[0][0], a[1]); }},
        {"searchBankWrite",
         {"c", "0145012500", "0146000000", "025000", "1", "Airband"},
         [](const Args& a) {
             SearchBankSettings b;
             b.bank = a[0].empty() ? '\0' : a[0][0];
             b.lowerDigits = a[1];
             b.upperDigits = a[2];
             b.stepOffset = true;
             b.stepCode = a[3];
             b.modeDigit = a[4].empty() ? '\0' : a[4][0];
             b.name = a[5];
             return searchBankWrite(b);
         }},
        {"collectOptionCommands",
         {"HELLO WORLD", "05", "5"},
         [](const Args& a) {
             const ReceiverOptions before{kUserMessage, std::string(48, ' '), "xx", "9"};
             const ReceiverOptions now{kUserMessage, a[0], a[1], a[2]};
             return collectOptionCommands(before, now, false).commands;
         }},
    };
}

// Only CR, and only as the end of a command, may be below 0x20.
bool onlyCommandEnds(const std::string& wire) {
    for (char c : wire) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\r') || u == 0x7F) {
            return false;
        }
    }
    return true;
}

std::size_t commandCount(const std::string& wire) {
    return static_cast<std::size_t>(std::count(wire.begin(), wire.end(), '\r'));
}

// Removing the control characters gives back the clean argument, so the wire
// must be the clean command, or nothing where a builder refuses the text. A
// smuggled "\rQP\r" may leave "QP" as text, never as a command of its own.
TEST(Sanitising, NoBuilderLetsACrAnLfOrAControlCharacterThrough) {
    const std::string poisons[] = {"\r", "\n", "\x07", "\r\n", "\x7F", "\rQP\r"};
    for (const Builder& b : builders()) {
        const std::string expected = b.build(b.clean);
        ASSERT_FALSE(expected.empty()) << b.name << " gives nothing for its clean arguments";
        ASSERT_TRUE(onlyCommandEnds(expected)) << b.name;
        for (std::size_t i = 0; i < b.clean.size(); ++i) {
            for (const std::string& poison : poisons) {
                for (const std::size_t at : {std::size_t{0}, b.clean[i].size() / 2}) {
                    Args args = b.clean;
                    args[i].insert(at, poison);
                    const std::string wire = b.build(args);
                    SCOPED_TRACE(std::string(b.name) + " argument " + std::to_string(i) + " " +
                                 testing::PrintToString(args[i]));
                    EXPECT_TRUE(onlyCommandEnds(wire));
                    if (poison.find("QP") == std::string::npos) {
                        EXPECT_TRUE(wire == expected || wire.empty())
                            << "got " << testing::PrintToString(wire);
                    } else {
                        EXPECT_TRUE(wire.empty() || commandCount(wire) == commandCount(expected))
                            << "got " << testing::PrintToString(wire);
                    }
                }
            }
        }
    }
}

// The group dialogs' link text only ever yields bank letters and "-" in the
// change mask, whatever it holds.
TEST(Sanitising, GroupLinkTextsNeverReachTheWire) {
    GroupSettings s;
    s.links = "A\r\nQP\r" + std::string(16, '-');
    for (const std::string& wire :
         {scanGroupSettingsText(s, "\rGM\n"), searchGroupSettingsText(3, s, "\x07\r"),
          searchGroupSettingsText(kVfoSearchGroup, s, "\r")}) {
        EXPECT_TRUE(onlyCommandEnds(wire)) << testing::PrintToString(wire);
        EXPECT_EQ(wire.find("QP"), std::string::npos) << testing::PrintToString(wire);
    }
    EXPECT_EQ(commandCount(scanGroupSettingsText(s, "\r")), 8u);
    EXPECT_EQ(commandCount(searchGroupSettingsText(3, s, "\r")), 8u);
}

// A one-character argument that is only a control character: nothing.
TEST(Sanitising, ASingleControlCharacterArgumentGivesNothing) {
    EXPECT_EQ(cmd::vlSet('\r'), "");
    EXPECT_EQ(cmd::openingMessageSet('\n', "HI"), "");
    EXPECT_EQ(cmd::passDelete('\r', "05"), "");
    SearchBankSettings bank;
    bank.bank = '\r';
    bank.name = "NAME";
    EXPECT_EQ(searchBankWrite(bank), "");
}

}  // namespace
}  // namespace korvex
