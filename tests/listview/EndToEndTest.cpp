// End to end: the real main frame with its list view, against the
// simulator tool on a pseudo-terminal, checked by what crosses the wire.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/Process.h"
#include "ui/MainFrame.h"
#include "ui/ZelView.h"
#include "ui/dialogs/TextEntryDialog.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ListViewEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/korvex-listview-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_TRUE(sim.start({AR8600_SIM_PATH, "--log", dir + "/sim.log"}, {}, dir + "/sim.out"));
        ASSERT_TRUE(
            pump([&] { return readFile(dir + "/sim.out").find('\n') != std::string::npos; }, 5s));
        const std::string out = readFile(dir + "/sim.out");
        device = out.substr(0, out.find('\n'));
    }
    void TearDown() override {
        frame.reset();
        sim.kill(SIGTERM);
        sim.wait(2s);
        std::filesystem::remove_all(dir);
    }

    // Runs the event loop until done() holds or the time is up.
    static bool pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limit.count()) {
            if (done()) {
                return true;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(10ms);
        }
        return done();
    }

    std::vector<std::string> wire() const {
        std::vector<std::string> commands;
        std::istringstream in(readFile(dir + "/sim.log"));
        std::string line;
        while (std::getline(in, line)) {
            const auto tab = line.find('\t');
            if (tab != std::string::npos) {
                commands.push_back(line.substr(tab + 1));
            }
        }
        return commands;
    }
    bool wireHas(const std::string& command) const {
        const auto w = wire();
        return std::find(w.begin(), w.end(), command) != w.end();
    }

    void startFrame() {
        FrameOptions options;
        options.portDevice = QString::fromStdString(device);
        options.configDir = QString::fromStdString(dir);
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
        frame->start();
        ASSERT_TRUE(
            pump([&] { return wireHas("LB") && frame->pollFields().commandQueue.empty(); }, 30s))
            << readFile(dir + "/sim.log");
        view = qobject_cast<CZelView*>(frame->listView());
        ASSERT_NE(view, nullptr);
    }

    std::string dir;
    std::string device;
    Process sim;
    std::unique_ptr<CMainFrame> frame;
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
                                                                    << readFile(dir + "/sim.log");
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
        << readFile(dir + "/sim.log");
    ASSERT_TRUE(pump([&] { return view->itemText(5, 7).starts_with("E2E store"); }, 10s));
    EXPECT_EQ(view->itemText(5, 2), "0145.500000");
    EXPECT_EQ(view->selectedRow(), 5);
}

}  // namespace
}  // namespace korvex::test
