// The main window's databases: the slot commands with their check marks, the
// DATABASE list, Tune, Jump and Store Column Widths.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "tests/dbframe/DbFrameFixture.h"
#include "tests/dbframe/FrameDbTest.h"

namespace korvex::test {
namespace {

int findRow(const CZelView& view, const std::string& frequency) {
    for (int r = 0; r < view.itemCount(); ++r) {
        if (view.itemText(r, 0) == frequency) {
            return r;
        }
    }
    return -1;
}

TEST_F(FrameDbTest, ConnectChecksTheSlotAndTheListTakesItsColumns) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    showDatabase();
    EXPECT_EQ(view().columns(), listLayout(ListMode::Database));
    EXPECT_EQ(view().itemCount(), 3);

    trigger(CommandId::ConnectDb1);
    EXPECT_TRUE(frame->action(CommandId::ConnectDb1)->isChecked());
    EXPECT_FALSE(frame->action(CommandId::ConnectDb2)->isChecked());
    EXPECT_EQ(view().columns()[0], (ListColumn{"FREQ", 50}));
    EXPECT_EQ(view().columns()[1].caption, "MODE");
    EXPECT_EQ(view().columns()[2].caption, "NAME");
    EXPECT_EQ(view().columns()[3].caption, "");
    EXPECT_EQ(view().columnWidth(0), scaledWidth(50, view().font()));
    ASSERT_EQ(view().itemCount(), 20);
    EXPECT_EQ(view().itemText(3, 0), "145.500000");
    EXPECT_EQ(view().itemText(3, 2), "Calling S20");
    EXPECT_TRUE(prompts.empty());
}

TEST_F(FrameDbTest, TheActiveSlotIsDisconnectedOnlyAfterTheQuestion) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    folder.configure(2, folder.copy("pyfreqs.dbf"), "dBASE III;",
                     {"FREQ", "MODE", "NAME", "LOCATION"});
    showDatabase();
    trigger(CommandId::ConnectDb2);
    trigger(CommandId::ConnectDb1);
    EXPECT_TRUE(frame->action(CommandId::ConnectDb1)->isChecked());
    EXPECT_FALSE(frame->action(CommandId::ConnectDb2)->isChecked());
    EXPECT_EQ(view().columns()[3].caption, "");

    // The question's words and which slot stays connected are the slots'
    // own (SlotsTest); here, how it is asked and what the window shows.
    answers = {false};
    trigger(CommandId::ConnectDb1);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].icon, PromptIcon::Question);
    EXPECT_EQ(prompts[0].buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(frame->action(CommandId::ConnectDb1)->isChecked());
    EXPECT_EQ(view().itemCount(), 20);

    answers = {true};
    trigger(CommandId::ConnectDb1);
    EXPECT_FALSE(frame->action(CommandId::ConnectDb1)->isChecked());
    EXPECT_FALSE(frame->action(CommandId::ConnectDb2)->isChecked());
    EXPECT_EQ(view().columns(), listLayout(ListMode::Database));
    ASSERT_EQ(view().itemCount(), 3);
    EXPECT_EQ(view().itemText(1, 3), "connected");
    EXPECT_EQ(view().itemText(0, 3), "not connected");

    // Choosing DB2 again shows it with its columns.
    trigger(CommandId::ConnectDb2);
    EXPECT_TRUE(frame->action(CommandId::ConnectDb2)->isChecked());
    EXPECT_EQ(view().columns()[3].caption, "LOCATION");
    EXPECT_GT(view().itemCount(), 3);
}

TEST_F(FrameDbTest, TheThreeKindsOfTableListTheSameFrequencies) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    folder.configure(2, folder.copy("freqs.xls"), "Excel 5.0;", kFreqFields, true, false, "freqs");
    folder.configure(3, folder.copy("freqs.csv"), "Text;", kFreqFields);
    showDatabase();
    for (const CommandId id :
         {CommandId::ConnectDb1, CommandId::ConnectDb2, CommandId::ConnectDb3}) {
        trigger(id);
        ASSERT_EQ(view().itemCount(), 20) << static_cast<int>(id);
        EXPECT_EQ(view().itemText(4, 0), "145.762500");
        EXPECT_EQ(view().itemText(4, 1), "NFM");
        EXPECT_EQ(view().itemText(4, 2), "Repeater DB0XX");
    }
    EXPECT_TRUE(prompts.empty()) << prompts[0].text.toStdString();
}

TEST_F(FrameDbTest, AnUnconfiguredSlotSaysHowToSetItUp) {
    trigger(CommandId::ConnectDb3);
    // The words are the slots' (SlotsTest); the window shows them as a notice.
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "DB connection failed");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Information);
    EXPECT_FALSE(frame->action(CommandId::ConnectDb3)->isChecked());
}

TEST_F(FrameDbTest, ABigTableShowsFifteenThousandRowsAndClearsTheChangeFlag) {
    folder.configure(1, folder.copy("big.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    frame->document().entriesChanged = true;
    showDatabase();
    EXPECT_EQ(view().itemCount(), 15000);
    EXPECT_FALSE(frame->document().entriesChanged);
}

TEST_F(FrameDbTest, ARefillAskedForDuringTheFillDoesNotRestartTheTable) {
    folder.configure(1, folder.copy("big.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    // Runs inside the fill, when the progress window lets events through:
    // the log reports a change and the display update refills the list.
    bool nested = false;
    QTimer::singleShot(0, [&] {
        nested = true;
        frame->document().entriesChanged = true;
        panel().actions().refreshList(kDatabasePosition);
        panel().updateFromModel();
    });
    showDatabase();
    ASSERT_TRUE(nested);
    ASSERT_EQ(view().itemCount(), 15000);
    std::vector<std::string> during;
    for (int r = 0; r < view().itemCount(); ++r) {
        during.push_back(view().itemText(r, 0));
    }
    // The same rows as a fill on its own gives: read once, from the first record.
    panel().actions().refreshList(kDatabasePosition);
    ASSERT_EQ(view().itemCount(), 15000);
    for (int r = 0; r < view().itemCount(); r += 997) {
        EXPECT_EQ(during[static_cast<std::size_t>(r)], view().itemText(r, 0)) << r;
    }
    EXPECT_EQ(during.back(), view().itemText(14999, 0));
}

TEST_F(FrameDbTest, RefreshReadsTheTableAgainButALogChangeDoesNot) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields, false);
    trigger(CommandId::ConnectDb1);
    showDatabase();
    ASSERT_EQ(view().itemCount(), 20);
    db::RecordTexts record{"99.9", "WFM", "Added"};
    ASSERT_FALSE(activeDb().addRecord(record).has_value());

    frame->document().entriesChanged = true;
    panel().updateFromModel();
    EXPECT_EQ(view().itemCount(), 20);

    panel().actions().refreshList(kDatabasePosition);
    ASSERT_EQ(view().itemCount(), 21);
    EXPECT_EQ(view().itemText(20, 0), "99.900000");
    EXPECT_EQ(view().itemText(20, 2), "Added");
}

TEST_F(FrameDbTest, TuneQueuesTheFrequencyAndTheModeOfTheRow) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    showDatabase();
    view().selectItem(findRow(view(), "145.500000"));
    clearQueue();
    view().runEntry(ListEntry::TuneFromDatabase);
    EXPECT_EQ(queue().rfind("RF0145500000\r", 0), 0u) << queue();
    EXPECT_NE(queue().find("MD1\r"), std::string::npos) << queue();

    // Ctrl+Enter tunes too; a WFM row sets WFM.
    view().selectItem(findRow(view(), "88.500000"));
    clearQueue();
    view().defaultAction();
    EXPECT_EQ(queue().rfind("RF0088500000\r", 0), 0u) << queue();
    EXPECT_NE(queue().find("MD0\r"), std::string::npos) << queue();
}

TEST_F(FrameDbTest, TuneReadsAKilohertzListAsKilohertz) {
    folder.configure(1, folder.copy("freqs_khz.xls"), "Excel 5.0;", {"FREQKHZ", "MODUL", "DESCR"},
                     true, true, "freqs_khz");
    trigger(CommandId::ConnectDb1);
    showDatabase();
    ASSERT_EQ(view().itemCount(), 20) << (prompts.empty() ? "" : prompts[0].text.toStdString());
    const int row = findRow(view(), "145500.000");
    ASSERT_GE(row, 0) << view().itemText(0, 0);
    view().selectItem(row);
    clearQueue();
    view().runEntry(ListEntry::TuneFromDatabase);
    EXPECT_EQ(queue().rfind("RF0145500000\r", 0), 0u) << queue();
    EXPECT_NE(queue().find("MD1\r"), std::string::npos) << queue();
}

TEST_F(FrameDbTest, JumpSelectsTheFirstRowAtOrAboveTheVfo) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    showDatabase();
    view().sortByColumn(0);
    CReceiver& rx = frame->receiver();
    rx.operatingState = kStateVfoB;
    rx.vfoBValue = 145'000'000;
    ASSERT_TRUE(frame->action(CommandId::EditJump)->isEnabled());
    trigger(CommandId::EditJump);
    ASSERT_GE(view().selectedRow(), 0);
    EXPECT_EQ(view().itemText(view().selectedRow(), 0), "145.500000");

    // Exactly on a row's frequency: that row.
    rx.vfoBValue = 433'500'000;
    trigger(CommandId::EditJump);
    EXPECT_EQ(view().itemText(view().selectedRow(), 0), "433.500000");

    // Above every row, or in a memory state: the selection stays.
    rx.vfoBValue = 2'000'000'000;
    trigger(CommandId::EditJump);
    EXPECT_EQ(view().itemText(view().selectedRow(), 0), "433.500000");
    rx.vfoBValue = 100'000'000;
    rx.operatingState = kStateMemoryRead;
    trigger(CommandId::EditJump);
    EXPECT_EQ(view().itemText(view().selectedRow(), 0), "433.500000");

    rx.bandscopeRunning = true;
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action(CommandId::EditJump)->isEnabled());
}

TEST_F(FrameDbTest, JumpDoesNothingOutsideTheDatabaseList) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    CReceiver& rx = frame->receiver();
    rx.operatingState = kStateVfo;
    rx.vfoValue = 100'000'000;
    trigger(CommandId::EditJump);
    EXPECT_EQ(view().selectedRow(), -1);
}

TEST_F(FrameDbTest, StoreColumnWidthsWritesTheShownWidthsInEightPointPixels) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    showDatabase();
    const double scale = fontScale(view().font());
    view().setColumnWidth(0, static_cast<int>(std::lround(150 * scale)));
    view().setColumnWidth(2, static_cast<int>(std::lround(80 * scale)));
    view().selectItem(5);
    view().runEntry(ListEntry::StoreColumnWidths);

    const db::DbSlotConfig stored = db::readSlotConfig(folder.ini(), 1);
    const std::array<int, 9> expected = {150, 50, 80, 50, 50, 50, 50, 50, 50};
    EXPECT_EQ(stored.columnWidths, expected);
    EXPECT_NE(folder.read(folder.ini()).find("cw0=150"), std::string::npos);
    // The list keeps its rows, its selection and the widths.
    EXPECT_EQ(view().itemCount(), 20);
    EXPECT_EQ(view().selectedRow(), 5);
    EXPECT_EQ(view().columnWidth(0), static_cast<int>(std::lround(150 * scale)));
    // The next time the list is chosen it has them too.
    showDatabase();
    EXPECT_EQ(view().columnWidth(2), scaledWidth(80, view().font()));
}

TEST_F(FrameDbTest, StoreColumnWidthsKeepsASortedListAndItsSelectedRecord) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    showDatabase();
    view().sortByColumn(0);
    const int row = findRow(view(), "3.560500");
    ASSERT_GE(row, 0);
    view().selectItem(row);
    const std::string first = view().itemText(0, 0);
    view().runEntry(ListEntry::StoreColumnWidths);
    EXPECT_EQ(view().itemText(0, 0), first);
    ASSERT_EQ(view().selectedRow(), row);
    EXPECT_EQ(view().itemText(row, 0), "3.560500");
    EXPECT_EQ(view().itemText(row, 1), "CW");
}

TEST_F(FrameDbTest, TheCloseSequenceClosesTheConnections) {
    folder.configure(1, folder.copy("freqs.dbf"), "dBASE III;", kFreqFields);
    folder.configure(2, folder.copy("pyfreqs.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    trigger(CommandId::ConnectDb2);
    frame->close();
    EXPECT_FALSE(dbSlots().connected(1));
    EXPECT_FALSE(dbSlots().connected(2));
    EXPECT_EQ(dbSlots().activeDb(), nullptr);
}

}  // namespace
}  // namespace korvex::test
