// `korvex --headless --simulate --http PORT` end to end: the real program on
// its built-in simulator, with no display, asked over HTTP for the receiver
// line after the read-out and for a log entry's recording.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/KorvSettings.h"
#include "settings/SettingsFolder.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QuickLogSettings.h"
#include "tests/support/RawConnection.h"
#include "tests/support/TempDir.h"
#include "tests/web/HttpClient.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

QJsonObject jsonOf(const HttpResponse& response) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(response.body)).object();
}

class WebProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.empty());
        ASSERT_TRUE(writeQuickLogSettings(dir, true));
    }

    // Its own folders, ALSA's null devices and no display of any kind.
    bool start(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {KORVEX_PATH, "--headless", "--simulate", "--config-dir",
                                         dir};
        argv.insert(argv.end(), args.begin(), args.end());
        return program.startWithEnvironment(argv, windowlessEnvironment(ProgramFolders(dir)),
                                            dir + "/stdout.txt", dir + "/stderr.txt");
    }
    std::string err() const { return readFile(dir + "/stderr.txt"); }

    TempDir temp{"korvex-webprogram"};
    std::string dir = temp.path();
    Process program;
};

TEST_F(WebProgramTest, ServesTheReceiverAndTheLogWithItsRecordings) {
    const int port = freeLoopbackPort();
    ASSERT_TRUE(start({"--log", dir + "/x.log", "--scan", "0", "--http", std::to_string(port)}));

    // The receiver line once the read-out has filled the model.
    QJsonObject status;
    ASSERT_TRUE(waitFor(
        [&] {
            status = jsonOf(get(port, "/api/status"));
            return status.value("frequency_hz").isDouble() && status.value("mode").isString();
        },
        30s))
        << err();
    EXPECT_EQ(status.value("link").toString(), "ok");
    EXPECT_TRUE(status.value("log_running").toBool());
    // The scan of --scan follows the read-out.
    EXPECT_TRUE(waitFor(
        [&] { return jsonOf(get(port, "/api/status")).value("vfo").toString() == "SCAN"; }, 20s))
        << err();

    // A closed entry of the scan with its recording, served whole and by range.
    QJsonObject entry;
    ASSERT_TRUE(waitFor(
        [&] {
            const QJsonArray entries = jsonOf(get(port, "/api/log?limit=5"))["entries"].toArray();
            for (const QJsonValue& e : entries) {
                if (e["audio"].isString()) {
                    entry = e.toObject();
                    return true;
                }
            }
            return false;
        },
        60s))
        << err();
    const std::string name = entry["audio"].toString().toStdString();
    const std::string onDisk = readFile(dir + "/" + name);
    ASSERT_GT(onDisk.size(), 44u);
    const HttpResponse whole = get(port, "/audio/" + name);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.header("content-type"), "audio/wav");
    EXPECT_EQ(whole.body, onDisk);
    const HttpResponse part = get(port, "/audio/" + name, "Range: bytes=0-3\r\n");
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, "RIFF");
    EXPECT_EQ(get(port, "/audio/Korv.ini").status, 404);

    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
}

TEST_F(WebProgramTest, APortAskedForThatIsTakenEndsTheRunWithTheReason) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(start({"--http", std::to_string(holder.serverPort())}));
    EXPECT_EQ(program.wait(20s), 1) << err();
    EXPECT_NE(err().find("Web page: cannot listen on 127.0.0.1 port"), std::string::npos) << err();
}

// Enabled only in the settings, a page that cannot listen leaves the
// station running: the log matters more.
TEST_F(WebProgramTest, APageEnabledBySettingsThatCannotListenLeavesTheStationRunning) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    const std::string ini = dir + "/Korv.ini";
    KorvSettings settings = loadSettings(ini);
    settings.httpEnabled = true;
    settings.httpPort = holder.serverPort();
    ASSERT_TRUE(saveSettings(ini, settings, settings.window));
    ASSERT_TRUE(start({"--log", dir + "/x.log"}));
    ASSERT_TRUE(waitFor([&] { return err().find("activity log into") != std::string::npos; }, 20s))
        << err();
    EXPECT_NE(err().find("Web page: cannot listen on 127.0.0.1 port"), std::string::npos) << err();
    program.kill(SIGTERM);
    EXPECT_EQ(program.wait(10s), 0) << err();
}

}  // namespace
}  // namespace korvex::test
