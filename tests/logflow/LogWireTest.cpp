// End to end: the real window, its log and the sound library on ALSA's null
// devices, against the simulator on a pseudo-terminal playing a scripted
// band. Every scripted transmission the memory scan meets becomes one entry,
// one CR LF line in the log file and one WAV file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "link/Commands.h"
#include "log/LogControl.h"
#include "log/LogFile.h"
#include "tests/support/FrameOnSimulator.h"
#include "ui/ListKind.h"
#include "ui/MainFrame.h"
#include "ui/ZelView.h"
#include "ui/ZelViewMenu.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Two transmissions on channels of scan group 0, after the read-out.
constexpr const char* kBand =
    "# start_ms frequency_hz level duration_ms\n"
    "14000  145612500 120 5000\n"
    "26000  446006250 150 5000\n";

class LogWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.empty());
        std::ofstream(dir + "/band.txt") << kBand;
        // No sound card here: ALSA's null devices, whatever the caller has.
        ::setenv("MRQSND_CAPTURE_DEVICE", "null", 1);
        ::setenv("MRQSND_PLAYBACK_DEVICE", "null", 1);
        ASSERT_TRUE(run.startSimulator({"--scenario", dir + "/band.txt"}));
        frame = &run.makeFrame();
        frame->settings().saveOnExit = false;
        frame->settings().logAudio = true;
        frame->settings().logOpenTime = 1;
        frame->settings().logCloseTime = 2;
        LogFileDialogs dialogs;
        dialogs.chooseNew = [this](QWidget*, const QString&) {
            return std::optional<QString>(QString::fromStdString(logPath()));
        };
        dialogs.open = dialogs.chooseNew;
        frame->setLogFileDialogs(dialogs);
        ASSERT_TRUE(run.startFrame()) << sim.log();
    }

    std::string logPath() const { return dir + "/air.log"; }
    CZelView* view() { return qobject_cast<CZelView*>(frame->listView()); }

    FrameOnSimulator run{"korvex-logflow"};
    const std::string& dir = run.dir;
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
};

TEST_F(LogWireTest, AScannedBandBecomesEntriesWithRecordingsThatPlayAndDelete) {
    frame->startLog();
    ASSERT_TRUE(frame->receiver().logActive);
    frame->appendCommands(cmd::memoryScanStart());
    ASSERT_TRUE(pumpUntil([&] { return frame->document().entryCount() == 2; }, 45'000))
        << sim.log();
    frame->stopLog();
    ASSERT_TRUE(pumpUntil([&] { return !frame->logControl().threadExists(); }, 5000));

    const auto entries = frame->document().entries();
    EXPECT_EQ(entries[0].frequency, "145.612500");
    EXPECT_EQ(entries[0].level, "120");
    EXPECT_EQ(entries[1].frequency, "446.006250");
    EXPECT_EQ(entries[1].level, "150");
    const std::string text = readFile(logPath());
    ASSERT_EQ(parseLogText(text), entries);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 2);
    for (const LogEntry& e : entries) {
        ASSERT_TRUE(e.hasAudio());
        EXPECT_EQ(e.audioFile.rfind("air", 0), 0u);
        const std::string wav = dir + "/" + e.audioFile;
        EXPECT_EQ(std::system(("soxi -t '" + wav + "' >/dev/null").c_str()), 0) << wav;
    }

    // The LOG VIEW shows them; playing works; deleting removes the WAV and
    // rewrites the file.
    view()->switchLayout(ListMode::LogView);
    view()->refill();
    ASSERT_EQ(view()->itemCount(), 2);
    EXPECT_EQ(view()->itemText(1, 3), "446.006250");
    view()->selectItem(0);
    frame->listHooks().playAudio();
    EXPECT_TRUE(frame->sound().isPlaying());
    view()->runEntry(ListEntry::StopPlaying);
    EXPECT_FALSE(frame->sound().isPlaying());

    view()->selectItem(1);
    frame->listHooks().deleteLogEntry();
    EXPECT_FALSE(fs::exists(dir + "/" + entries[1].audioFile));
    EXPECT_TRUE(fs::exists(dir + "/" + entries[0].audioFile));
    EXPECT_EQ(readFile(logPath()), formatLogLine(entries[0], "\n"));
    ASSERT_TRUE(pumpUntil([&] { return view()->itemCount() == 1; }, 5000))
        << "the NL reply refills the view";
}

}  // namespace
}  // namespace korvex::test
