// The simulator on a real pseudo-terminal, opened as the program opens its
// serial port, and the ar8600-sim tool's first line and command log.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "simulator/PtySimulator.h"
#include "tests/support/Simulator.h"
#include "tests/support/TempDir.h"

namespace korvex::sim {
namespace {

int openPort(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Reads until `lines` CR LF pairs have come or `ms` have passed.
std::string readLines(int fd, int lines, int ms) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int seen = 0;
    while (seen < lines && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) {
            char buf[512];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, static_cast<size_t>(n));
            }
        }
        seen = 0;
        for (size_t pos = got.find("\r\n"); pos != std::string::npos;
             pos = got.find("\r\n", pos + 2)) {
            ++seen;
        }
    }
    return got;
}

// The texts of the commands the simulator received, in order.
std::vector<std::string> receivedTexts(const PtySimulator& sim) {
    std::vector<std::string> texts;
    for (const auto& command : sim.received()) {
        texts.push_back(command.text);
    }
    return texts;
}

void send(int fd, std::string_view text) {
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

struct ToolRun {
    int status = -1;     // as waitpid gives it
    std::string output;  // standard output and error together
};

// Runs ar8600-sim with `args` to its end. One that has not ended after a
// few seconds (it started instead of refusing) is stopped with SIGTERM.
ToolRun runToExit(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        close(out[0]);
        std::vector<char*> argv{const_cast<char*>("ar8600-sim")};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(AR8600_SIM_PATH, argv.data());
        _exit(127);
    }
    close(out[1]);
    ToolRun run;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGTERM);
            break;
        }
        if (poll(&p, 1, 50) <= 0) {
            continue;
        }
        char buf[512];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        run.output.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    waitpid(pid, &run.status, 0);
    return run;
}

TEST(PtySimulator, AnswersOverAPseudoTerminalAndRecordsCommands) {
    PtySimulator sim;
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    EXPECT_EQ(sim.devicePath().rfind("/dev/pts/", 0), 0u);

    int fd = openPort(sim.devicePath());
    ASSERT_GE(fd, 0);
    send(fd, "RX\r");
    EXPECT_EQ(readLines(fd, 1, 2000), "VF RF0145500000 ST012500 AU0 MD1 AT0\r\n");

    // Closing and reopening the port does not end the simulator.
    close(fd);
    fd = openPort(sim.devicePath());
    ASSERT_GE(fd, 0);
    send(fd, "AF\r\x1e\r");
    EXPECT_EQ(readLines(fd, 1, 2000), "AF0\r\n");
    close(fd);

    EXPECT_EQ(receivedTexts(sim), (std::vector<std::string>{"RX", "AF", "\x1e"}));
    const auto received = sim.received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_LE(received[0].ms, received[1].ms);
    sim.stop();
}

TEST(PtySimulator, FaultsChangeWhileRunning) {
    PtySimulator sim;
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    const int fd = openPort(sim.devicePath());
    ASSERT_GE(fd, 0);

    Faults f;
    f.noReply = {"RX"};
    sim.setFaults(f);
    send(fd, "RX\r");
    EXPECT_EQ(readLines(fd, 1, 300), "");

    f.noReply.clear();
    f.late = {{"RX", 200}};
    sim.setFaults(f);
    const auto start = std::chrono::steady_clock::now();
    send(fd, "RX\r");
    EXPECT_EQ(readLines(fd, 1, 2000), "VF RF0145500000 ST012500 AU0 MD1 AT0\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    close(fd);
}

TEST(PtySimulator, XoffHoldsRepliesUntilXon) {
    PtySimulator sim;
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    const int fd = openPort(sim.devicePath());
    ASSERT_GE(fd, 0);
    send(fd, "\x13RX\r");
    EXPECT_EQ(readLines(fd, 1, 300), "");
    send(fd, "\x11");
    EXPECT_EQ(readLines(fd, 1, 2000), "VF RF0145500000 ST012500 AU0 MD1 AT0\r\n");
    close(fd);
    EXPECT_EQ(receivedTexts(sim), std::vector<std::string>{"RX"});
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        lines.push_back(text.substr(pos, end - pos));
    }
    return lines;
}

TEST(PtySimulator, FloodSendsLevelReportsInAnyStateAndKeepsRepliesWhole) {
    PtyOptions options;
    options.faults.floodLevelsPerSecond = 50;
    options.pace = true;
    PtySimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.start(&error)) << error;
    const int fd = openPort(sim.devicePath());
    ASSERT_GE(fd, 0);

    // Unasked, while the receiver sits on a VFO with its reports off.
    for (const std::string& line : splitLines(readLines(fd, 5, 5000))) {
        EXPECT_EQ(line.rfind("LC%", 0), 0u) << line;
        EXPECT_EQ(line.size(), 9u) << line;
    }

    // A reply comes whole between the reports, however they fall.
    send(fd, "TB\r");
    std::vector<std::string> replies;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string got;
    while (replies.size() < 10 && std::chrono::steady_clock::now() < end) {
        got += readLines(fd, 1, 100);
        const auto cut = got.rfind("\r\n");
        if (cut == std::string::npos) {
            continue;
        }
        for (const std::string& line : splitLines(got.substr(0, cut + 2))) {
            if (line.rfind("LC%", 0) != 0) {
                replies.push_back(line);
            }
        }
        got.erase(0, cut + 2);
    }
    ASSERT_EQ(replies.size(), 10u);
    for (const std::string& line : replies) {
        EXPECT_EQ(line.rfind("MW ", 0), 0u) << line;
    }

    // Switched off, the reports stop.
    sim.setFaults({});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    readLines(fd, 1000, 300);
    EXPECT_EQ(readLines(fd, 1, 300), "");
    close(fd);
}

TEST(PtySimulator, LinkPointsAtTheDeviceWhileRunning) {
    const std::string link = ::testing::TempDir() + "ar8600-sim-link";
    unlink(link.c_str());
    PtyOptions options;
    options.linkPath = link;
    {
        PtySimulator sim(options);
        std::string error;
        ASSERT_TRUE(sim.start(&error)) << error;
        char target[256] = {};
        ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(sim.devicePath(), target);
        const int fd = openPort(link);
        ASSERT_GE(fd, 0);
        send(fd, "NL\r");
        EXPECT_EQ(readLines(fd, 1, 2000), "NL0\r\n");
        close(fd);
    }
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(Ar8600SimTool, PrintsTheDeviceAndLogsEachCommand) {
    const korvex::test::TempDir folder;
    korvex::test::Simulator tool;
    ASSERT_TRUE(tool.start(folder.path()));
    ASSERT_EQ(tool.device().rfind("/dev/pts/", 0), 0u) << tool.device();

    const int fd = openPort(tool.device());
    ASSERT_GE(fd, 0);
    send(fd, "RX\r");
    EXPECT_FALSE(readLines(fd, 1, 2000).empty());
    send(fd, "\x1e\r\r");
    EXPECT_TRUE(tool.waitUntil([&] { return tool.wire().size() == 3; }));
    close(fd);
    EXPECT_EQ(tool.stop(), 0);

    const auto timed = tool.timedWire();
    ASSERT_EQ(timed.size(), 3u) << tool.log();
    for (const auto& c : timed) {
        EXPECT_GE(c.ms, 0);
    }
    EXPECT_EQ(tool.wire(), (std::vector<std::string>{"RX", "<1E>", ""}));
}

TEST(Ar8600SimTool, RefusesABadScenarioNamingItsLine) {
    const korvex::test::TempDir folder;
    const std::string band = folder.file("band.txt").string();
    korvex::test::writeBytes(band, "1000 145500000 80 2000\n1000 145500000 300 2000\n");
    const std::string missing = folder.file("missing.txt").string();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string output;
    } cases[] = {
        {{"--scenario", band},
         1,
         "ar8600-sim: " + band + ": line 2: level 300 is outside 0..255\n"},
        {{"--scenario", missing}, 1, "ar8600-sim: " + missing + ": No such file or directory\n"},
        {{"--seed", "x"}, 2, "usage: ar8600-sim"},
        {{"--seed", "-1"}, 2, "usage: ar8600-sim"},
        {{"--seed", "3", "--scenario", band}, 2, "usage: ar8600-sim"},
        {{"--scenario"}, 2, "usage: ar8600-sim"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runToExit(c.args);
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == c.exitCode)
            << c.args[0] << " " << run.status;
        EXPECT_EQ(run.output.substr(0, c.output.size()), c.output) << c.args[0];
        EXPECT_EQ(run.output.find("/dev/pts/"), std::string::npos) << c.args[0];
    }
}

TEST(Ar8600SimTool, PlaysTheScenarioOfAFile) {
    const korvex::test::TempDir folder;
    const std::string band = folder.file("band.txt").string();
    // B00 of the sample memory, on for ten minutes from the start.
    korvex::test::writeBytes(band, "# calling channel\n0 145500000 77 600000\n");
    korvex::test::Simulator tool;
    ASSERT_TRUE(tool.start(folder.path(), {"--scenario", band}));
    ASSERT_EQ(tool.device().rfind("/dev/pts/", 0), 0u) << tool.device();

    const int fd = openPort(tool.device());
    ASSERT_GE(fd, 0);
    send(fd, "LC1\rMS\r");
    const std::string got = readLines(fd, 4, 10'000);
    close(fd);
    tool.stop();
    // Acknowledgements, the scan's start with the squelch closed, the stop.
    EXPECT_EQ(got.substr(0, 7), "\r\n\r\nLC%") << got;
    const std::string stop = "\r\nLC077 VA RF0145500000\r\n";
    ASSERT_GE(got.size(), stop.size()) << got;
    EXPECT_EQ(got.substr(got.size() - stop.size()), stop) << got;
}

}  // namespace
}  // namespace korvex::sim
