// The network control end to end: the real window on the simulator's
// pseudo-terminal at 9600 baud, Debian's rigctl (network model) as the
// client, and raw sockets for clients that misbehave.
#include "simulator/PtySimulator.h"  // before Qt: its names meet Qt's keyword macros

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

#include "link/Commands.h"
#include "station/RigctlListener.h"
#include "tests/support/Process.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/RawConnection.h"
#include "tests/support/TempDir.h"
#include "ui/MainFrame.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Raw clients give up on a server that stops reading after two seconds.
constexpr int kRawTimeoutMs = 2000;

class RigctlWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::PtyOptions simOptions;
        simOptions.pace = true;  // 9600 baud, as the real receiver
        simulator = std::make_unique<sim::PtySimulator>(simOptions);
        std::string error;
        ASSERT_TRUE(simulator->start(&error)) << error;

        FrameOptions options;
        options.portDevice = QString::fromStdString(simulator->devicePath());
        options.configDir = QString::fromStdString(dir);
        port = freePort();
        options.rigctldPort = port;
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
        frame->start();
        ASSERT_TRUE(frame->isPolling());
        ASSERT_TRUE(frame->rigctl().isListening());
        ASSERT_TRUE(pumpUntil(
            [&] {
                return simulator->received().size() >= 17 &&
                       frame->pollFields().commandQueue.empty();
            },
            20000));
    }
    void TearDown() override {
        frame.reset();
        simulator->stop();
    }

    struct Run {
        int code = -1;
        std::string out;
    };
    // Starts rigctl with the network model on Korvex's port.
    void startRigctl(Process& p, const std::string& name, std::vector<std::string> commands) {
        std::vector<std::string> args = {RIGCTL_PATH, "-m", "2", "-r",
                                         "127.0.0.1:" + std::to_string(port)};
        args.insert(args.end(), commands.begin(), commands.end());
        ASSERT_TRUE(p.start(args, {"HOME=" + dir}, dir + "/" + name));
    }
    // Runs rigctl to its end while the window goes on working.
    Run rigctl(std::vector<std::string> commands) {
        Process p;
        startRigctl(p, "rigctl.out", std::move(commands));
        Run run;
        pumpUntil([&] { return (run.code = p.wait(0ms)) != -1; }, 30000);
        run.out = readFile(dir + "/rigctl.out");
        return run;
    }
    std::vector<std::string> sent() const {
        std::vector<std::string> texts;
        for (const auto& c : simulator->received()) {
            texts.push_back(c.text);
        }
        return texts;
    }
    std::size_t count(const std::string& command) const {
        const auto texts = sent();
        return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), command));
    }
    bool panelShows(const QString& text) {
        for (const char* name : {"line1", "line2", "line3"}) {
            auto* line = frame->findChild<QLineEdit*>(name);
            if (line != nullptr && line->text().contains(text)) {
                return true;
            }
        }
        return false;
    }

    TempDir temp{"korvex-rigctl"};
    const std::string& dir = temp.path();
    std::unique_ptr<sim::PtySimulator> simulator;
    std::unique_ptr<CMainFrame> frame;
    int port = 0;
};

TEST_F(RigctlWireTest, RigctlReadsAndTunesTheReceiverThroughTheWindow) {
    simulator->withReceiver([](sim::Ar8600& r) {
        sim::Tuning& t = r.state().vfos[static_cast<std::size_t>(r.state().activeVfo)];
        t.hz = 80'200'000;
        t.mode = sim::WFM;
    });
    const Run read = rigctl({"f", "m", "v"});
    EXPECT_EQ(read.code, 0) << read.out;
    EXPECT_EQ(read.out, "80200000\nWFM\n200000\nVFO\n");

    const Run set = rigctl({"F", "433925000"});
    EXPECT_EQ(set.code, 0) << set.out;
    EXPECT_EQ(count("RF0433925000"), 1u);
    EXPECT_TRUE(pumpUntil([&] { return panelShows("433.925000"); }, 5000));
    std::int64_t hz = 0;
    simulator->withReceiver([&](sim::Ar8600& r) {
        hz = r.state().vfos[static_cast<std::size_t>(r.state().activeVfo)].hz;
    });
    EXPECT_EQ(hz, 433'925'000);

    const auto before = sent().size();
    const Run ptt = rigctl({"T", "1"});
    EXPECT_NE(ptt.out.find("Feature not available"), std::string::npos) << ptt.out;
    for (std::size_t i = before; i < sent().size(); ++i) {
        EXPECT_FALSE(sent()[i].starts_with("T")) << sent()[i];
    }
    RawConnection raw(port, kRawTimeoutMs);
    ASSERT_TRUE(raw.connected());
    raw.send("T 1\n+\\set_ptt 1\n");
    std::string reply;
    pumpUntil([&] { return (reply += raw.readAvailable()).ends_with("RPRT -11\n"); }, 5000);
    EXPECT_EQ(reply, "RPRT -11\nset_ptt: 1\nRPRT -11\n");
}

TEST_F(RigctlWireTest, TwoClientsAtOnceBothGetTheirAnswers) {
    Process a;
    Process b;
    startRigctl(a, "a.out", {"f", "m", "v", "F", "145800000", "f"});
    startRigctl(b, "b.out", {"v", "m", "t", "s"});
    int codeA = -1;
    int codeB = -1;
    ASSERT_TRUE(pumpUntil(
        [&] {
            if (codeA == -1) {
                codeA = a.wait(0ms);
            }
            if (codeB == -1) {
                codeB = b.wait(0ms);
            }
            return codeA != -1 && codeB != -1;
        },
        30000));
    EXPECT_EQ(codeA, 0);
    EXPECT_EQ(codeB, 0);
    EXPECT_EQ(readFile(dir + "/a.out"), "145500000\nFM\n12000\nVFO\n145800000\n");
    EXPECT_EQ(readFile(dir + "/b.out"), "VFO\nFM\n12000\n0\n0\nVFOA\n");
    EXPECT_EQ(count("RF0145800000"), 1u);
}

TEST_F(RigctlWireTest, TheSquelchStateIsReadDuringAMemoryScan) {
    frame->appendCommands(cmd::memoryScanStart());
    ASSERT_TRUE(pumpUntil([&] { return frame->receiver().squelchOpen.has_value(); }, 15000));
    const Run run = rigctl({"get_dcd", "v"});
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_TRUE(run.out == "0\nMEM\n" || run.out == "1\nMEM\n") << run.out;
}

TEST_F(RigctlWireTest, GarbageAndAClientThatNeverReadsDoNotStopThePollCycle) {
    constexpr std::size_t kSilentRequests = 3'000'000;  // 36 MB
    std::atomic<std::size_t> garbageSent{0};
    std::atomic<std::size_t> silentSent{0};
    std::thread garbage([&] {
        RawConnection client(port, kRawTimeoutMs);
        std::mt19937 random(15);
        std::string bytes(10 * 1024 * 1024, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xFF);
        }
        garbageSent = client.send(bytes);
    });
    std::thread silent([&] {
        RawConnection client(port, kRawTimeoutMs);
        std::string requests;
        for (std::size_t i = 0; i < kSilentRequests; ++i) {
            requests += "\\dump_state\n";
        }
        silentSent = client.send(requests);
        std::this_thread::sleep_for(3s);  // connected, never reading
    });

    // The window's own status reads reach the receiver all the while.
    for (int i = 0; i < 8; ++i) {
        const std::size_t before = count("RX");
        frame->appendCommands("RX\r");
        ASSERT_TRUE(pumpUntil([&] { return count("RX") > before; }, 5000)) << "round " << i;
    }
    const Run read = rigctl({"f"});
    EXPECT_EQ(read.code, 0) << read.out;
    EXPECT_EQ(read.out, "145500000\n");

    while (garbageSent == 0 || silentSent == 0) {
        QTest::qWait(50);
    }
    garbage.join();
    pumpUntil([&] { return false; }, 100);
    silent.join();
    // The client that never read was left unread long before its requests
    // (each answered by over a kilobyte) were all taken.
    EXPECT_LT(silentSent.load(), kSilentRequests * 12u);
    EXPECT_TRUE(pumpUntil([&] { return frame->rigctl().clientCount() == 0; }, 5000));
    for (const std::string& command : sent()) {
        EXPECT_TRUE(std::all_of(command.begin(), command.end(), [](char c) {
            return c >= 0x1C && c < 0x7F;
        })) << command;
    }
}

// The listener alone on a loopback port: sixteen clients that never send
// do not lock a seventeenth out, and silent clients are closed.
TEST(RigctlListenerPlaces, AFullListenerMakesRoomForANewClient) {
    CReceiver rx;
    CommandQueue queue;
    CRigctlListener listener(rx, queue, nullptr, 60'000);
    QString error;
    ASSERT_TRUE(listener.start(QStringLiteral("127.0.0.1"), 0, &error)) << error.toStdString();
    std::vector<std::unique_ptr<RawConnection>> silent;
    for (std::size_t i = 0; i < remote::RigctlServer::kMaxClients; ++i) {
        silent.push_back(std::make_unique<RawConnection>(listener.port(), kRawTimeoutMs));
        ASSERT_TRUE(silent.back()->connected());
        ASSERT_TRUE(
            pumpUntil([&] { return listener.clientCount() == static_cast<int>(i + 1); }, 5000));
        QTest::qWait(5);  // a clear order of idleness
    }
    RawConnection newcomer(listener.port(), kRawTimeoutMs);
    ASSERT_TRUE(newcomer.connected());
    ASSERT_TRUE(pumpUntil([&] { return silent.front()->closedByServer(); }, 5000))
        << "the client idle longest makes room";
    newcomer.send("\\chk_vfo\n");
    std::string answer;
    ASSERT_TRUE(pumpUntil(
        [&] {
            answer += newcomer.readAvailable();
            return answer == "0\n";
        },
        5000))
        << answer;
    for (std::size_t i = 1; i < silent.size(); ++i) {
        EXPECT_FALSE(silent[i]->closedByServer()) << i;
    }
    EXPECT_EQ(listener.clientCount(), static_cast<int>(remote::RigctlServer::kMaxClients));
}

TEST(RigctlListenerPlaces, AClientIdleForTheLimitIsClosed) {
    CReceiver rx;
    CommandQueue queue;
    CRigctlListener listener(rx, queue, nullptr, 300);
    QString error;
    ASSERT_TRUE(listener.start(QStringLiteral("127.0.0.1"), 0, &error)) << error.toStdString();
    RawConnection idle(listener.port(), kRawTimeoutMs);
    RawConnection talking(listener.port(), kRawTimeoutMs);
    ASSERT_TRUE(pumpUntil([&] { return listener.clientCount() == 2; }, 5000));
    QElapsedTimer clock;
    clock.start();
    while (!idle.closedByServer() && clock.elapsed() < 5000) {
        talking.send("\\chk_vfo\n");
        QTest::qWait(50);
        talking.readAvailable();
    }
    EXPECT_TRUE(idle.closedByServer());
    EXPECT_GE(clock.elapsed(), 250) << "not before its time";
    EXPECT_FALSE(talking.closedByServer());
    ASSERT_TRUE(pumpUntil([&] { return talking.closedByServer(); }, 5000))
        << "silent from now on, it goes too";
    ASSERT_TRUE(pumpUntil([&] { return listener.clientCount() == 0; }, 5000));
}

}  // namespace
}  // namespace korvex::test
