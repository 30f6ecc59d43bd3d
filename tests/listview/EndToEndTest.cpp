// End to end: the real main frame with its list view, against the
// simulator tool on a pseudo-terminal, checked by what crosses the wire.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "tests/support/FrameOnSimulator.h"
#include "ui/MainFrame.h"
#include "ui/ZelView.h"
#include "ui/dialogs/TextEntryDialog.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ListViewEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(run.startSimulator()); }
    void TearDown() override { run.stop(); }

    // Runs the event loop until done() holds or the time is up.
    bool pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return run.pump(done, limit);
    }

    std::vector<std::string> wire() const { return sim.wire(); }
    bool wireHas(const std::string& command) const { return sim.sent(command); }

    void startFrame() {
        ASSERT_TRUE(run.startFrame(30s)) << sim.log();
        frame = run.frame.get();
        view = qobject_cast<CZelView*>(frame->listView());
        ASSERT_NE(view, nullptr);
    }

    FrameOnSimulator run{"korvex-listview-e2e"};
    const std::string& dir = run.dir;
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
    CZelView* view = nullptr;
};

TEST_F(ListViewEndToEnd, ChoosingBankBReadsItsPagesAndShowsFiftyRows) {
    ASSERT_NO_FATAL_FAILURE(startFrame());
    auto* selector = qobject_cast<QComboBox*>(frame->panelHooks().listSelector.data());
    ASSERT_NE(selector, nullptr);
    const std::size_t before = wire().size();
    selector->setCurrentIndex(11);  // the twelfth bank, b
    emit selector->activated(11);
    ASSERT_TRUE(pump([&] { return view->itemCount() == 50; }, 30s)) << view->itemCount() << "\n"
                                                                    << sim.log();
    auto w = wire();
    w.erase(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(before));
    const std::vector<std::string> pages = {"MAb", "MA", "MA", "MA", "MA"};
    ASSERT_GE(w.size(), pages.size());
    const auto at = std::search(w.begin(), w.end(), pages.begin(), pages.end());
    EXPECT_NE(at, w.end()) << "the bank read and its four further pages";
    EXPECT_EQ(view->itemText(0, 0), "b00");
    EXPECT_EQ(view->itemText(0, 7), "Calling     ");  // the receiver pads names to 12
    EXPECT_EQ(view->itemText(49, 0), "b49");
    EXPECT_EQ(view->itemText(3, 2), std::string(EMPTY_FIELD));
    const QString shot = QStringLiteral(SCREENSHOT_DIR "/listview-bank-b.png");
    frame->grab().save(shot);
}

TEST_F(ListViewEndToEnd, StoringTheVfoIntoAnEmptySlotWritesItAndChangesTheRow) {
    ASSERT_NO_FATAL_FAILURE(startFrame());
    auto* selector = qobject_cast<QComboBox*>(frame->panelHooks().listSelector.data());
    ASSERT_NE(selector, nullptr);
    selector->setCurrentIndex(11);
    emit selector->activated(11);
    ASSERT_TRUE(pump(
        [&] { return view->itemCount() == 50 && frame->pollFields().commandQueue.empty(); }, 30s));
    // Back to the plain VFO, so the store is allowed.
    frame->appendCommands("VF\rRX\r");
    ASSERT_TRUE(pump([&] { return frame->receiver().operatingState == kStateVfo; }, 10s))
        << frame->receiver().operatingState;
    view->selectItem(5);
    ASSERT_TRUE(view->entryEnabled(ListEntry::StoreVfo));
    QTimer::singleShot(100, [] {
        auto* dialog = qobject_cast<CTextEntryDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->field()->setText(QStringLiteral("E2E store"));
        dialog->accept();
    });
    view->storeVfoHere();
    ASSERT_TRUE(
        pump([&] { return wireHas("MXb05 RF0145500000 AU0 ST012500 MD1 AT0 TME2E store"); }, 10s))
        << sim.log();
    ASSERT_TRUE(pump([&] { return view->itemText(5, 7).starts_with("E2E store"); }, 10s));
    EXPECT_EQ(view->itemText(5, 2), "0145.500000");
    EXPECT_EQ(view->selectedRow(), 5);
}

}  // namespace
}  // namespace korvex::test
