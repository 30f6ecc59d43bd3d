// The station without any widget: a core application, the station on the
// simulator tool's pseudo-terminal, and its operations called as the window's
// commands call them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "link/qt/QtSerialPort.h"
#include "log/LogControl.h"
#include "log/LogFile.h"
#include "station/HeadlessHost.h"
#include "station/RigctlListener.h"
#include "station/Station.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

// Two transmissions on channels of scan group 0, after the read-out.
constexpr const char* kBand =
    "# start_ms frequency_hz level duration_ms\n"
    "9000   145612500 120 4000\n"
    "17000  446006250 150 4000\n";

class StationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.empty());
        std::ofstream(dir + "/band.txt") << kBand;
        ASSERT_TRUE(sim.start(dir, {"--scenario", dir + "/band.txt"}));
        StationOptions options;
        options.portDevice = QString::fromStdString(sim.device());
        options.configDir = QString::fromStdString(dir);
        hostOut = std::tmpfile();
        host = std::make_unique<HeadlessHost>(hostOut);
        station = std::make_unique<CStation>(options, *host);
        ASSERT_EQ(station->loadSettings(), "");
        station->settings().saveOnExit = false;
    }
    void TearDown() override {
        station.reset();
        host.reset();
        if (hostOut != nullptr) {
            std::fclose(hostOut);
        }
        sim.stop();
    }

    // Opens the port and waits until the read-out has ended.
    void startAndReadOut() {
        ASSERT_TRUE(station->openPort()) << station->serialPort().errorText();
        station->startPolling();
        ASSERT_TRUE(
            sim.waitUntil([&] { return sim.sent("LB") && idle(); }, std::chrono::seconds(20)))
            << sim.log();
    }
    bool idle() const {
        return station->pollFields().commandQueue.empty() &&
               station->receiver().linkState == LinkState::Idle;
    }
    // What the host wrote so far.
    std::string hostText() const {
        std::fflush(hostOut);
        std::rewind(hostOut);
        std::string text;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, hostOut) != nullptr) {
            text += buffer;
        }
        return text;
    }

    TempDir temp{"korvex-station"};
    std::string dir = temp.path();
    Simulator sim{[](const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return pumpUntil(done, static_cast<int>(limit.count()));
    }};
    std::FILE* hostOut = nullptr;
    std::unique_ptr<HeadlessHost> host;
    std::unique_ptr<CStation> station;
};

TEST_F(StationTest, ReadsTheReceiverOutAndTunesAsATypedFrequency) {
    int refreshes = 0;
    QObject::connect(station.get(), &CStation::modelChanged, [&] { ++refreshes; });
    startAndReadOut();
    EXPECT_GT(refreshes, 0) << "every decoded reply is told";

    // Invalid texts queue nothing; a valid one is sent with the status read.
    EXPECT_FALSE(station->tune("abc"));
    EXPECT_FALSE(station->tune("9999"));
    EXPECT_FALSE(station->tuneHz(0));
    EXPECT_TRUE(station->pollFields().commandQueue.empty());
    const std::size_t from = sim.mark();
    ASSERT_TRUE(station->tuneHz(145'500'000));
    ASSERT_TRUE(sim.waitSent("RF0145500000", from)) << sim.log();
    ASSERT_TRUE(sim.waitUntil([&] { return idle(); }));
    EXPECT_EQ(station->receiver().vfoValue, 145'500'000);

    // Outside a VFO state the VFO comes first, as the panel does it.
    ASSERT_TRUE(station->startMemoryScan(0));
    ASSERT_TRUE(sim.waitSent("MS", from)) << sim.log();
    EXPECT_TRUE(sim.sentInOrder(from, {"GM0", "MS"}));
    ASSERT_TRUE(sim.waitUntil([&] { return idle(); }));
    const std::size_t scanning = sim.mark();
    ASSERT_TRUE(station->tune("433.5"));
    ASSERT_TRUE(sim.waitInOrder(scanning, {"VF", "RF0433500000"})) << sim.log();

    EXPECT_FALSE(station->startMemoryScan(10));
    EXPECT_FALSE(station->startSearch("U"));
    EXPECT_FALSE(station->startSearch("AB"));
    ASSERT_TRUE(station->startSearch("A"));
    EXPECT_TRUE(sim.waitSent("SSA", scanning)) << sim.log();
}

TEST_F(StationTest, LogsAScannedBandWithRecordingsAndTellsEachEntry) {
    station->settings().logAudio = true;
    station->settings().logOpenTime = 1;
    station->settings().logCloseTime = 2;
    std::vector<LogEntry> told;
    QObject::connect(station.get(), &CStation::logEntryAdded,
                     [&](const LogEntry& entry) { told.push_back(entry); });
    startAndReadOut();
    EXPECT_FALSE(station->startLog()) << "no log file chosen yet";
    const std::string path = dir + "/air.log";
    ASSERT_TRUE(station->useLogFile(path));
    EXPECT_EQ(station->logFilePath(), path);
    ASSERT_TRUE(station->startLog());
    EXPECT_TRUE(station->receiver().logActive);
    ASSERT_TRUE(station->startMemoryScan(0));
    ASSERT_TRUE(pumpUntil([&] { return told.size() == 2; }, 45'000)) << sim.log();
    station->stopLog();
    EXPECT_FALSE(station->receiver().logActive);
    ASSERT_TRUE(pumpUntil([&] { return !station->logControl().threadExists(); }, 5000));

    EXPECT_EQ(told, station->document().entries());
    EXPECT_EQ(parseLogText(readFile(path)), told);
    EXPECT_EQ(told[0].frequency, "145.612500");
    EXPECT_EQ(told[1].frequency, "446.006250");
    for (const LogEntry& entry : told) {
        ASSERT_TRUE(entry.hasAudio());
        EXPECT_GT(fs::file_size(dir + "/" + entry.audioFile), 44u) << entry.audioFile;
    }
}

TEST_F(StationTest, RecordsNowAndStopsTheRecording) {
    startAndReadOut();
    ASSERT_TRUE(station->useLogFile(dir + "/manual.log"));
    ASSERT_TRUE(station->logControl().canRecordNow());
    station->recordNow();
    ASSERT_TRUE(pumpUntil([&] { return station->sound().isRecording(); }, 5000));
    // "REC" blinks in the indicator while it records.
    ASSERT_TRUE(pumpUntil([&] { return station->pollFields().recIndicator == "REC"; }, 5000));
    QTest::qWait(500);
    station->stopRecording();
    EXPECT_FALSE(station->sound().isRecording());
    bool wav = false;
    for (const auto& file : fs::directory_iterator(dir)) {
        wav = wav || file.path().extension() == ".wav";
    }
    EXPECT_TRUE(wav);
}

TEST_F(StationTest, ServesRigctlAndRefusesAPortInUse) {
    startAndReadOut();
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    QString text;
    EXPECT_FALSE(station->startRigctl(taken.serverPort(), &text));
    EXPECT_TRUE(text.contains(QStringLiteral("cannot listen"))) << text.toStdString();
    EXPECT_FALSE(station->rigctl().isListening());

    const quint16 port = taken.serverPort();
    taken.close();
    ASSERT_TRUE(station->startRigctl(port, &text)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::number(port)));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(pumpUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }, 5000));
    client.write("f\n");
    QByteArray reply;
    ASSERT_TRUE(pumpUntil(
        [&] {
            reply += client.readAll();
            return reply.contains('\n');
        },
        5000));
    const long long hz = reply.trimmed().toLongLong();
    EXPECT_GT(hz, 0) << reply.toStdString();
    station->stopRigctl();
    EXPECT_FALSE(station->rigctl().isListening());
}

TEST_F(StationTest, ShutdownStopsTheLogAndSendsTheExitCommand) {
    startAndReadOut();
    ASSERT_TRUE(station->useLogFile(dir + "/air.log"));
    ASSERT_TRUE(station->startLog());
    const std::size_t from = sim.mark();
    station->shutdown();
    EXPECT_FALSE(station->isPolling());
    EXPECT_FALSE(station->logControl().threadExists());
    EXPECT_FALSE(station->serialPort().isOpen());
    ASSERT_TRUE(sim.waitSent("EX", from)) << sim.log();
    station->shutdown();  // a second close does nothing
}

TEST_F(StationTest, ShutdownWithOffOnExitSwitchesTheReceiverOff) {
    startAndReadOut();
    station->settings().offOnExit = true;
    const std::size_t from = sim.mark();
    station->shutdown();
    ASSERT_TRUE(sim.waitSent("QP", from)) << sim.log();
    EXPECT_FALSE(sim.sent("EX", from));
}

TEST_F(StationTest, AMissingPortIsRefusedWithItsReason) {
    StationOptions options;
    options.portDevice = QString::fromStdString(dir + "/no-such-device");
    options.configDir = QString::fromStdString(dir);
    HeadlessHost quiet(hostOut);
    CStation other(options, quiet);
    other.loadSettings();
    EXPECT_FALSE(other.openPort());
    EXPECT_NE(other.serialPort().errorText().find("no-such-device"), std::string::npos)
        << other.serialPort().errorText();
    EXPECT_FALSE(other.isPolling());
}

// Failures that come from no command: told through the host once each, and
// the station goes on.
TEST_F(StationTest, TraceWritesAndMemoryInATimerStepTellTheirFailuresOnce) {
    const auto count = [&](const std::string& what) {
        const std::string text = hostText();
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    station.reset();
    StationOptions options;
    options.portDevice = QString::fromStdString(sim.device());
    options.configDir = QString::fromStdString(dir);
    options.tracePath = QStringLiteral("/dev/full");
    station = std::make_unique<CStation>(options, *host);
    ASSERT_EQ(station->loadSettings(), "");
    station->settings().saveOnExit = false;
    startAndReadOut();
    EXPECT_TRUE(pumpUntil([&] { return count("The trace file") > 0; }, 3000)) << hostText();
    EXPECT_EQ(count("The trace file / /dev/full / cannot be written: No space left on device"), 1)
        << hostText();

    // The poll tick's guard: the step ends, the failure is told once.
    for (int n = 0; n < 3; ++n) {
        EXPECT_FALSE(station->stepGuard().run("the poll tick", [] { throw std::bad_alloc(); }));
    }
    pumpUntil([&] { return false; }, 300);
    EXPECT_EQ(count("Not enough memory: the poll tick skipped a step"), 1) << hostText();
    EXPECT_TRUE(station->isPolling());
    station->appendCommands("RX\r");
    EXPECT_TRUE(pumpUntil([&] { return idle(); }, 3000)) << "the link goes on";
}

// A first settings file that cannot be written (a full disk): the program
// starts, and says that what is changed now may not be kept. The host writes
// to memory, which the file size limit does not touch.
TEST_F(StationTest, ASettingsFileThatCannotBeCreatedIsTold) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&text, &size);
    ASSERT_NE(memory, nullptr);
    {
        HeadlessHost told(memory);
        StationOptions full;
        full.configDir = QString::fromStdString(dir + "/full");
        const FileSizeLimit limit(16);
        CStation other(full, told);
        EXPECT_EQ(other.loadSettings(), "");
    }
    std::fflush(memory);
    const std::string said(text, size);
    std::fclose(memory);
    std::free(text);
    EXPECT_NE(
        said.find("cannot be created: File too large / Settings changed now may not be kept."),
        std::string::npos)
        << said;
}

// The host of a station without a window: one line each, the safe answer.
TEST(HeadlessHostTest, WritesOneLineEachAndAnswersNo) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    HeadlessHost host(out);
    host.showMessage("Invalid Frequency!\n\nCheck MARK II.", "Error", MessageKind::Error);
    EXPECT_FALSE(host.confirmLog("Delete all entries?", "Warning"));
    EXPECT_FALSE(host.startExternalPlayer("/usr/bin/true", "a.wav"));
    host.showStatus("");
    // A failure that repeats is told once, and its end once.
    host.logNotice(LogNotice{LogNotice::LogFile, true, "Unable to write the log file\nx.log"});
    host.logNotice(LogNotice{LogNotice::LogFile, true, "Unable to write the log file\nx.log"});
    host.logNotice(LogNotice{LogNotice::LogFile, false, ""});
    host.logNotice(LogNotice{LogNotice::LogFile, false, ""});
    host.showError(QStringLiteral("No device"));

    std::fflush(out);
    std::rewind(out);
    std::vector<std::string> lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
        lines.emplace_back(buffer);
    }
    std::fclose(out);
    const std::vector<std::string> expected = {
        "korvex: Error: Invalid Frequency! / Check MARK II.\n",
        "korvex: Warning: Delete all entries? - answered No\n",
        "korvex: Unable to write the log file / x.log\n",
        "korvex: the log file is written again\n",
        "korvex: Error: No device\n",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
    // No platform plugin and no widget: the station lives on a core application.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
