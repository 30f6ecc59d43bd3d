// End to end: the real window on the simulator's pseudo-terminal. DB1 is a
// copy of a dBASE fixture; a row is tuned, the simulator receives the
// frequency and the mode, and the VFO's new frequency is appended to the
// table, which shapelib's dbfdump reads back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "tests/dbframe/FrameDbTest.h"
#include "tests/support/FrameOnSimulator.h"
#include "ui/dialogs/AddDatabaseEntryDialog.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class DbWireTest : public PromptRecorder {
protected:
    void SetUp() override {
        PromptRecorder::SetUp();
        ASSERT_FALSE(folder.dir().empty());
        table = folder.copy("freqs.dbf");
        folder.configure(1, table, "dBASE III;", kFreqFields, false);
        ASSERT_TRUE(run.start({}, QSize(1000, 700))) << sim.log();
        frame = run.frame.get();
    }
    void TearDown() override {
        run.stop();
        PromptRecorder::TearDown();
    }

    bool idle() const { return run.idle(); }
    bool sentAfter(std::size_t from, const std::string& word) const { return sim.sent(word, from); }
    CZelView& view() { return *qobject_cast<CZelView*>(frame->listView()); }
    CTuningPanel& panel() { return *qobject_cast<CTuningPanel*>(frame->tuningPanel()); }

    DbFolder folder;
    std::filesystem::path table;
    // The frame's settings in the tables' folder, beside its dbconf.ini.
    FrameOnSimulator run{FrameOnSimulator::InFolder{folder.dir().string()}};
    const std::string& dir = run.dir;
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
};

TEST_F(DbWireTest, TuneReachesTheReceiverAndVfoToDatabaseAppendsARecord) {
    frame->action(CommandId::ConnectDb1)->trigger();
    panel().actions().chooseList(kDatabasePosition);
    // The list follows with the display update of the next reply.
    ASSERT_TRUE(pumpUntil([&] { return view().itemCount() == 20; }, 5000));
    int row = -1;
    for (int r = 0; r < view().itemCount(); ++r) {
        if (view().itemText(r, 0) == "14.230000") {
            row = r;
        }
    }
    ASSERT_GE(row, 0);
    view().selectItem(row);
    const std::size_t before = sim.mark();
    view().runEntry(ListEntry::TuneFromDatabase);
    ASSERT_TRUE(pumpUntil([&] { return sentAfter(before, "MD3") && idle(); }, 10000)) << sim.log();
    EXPECT_TRUE(sentAfter(before, "RF0014230000"));
    const CReceiver& rx = frame->receiver();
    ASSERT_TRUE(pumpUntil(
        [&] {
            const std::int64_t hz = rx.operatingState == kStateVfoA   ? rx.vfoAValue
                                    : rx.operatingState == kStateVfoB ? rx.vfoBValue
                                                                      : rx.vfoValue;
            return idle() && hz == 14'230'000 && kModeNamesByIndex[rx.mode] == "USB";
        },
        10000));

    bool added = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CAddDatabaseEntryDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->valueEdit(1)->text(), "USB");
        dialog->valueEdit(2)->setText(QStringLiteral("Wire test"));
        dialog->findChild<QPushButton*>(QStringLiteral("addToDatabase"))->click();
        added = !dialog->isVisible();
        if (!added) {
            dialog->reject();
        }
    });
    view().runEntry(ListEntry::VfoToDatabase);
    ASSERT_TRUE(added);
    EXPECT_TRUE(prompts.empty());

    // shapelib's own tool reads the appended record back.
    Process dump;
    ASSERT_TRUE(dump.start({DBFDUMP_PATH, "-m", table.string()}, {}, dir + "/dump.txt"));
    ASSERT_EQ(dump.wait(10s), 0);
    const std::string text = readFile(dir + "/dump.txt");
    const auto last = text.find("Record: 20");
    ASSERT_NE(last, std::string::npos) << text;
    const std::string record = text.substr(last);
    EXPECT_NE(record.find("FREQ:   14.23000"), std::string::npos) << record;
    EXPECT_NE(record.find("MODE: USB"), std::string::npos) << record;
    EXPECT_NE(record.find("NAME: Wire test"), std::string::npos) << record;
    EXPECT_EQ(text.find("Record: 21"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
