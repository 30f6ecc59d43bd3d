// The three slots behind "Connect to DB1..3": connecting, switching,
// disconnecting after the question, and what is said when a slot cannot be
// connected. Closing them all is tested with the window's close (FrameTest).
#include <gtest/gtest.h>

#include <fstream>

#include "database/DatabaseSlots.h"
#include "tests/dbframe/DbFrameFixture.h"

namespace korvex::test {
namespace {

class RecordingHost : public db::SlotHost {
public:
    bool confirm(const std::string& text, const std::string& caption) override {
        questions.push_back(text + "|" + caption);
        return answer;
    }
    void tell(const db::DbMessage& message) override { messages.push_back(message); }

    bool answer = true;
    std::vector<std::string> questions;
    std::vector<db::DbMessage> messages;
};

class Slots : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.dir().empty());
        db::ensureDbConf(folder.ini());
        dbSlots.setIniPath(folder.ini());
    }
    void configureTwo() {
        folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
        folder.configure(2, folder.copy("pyfreqs.dbf"), "dBASE III;", kFreqFields);
    }
    std::string firstFrequency(db::CDbDao& dao) {
        db::RecordTexts texts;
        return dao.readRecord(false, texts) ? texts[0] : std::string("(none)");
    }

    DbFolder folder;
    RecordingHost host;
    db::DatabaseSlots dbSlots{host};
};

TEST_F(Slots, AnUnconfiguredSlotIsToldAndLeavesTheActiveOneAlone) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(1));
    EXPECT_FALSE(dbSlots.connectSlot(3));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Database connection not configured.\nUse Settings -> Database Settings for setup");
    EXPECT_EQ(host.messages[0].caption, "DB connection failed");
    EXPECT_EQ(host.messages[0].icon, db::DbMessage::Icon::Information);
    EXPECT_EQ(dbSlots.activeSlot(), 1);
    EXPECT_FALSE(dbSlots.connected(3));
}

TEST_F(Slots, AFileWithoutTheSlotsSectionReadsAsNotConfigured) {
    std::ofstream(folder.ini(), std::ios::trunc) << "[DB1]\r\nfile=\r\n";
    EXPECT_FALSE(dbSlots.connectSlot(3));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "DB connection failed");
}

TEST_F(Slots, SwitchingKeepsTheOthersConnectedWithoutReconnecting) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(1));
    db::CDbDao* first = dbSlots.activeDb();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(dbSlots.connectSlot(2));
    EXPECT_EQ(dbSlots.activeSlot(), 2);
    EXPECT_NE(dbSlots.activeDb(), first);
    EXPECT_TRUE(dbSlots.connected(1));
    // Back to DB1: the same connection, no question, no message.
    ASSERT_TRUE(dbSlots.connectSlot(1));
    EXPECT_EQ(dbSlots.activeDb(), first);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Slots, TheActiveSlotDisconnectsOnlyAfterOk) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(2));
    ASSERT_TRUE(dbSlots.connectSlot(1));
    host.answer = false;
    EXPECT_FALSE(dbSlots.connectSlot(1));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "Really disconnect DB1 ?|Confirm");
    EXPECT_EQ(dbSlots.activeSlot(), 1);

    host.answer = true;
    EXPECT_TRUE(dbSlots.connectSlot(1));
    EXPECT_EQ(dbSlots.activeSlot(), 0);
    EXPECT_EQ(dbSlots.activeDb(), nullptr);
    EXPECT_FALSE(dbSlots.connected(1));
    // DB2 stays connected but is not active until chosen again.
    EXPECT_TRUE(dbSlots.connected(2));
    db::CDbDao* second = dbSlots.slotDb(2);
    EXPECT_TRUE(dbSlots.connectSlot(2));
    EXPECT_EQ(dbSlots.activeDb(), second);
    // Asked once for Cancel, once for OK, never for DB2.
    EXPECT_EQ(host.questions.size(), 2u);
}

TEST_F(Slots, AFailedConnectKeepsThePreviousDatabaseActive) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(1));
    const auto gone = folder.dir() / "gone.dbf";
    folder.configure(3, gone, "dBASE III;", kFreqFields);
    EXPECT_FALSE(dbSlots.connectSlot(3));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "File open failed");
    EXPECT_EQ(host.messages[0].text.rfind("Could not open file. Cause: ", 0), 0u);
    EXPECT_EQ(dbSlots.activeSlot(), 1);
    EXPECT_FALSE(dbSlots.connected(3));
}

TEST_F(Slots, EveryFillStartsAtTheFirstRecord) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(1));
    db::CDbDao* dao = dbSlots.rewoundActive();
    ASSERT_NE(dao, nullptr);
    const std::string first = firstFrequency(*dao);
    db::RecordTexts texts;
    while (dao->readRecord(true, texts)) {
    }
    dao = dbSlots.rewoundActive();
    ASSERT_NE(dao, nullptr);
    EXPECT_EQ(firstFrequency(*dao), first);
    EXPECT_EQ(dbSlots.activeSlot(), 1);
}

TEST_F(Slots, ATableGoneBeforeARefillDisconnectsItsSlot) {
    configureTwo();
    ASSERT_TRUE(dbSlots.connectSlot(1));
    ASSERT_NE(dbSlots.rewoundActive(), nullptr);
    std::filesystem::remove(folder.dir() / "freqs.dbf");
    EXPECT_EQ(dbSlots.rewoundActive(), nullptr);
    EXPECT_EQ(dbSlots.activeSlot(), 0);
    EXPECT_FALSE(dbSlots.connected(1));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, "File open failed");
}

}  // namespace
}  // namespace korvex::test
