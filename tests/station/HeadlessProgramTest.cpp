// `korvex --headless` end to end: the real program with no display at all
// (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM in its environment) on the
// simulator tool's pseudo-terminal, Debian's rigctl as a network client.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "log/LogFile.h"
#include "settings/KorvSettings.h"
#include "settings/SettingsFolder.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QuickLogSettings.h"
#include "tests/support/RawConnection.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Two transmissions on channels of scan group 0, after the read-out, and a
// third that is still on the air when the station is stopped.
constexpr const char* kBand =
    "# start_ms frequency_hz level duration_ms\n"
    "9000   145612500 120 4000\n"
    "17000  446006250 150 4000\n"
    "25000  145612500 130 60000\n";

class HeadlessProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()); }

    // The program's environment, built from scratch: its folders, ALSA's
    // null devices, and no display of any kind.
    std::vector<std::string> environment() const {
        return windowlessEnvironment(ProgramFolders(dir));
    }
    bool start(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {KORVEX_PATH, "--headless", "--config-dir", dir};
        argv.insert(argv.end(), args.begin(), args.end());
        return program.startWithEnvironment(argv, environment(), dir + "/stdout.txt",
                                            dir + "/stderr.txt");
    }
    void writeSettings(bool audio) { ASSERT_TRUE(writeQuickLogSettings(dir, audio)); }
    std::string out() const { return readFile(dir + "/stdout.txt"); }
    std::string err() const { return readFile(dir + "/stderr.txt"); }
    std::size_t outLines() const {
        const std::string text = out();
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    TempDir temp{"korvex-headless"};
    std::string dir = temp.path();
    Simulator sim;
    Process program;
};

TEST_F(HeadlessProgramTest, LogsAScanServesRigctlAndEndsCleanlyOnSigterm) {
    std::ofstream(dir + "/band.txt") << kBand;
    writeSettings(true);
    ASSERT_TRUE(sim.start(dir, {"--scenario", dir + "/band.txt"}));
    const int port = freeLoopbackPort();
    const std::string logPath = dir + "/air.log";
    ASSERT_TRUE(start({"--port", sim.device(), "--log", logPath, "--scan", "0", "--rigctld",
                       std::to_string(port)}));

    // The start-up read-out, as the window sends it, then the log and the scan.
    ASSERT_TRUE(sim.waitSent("LB", 0, 20s)) << err();
    ASSERT_TRUE(sim.waitInOrder(0, {"LC1", "GM0", "MS"}, 20s)) << sim.log() << err();

    // rigctl reads the frequency through the station.
    Process rigctl;
    ASSERT_TRUE(
        rigctl.start({RIGCTL_PATH, "-m", "2", "-r", "localhost:" + std::to_string(port), "f"},
                     {"HOME=" + dir}, dir + "/rigctl.out"));
    ASSERT_EQ(rigctl.wait(30s), 0) << readFile(dir + "/rigctl.out") << err();
    const std::string frequency = readFile(dir + "/rigctl.out");
    EXPECT_GT(std::atoll(frequency.c_str()), 0) << frequency;

    // Each transmission is one line on standard output, as in the log file,
    // and one WAV file with sound.
    ASSERT_TRUE(waitFor([&] { return outLines() == 2; }, 60s)) << out() << err() << sim.log();
    const std::vector<LogEntry> printed = parseLogText(out());
    ASSERT_EQ(printed.size(), 2u) << out();
    EXPECT_EQ(printed[0].frequency, "145.612500");
    EXPECT_EQ(printed[1].frequency, "446.006250");
    EXPECT_EQ(parseLogText(readFile(logPath)), printed) << err();
    for (const LogEntry& entry : printed) {
        ASSERT_TRUE(entry.hasAudio()) << out();
        EXPECT_GT(fs::file_size(dir + "/" + entry.audioFile), 44u);
    }

    // SIGTERM while the third one records: its entry is closed, written and
    // printed, and the receiver is let go.
    const auto wavFiles = [&] {
        std::size_t count = 0;
        for (const auto& file : fs::directory_iterator(dir)) {
            count += file.path().extension() == ".wav" ? 1 : 0;
        }
        return count;
    };
    ASSERT_TRUE(waitFor([&] { return wavFiles() == 3; }, 30s)) << err() << sim.log();
    const std::size_t before = sim.mark();
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
    EXPECT_TRUE(sim.waitSent("EX", before)) << sim.log();
    EXPECT_EQ(outLines(), 3u) << out();
    EXPECT_EQ(parseLogText(readFile(logPath)), parseLogText(out()));
    EXPECT_NE(err().find("korvex: stopping"), std::string::npos) << err();
    // Nothing of the window system was asked for.
    EXPECT_EQ(err().find("qt.qpa"), std::string::npos) << err();
}

TEST_F(HeadlessProgramTest, StartsTheLogAndTheScanOnceASilentReceiverAnswers) {
    // One transmission, counted from the scan's start.
    std::ofstream(dir + "/band.txt") << "3000 145612500 120 3000\n";
    writeSettings(false);
    ASSERT_TRUE(sim.start(dir, {"--scenario", dir + "/band.txt", "--scenario-from", "MS"}));
    sim.pause();
    ASSERT_TRUE(start({"--port", sim.device(), "--log", dir + "/air.log", "--scan", "0"}));

    // The read-out's first command is given up on, and the queue with it.
    ASSERT_TRUE(waitFor([&] { return err().find("error on command") != std::string::npos; }, 30s))
        << err();
    const std::size_t before = sim.mark();
    sim.resume();

    // Once it answers, the receiver is read out and the log and scan start.
    ASSERT_TRUE(sim.waitInOrder(before, {"LB", "LC1", "GM0", "MS"}, 30s)) << sim.log() << err();
    ASSERT_TRUE(waitFor([&] { return outLines() == 1; }, 30s)) << out() << err() << sim.log();
    EXPECT_EQ(parseLogText(out()).at(0).frequency, "145.612500");
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
}

TEST_F(HeadlessProgramTest, SaysOnceThatTheLogHearsNothingInVfoAOrB) {
    ASSERT_TRUE(sim.start(dir));
    const int port = freeLoopbackPort();
    ASSERT_TRUE(start(
        {"--port", sim.device(), "--log", dir + "/air.log", "--rigctld", std::to_string(port)}));
    ASSERT_TRUE(sim.waitInOrder(0, {"LB", "LC1"}, 20s)) << sim.log() << err();
    const auto rigctl = [&](const std::string& vfo) {
        Process client;
        ASSERT_TRUE(client.start(
            {RIGCTL_PATH, "-m", "2", "-r", "localhost:" + std::to_string(port), "V", vfo},
            {"HOME=" + dir}, dir + "/rigctl.out"));
        ASSERT_EQ(client.wait(30s), 0) << readFile(dir + "/rigctl.out") << err();
    };
    const auto told = [&] {
        const std::string text = err();
        std::size_t count = 0;
        for (std::size_t at = text.find("VFO A or B"); at != std::string::npos;
             at = text.find("VFO A or B", at + 1)) {
            ++count;
        }
        return count;
    };
    rigctl("VFOA");
    ASSERT_TRUE(waitFor([&] { return told() == 1; }, 20s)) << err() << sim.log();
    // From A to B it stays told; back from VFO it is told again.
    rigctl("VFOB");
    rigctl("VFO");
    rigctl("VFOA");
    ASSERT_TRUE(waitFor([&] { return told() == 2; }, 20s)) << err() << sim.log();
    EXPECT_TRUE(sim.sentInOrder(0, {"VA", "VB", "VF", "VA"})) << sim.log();
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
}

TEST_F(HeadlessProgramTest, AClosedStandardOutputNeitherEndsTheStationNorItsLog) {
    std::ofstream(dir + "/band.txt") << "3000 145612500 120 3000\n"
                                        "10000 446006250 150 3000\n";
    writeSettings(false);
    ASSERT_TRUE(sim.start(dir, {"--scenario", dir + "/band.txt", "--scenario-from", "MS"}));
    // Standard output is a pipe whose reader goes away at once.
    const std::string fifo = dir + "/stdout.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const std::string logPath = dir + "/air.log";
    ASSERT_TRUE(
        program.startWithEnvironment({KORVEX_PATH, "--headless", "--config-dir", dir, "--port",
                                      sim.device(), "--log", logPath, "--scan", "0"},
                                     environment(), fifo, dir + "/stderr.txt"));
    ::close(reader);

    ASSERT_TRUE(waitFor([&] { return parseLogText(readFile(logPath)).size() == 2; }, 40s))
        << err() << sim.log();
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
    const std::string text = err();
    const std::size_t told = text.find("cannot write the entries to standard output");
    ASSERT_NE(told, std::string::npos) << text;
    EXPECT_EQ(text.find("cannot write the entries", told + 1), std::string::npos) << text;
}

TEST_F(HeadlessProgramTest, AMissingPortSaysWhyAndFails) {
    const std::string device = dir + "/no-such-device";
    ASSERT_TRUE(start({"--port", device}));
    EXPECT_EQ(program.wait(20s), 1) << err();
    EXPECT_NE(err().find("cannot open the serial port"), std::string::npos) << err();
    EXPECT_NE(err().find(device), std::string::npos) << err();
    EXPECT_EQ(out(), "");
}

TEST_F(HeadlessProgramTest, BadValuesAreRefusedBeforeAnythingStarts) {
    // A port somebody else listens on.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    socklen_t size = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    const std::string busyPort = std::to_string(ntohs(addr.sin_port));

    ASSERT_TRUE(sim.start(dir));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--scan", "12"}, "korvex: --scan"},
        {{"--search", "Z"}, "korvex: --search"},
        {{"--rigctld=x"}, "korvex: --rigctld"},
        {{"--scan", "0", "--search", "A"}, "korvex: --scan and --search"},
        {{"--port", sim.device(), "--rigctld", busyPort},
         "korvex: Network control: cannot listen on 127.0.0.1 port " + busyPort},
    };
    for (const auto& [args, reason] : cases) {
        ASSERT_TRUE(start(args));
        EXPECT_EQ(program.wait(20s), 1) << args.front() << ": " << err();
        EXPECT_NE(err().find(reason), std::string::npos) << err();
    }
    // The receiver was never touched.
    EXPECT_TRUE(sim.wire().empty()) << sim.log();
    ::close(fd);
}

}  // namespace
}  // namespace korvex::test
