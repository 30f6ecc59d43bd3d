#pragma once

// The page server on a real receiver model and document: a log file with
// entries and WAV files in a folder of its own, the settings file one folder
// up (where a path that climbs out of the log's folder would find it).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"
#include "tests/support/TempDir.h"
#include "web/WebApi.h"
#include "web/WebServer.h"
#include "web/WebSource.h"

namespace korvex::test {

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A WAV file of `dataBytes` 8-bit samples that count up, so any range of
// it is recognisable.
inline std::string wavBytes(std::size_t dataBytes) {
    std::string data;
    for (std::size_t i = 0; i < dataBytes; ++i) {
        data.push_back(static_cast<char>(i * 7 % 251));
    }
    auto le32 = [](std::uint32_t v) {
        return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char(v >> 24)};
    };
    auto le16 = [](std::uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    return "RIFF" + le32(static_cast<std::uint32_t>(36 + data.size())) + "WAVEfmt " + le32(16) +
           le16(1) + le16(1) + le32(11025) + le32(11025) + le16(1) + le16(8) + "data" +
           le32(static_cast<std::uint32_t>(data.size())) + data;
}

// The station as the server sees it: the model fed through the real parser.
class TestStation : public WebSource {
public:
    CReceiver rx;
    PollFields poll;
    FakeLinkHost host;
    ResponseParser parser{rx, poll, host};
    CZelDoc doc;
    std::string logPath;
    LinkCondition link = LinkCondition::Ok;
    bool recording = false;
    std::vector<std::int64_t> tuned;

    // A reply line to a command, as the link would hand it over.
    void reply(std::string_view command, std::string_view line) {
        rx.sentCommand = std::string(command);
        rx.linkState = LinkState::Wait;
        parser.receive(std::string(line) + "\r\n");
    }

    StationStatus status() const override { return statusFromReceiver(rx, link, recording); }
    const CZelDoc& document() const override { return doc; }
    std::string logFilePath() const override { return logPath; }
    TuneResult tune(std::int64_t hz) override {
        if (hz < 100'000 || hz > 2'040'000'000) {
            return TuneResult::Refused;
        }
        tuned.push_back(hz);
        return TuneResult::Accepted;
    }
};

inline constexpr const char* kScriptFrequency = "<script>alert(1)</script>";

class WebFixture : public ::testing::Test {
protected:
    TempDir dir{"korvex-web"};
    std::string logFolder;
    TestStation station;
    std::unique_ptr<CWebServer> server;
    int port = 0;
    std::string savedToken;

    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        logFolder = dir / "log";
        std::filesystem::create_directories(logFolder);
        writeFile(dir / "Korv.ini", "[HTTP]\ntoken=secret\n");
        writeFile(logFolder + "/k_261208_220000.wav", wavBytes(100000));
        writeFile(logFolder + "/k_261209_081500.wav", wavBytes(3000));
        writeFile(logFolder + "/m261209_120000.wav", wavBytes(500));  // Record Now
        writeFile(logFolder + "/stray.wav", wavBytes(10));            // named by no entry
        std::filesystem::create_symlink(dir / "Korv.ini", logFolder + "/k_link.wav");
        std::string log = "Korvex log\r\n";  // a title line, not an entry
        log += "2026-12-08\t22:00:00\t0:00:12\t145.500000\t045\tk_261208_220000.wav\r\n";
        log += "2026-12-08\t23:10:00\t0:00:05\t433.000000\t030\t\xB0\xB0\xB0\r\n";
        log += "2026-12-09\t08:15:00\t0:01:00\t145.500000\t120\tk_261209_081500.wav\n";
        log += std::string("2026-12-09\t09:00:00\t0:00:02\t") + kScriptFrequency +
               "\t010\tk_link.wav\n";
        log += "2026-12-09\t10:00:00\t0:00:03\t145.500000\t050\t../Korv.ini\n";
        station.logPath = logFolder + "/station.log";
        writeFile(station.logPath, log);
        ASSERT_TRUE(station.doc.readLogFile(station.logPath));
        ASSERT_EQ(station.doc.entryCount(), 5u);
    }

    void start(WebServerOptions options = {}) {
        options.port = 0;
        options.saveToken = [this](const std::string& token) { savedToken = token; };
        server = std::make_unique<CWebServer>(station, std::move(options));
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        port = server->port();
        ASSERT_GT(port, 0);
    }
};

}  // namespace korvex::test
