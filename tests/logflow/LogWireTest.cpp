// End to end: the real window, its log and the sound library on ALSA's null
// devices, against the simulator on a pseudo-terminal playing a scripted
// band. Every scripted transmission the memory scan meets becomes one entry,
// one CR LF line in the log file and one WAV file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "link/Commands.h"
#include "log/LogControl.h"
#include "log/LogFile.h"
#include "tests/support/FrameOnSimulator.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/SmallTmpfs.h"
#include "ui/ListKind.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/ZelView.h"
#include "ui/ZelViewMenu.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Two transmissions on channels of scan group 0, timed from the start of
// the memory scan (the simulator's --scenario-from MS).
constexpr const char* kBand =
    "# start_ms frequency_hz level duration_ms\n"
    "1000   145612500 120 5000\n"
    "10000  446006250 150 5000\n";

class LogWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.empty());
        logDir = dir;
        std::ofstream(dir + "/band.txt") << band();
        ASSERT_TRUE(run.startSimulator({"--scenario", dir + "/band.txt", "--scenario-from", "MS"}));
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

    virtual std::string band() const { return kBand; }
    std::string logPath() const { return logDir + "/air.log"; }
    CZelView* view() { return qobject_cast<CZelView*>(frame->listView()); }

    FrameOnSimulator run{"korvex-logflow"};
    const std::string& dir = run.dir;
    std::string logDir;
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
    EXPECT_EQ(readFile(logPath()), formatLogLine(entries[0], "\r\n")) << "line ends kept";
    ASSERT_TRUE(pumpUntil([&] { return view()->itemCount() == 1; }, 5000))
        << "the NL reply refills the view";
}

// Closes every message box as it comes up and keeps its text.
class BoxCloser {
public:
    BoxCloser() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->reject();
            }
        });
        m_timer.start(50);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

// Three transmissions: the first two while the log's disk is full, the last
// after space came back.
class LogFullDiskWireTest : public LogWireTest {
protected:
    std::string band() const override {
        return "# start_ms frequency_hz level duration_ms\n"
               "1000   145612500 120 5000\n"
               "10000  446006250 150 5000\n"
               "21000  145612500 130 5000\n";
    }
};

TEST_F(LogFullDiskWireTest, AFullDiskIsToldOnceKeepsTheEntriesAndMarksTheirRecordings) {
    logDir = dir + "/disk";
    fs::create_directory(logDir);
    SmallTmpfs disk(logDir, 64 * 1024);
    if (!disk.ok()) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    disk.fill("filler");
    BoxCloser boxes;
    frame->startLog();
    ASSERT_TRUE(frame->receiver().logActive);
    frame->appendCommands(cmd::memoryScanStart());
    ASSERT_TRUE(pumpUntil([&] { return frame->document().entryCount() == 2; }, 45'000))
        << readFile(dir + "/sim.log");
    ASSERT_TRUE(pumpUntil(
        [&] {
            return frame->statusPanes().alert().contains(
                QStringLiteral("Entries waiting for the file: 2"));
        },
        5000))
        << frame->statusPanes().alert().toStdString();
    EXPECT_EQ(boxes.texts.size(), 2) << boxes.texts.join(" | ").toStdString();
    EXPECT_EQ(readFile(logPath()), "") << "nothing, and no part of a line";
    const QString alert = frame->statusPanes().alert();
    EXPECT_TRUE(alert.contains(QStringLiteral("Unable to write the log file")))
        << alert.toStdString();
    EXPECT_TRUE(alert.contains(QStringLiteral("No usable recording"))) << alert.toStdString();

    fs::remove(logDir + "/filler");
    ASSERT_TRUE(pumpUntil([&] { return frame->document().entryCount() == 3; }, 30'000))
        << readFile(dir + "/sim.log");
    frame->stopLog();
    ASSERT_TRUE(pumpUntil([&] { return !frame->logControl().threadExists(); }, 5000));
    QTest::qWait(200);

    // One box for the log file and one for the recordings, however many
    // entries failed; the status bar said it until it was over.
    ASSERT_EQ(boxes.texts.size(), 2) << boxes.texts.join(" | ").toStdString();
    EXPECT_TRUE(boxes.texts.join(" ").contains(QStringLiteral("No space left on device")));
    EXPECT_EQ(frame->statusPanes().alert(), QString());

    const auto entries = frame->document().entries();
    EXPECT_EQ(parseLogText(readFile(logPath())), entries) << "every entry, in order";
    EXPECT_EQ(entries[0].audioFile.rfind("-air", 0), 0u) << entries[0].audioFile;
    EXPECT_EQ(entries[1].audioFile.rfind("-air", 0), 0u) << entries[1].audioFile;
    ASSERT_TRUE(entries[2].hasAudio());
    std::vector<std::string> files;
    for (const auto& file : fs::directory_iterator(logDir)) {
        files.push_back(file.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"air.log", entries[2].audioFile}))
        << "no empty recordings left behind";

    view()->switchLayout(ListMode::LogView);
    view()->refill();
    ASSERT_EQ(view()->itemCount(), 3);
    EXPECT_EQ(view()->itemText(0, 5).substr(0, 1), "-");
}

}  // namespace
}  // namespace korvex::test
