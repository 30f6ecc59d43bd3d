// The page's API end to end over real sockets: the server on a real
// receiver model and a document read from a log file.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <thread>

#include "tests/web/HttpClient.h"
#include "tests/web/WebFixture.h"

namespace korvex::test {
namespace {

QJsonObject json(const HttpResponse& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object();
}

using WebServerTest = WebFixture;

TEST_F(WebServerTest, PageAndStatusAfterTheReadOut) {
    start();
    const HttpResponse page = get(port, "/");
    ASSERT_EQ(page.status, 200) << page.raw;
    EXPECT_EQ(page.header("content-type"), "text/html; charset=utf-8");
    EXPECT_NE(page.body.find("<script src=\"/app.js\">"), std::string::npos);
    EXPECT_NE(page.header("content-security-policy").find("default-src 'self'"), std::string::npos);
    EXPECT_EQ(page.header("x-content-type-options"), "nosniff");
    EXPECT_EQ(page.header("access-control-allow-origin"), "");
    EXPECT_EQ(get(port, "/app.js").status, 200);
    EXPECT_EQ(get(port, "/app.css").header("content-type"), "text/css; charset=utf-8");

    // Nothing read yet: unknown values are null.
    QJsonObject s = json(get(port, "/api/status"));
    EXPECT_TRUE(s.value("frequency_hz").isNull());
    EXPECT_TRUE(s.value("mode").isNull());
    EXPECT_TRUE(s.value("squelch_open").isNull());
    EXPECT_EQ(s.value("link").toString(), "ok");
    EXPECT_EQ(s.value("log_entries").toInt(), 5);

    station.reply("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0");
    station.rx.squelchOpen = true;
    station.rx.signalLevel = 87;
    station.rx.logActive = true;
    station.recording = true;
    station.link = LinkCondition::Error;
    s = json(get(port, "/api/status"));
    EXPECT_EQ(s.value("frequency_hz").toInteger(), 145500000);
    EXPECT_EQ(s.value("mode").toString(), "NFM");
    EXPECT_EQ(s.value("vfo").toString(), "A");
    EXPECT_TRUE(s.value("channel").isNull());
    EXPECT_TRUE(s.value("squelch_open").toBool());
    EXPECT_EQ(s.value("level").toInt(), 87);
    EXPECT_TRUE(s.value("log_running").toBool());
    EXPECT_TRUE(s.value("recording").toBool());
    EXPECT_EQ(s.value("link").toString(), "error");

    // Stopped, nothing answers; started again, it serves as before.
    server->stop();
    EXPECT_FALSE(server->running());
    EXPECT_EQ(get(port, "/api/status").status, 0);
    ASSERT_TRUE(server->start());
    port = server->port();
    EXPECT_EQ(get(port, "/api/status").status, 200);
}

TEST_F(WebServerTest, LogPagesNewestFirstWithFilter) {
    start();
    QJsonObject page = json(get(port, "/api/log?limit=2"));
    EXPECT_EQ(page.value("total").toInt(), 5);
    QJsonArray entries = page.value("entries").toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject().value("index").toInt(), 4);
    EXPECT_EQ(entries[0].toObject().value("time").toString(), "10:00:00");
    EXPECT_EQ(entries[1].toObject().value("frequency").toString(), kScriptFrequency);

    page = json(get(port, "/api/log?offset=2&limit=2"));
    entries = page.value("entries").toArray();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject third = entries[0].toObject();
    EXPECT_EQ(third.value("index").toInt(), 2);
    EXPECT_EQ(third.value("date").toString(), "2026-12-09");
    EXPECT_EQ(third.value("duration").toString(), "0:01:00");
    EXPECT_EQ(third.value("level").toString(), "120");
    EXPECT_EQ(third.value("audio").toString(), "k_261209_081500.wav");
    EXPECT_TRUE(entries[1].toObject().value("audio").isNull());  // the °°° entry

    page = json(get(port, "/api/log?q=145.5&limit=2&offset=1"));
    EXPECT_EQ(page.value("total").toInt(), 3);
    entries = page.value("entries").toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject().value("index").toInt(), 2);
    EXPECT_EQ(entries[1].toObject().value("index").toInt(), 0);
    EXPECT_EQ(json(get(port, "/api/log?q=2026-12-08")).value("total").toInt(), 2);
    EXPECT_EQ(json(get(port, "/api/log?q=%3Cscript")).value("total").toInt(), 1);
    EXPECT_EQ(json(get(port, "/api/log?offset=99")).value("entries").toArray().size(), 0);

    // limit is capped at 500; nonsense is refused.
    EXPECT_EQ(get(port, "/api/log?limit=100000").status, 200);
    EXPECT_EQ(get(port, "/api/log?limit=0").status, 400);
    EXPECT_EQ(get(port, "/api/log?offset=-1").status, 400);
    EXPECT_EQ(get(port, "/api/log?limit=abc").status, 400);

    // An entry appended while the server runs is on the first page.
    LogEntry e;
    e.date = "2026-12-09";
    e.time = "11:11:11";
    e.duration = "0:00:09";
    e.frequency = "118.100000";
    e.level = "099";
    station.doc.appendEntry(e);
    entries = json(get(port, "/api/log")).value("entries").toArray();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries[0].toObject().value("frequency").toString(), "118.100000");
}

TEST_F(WebServerTest, WavWholeAndByRange) {
    start();
    const std::string wav = readFile(logFolder + "/k_261208_220000.wav");
    HttpResponse r = get(port, "/audio/k_261208_220000.wav");
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(r.header("content-type"), "audio/wav");
    EXPECT_EQ(r.header("accept-ranges"), "bytes");
    EXPECT_EQ(r.header("content-length"), std::to_string(wav.size()));
    EXPECT_TRUE(r.body == wav) << r.body.size();

    r = get(port, "/audio/k_261208_220000.wav", "Range: bytes=1000-1999\r\n");
    ASSERT_EQ(r.status, 206);
    EXPECT_EQ(r.header("content-range"), "bytes 1000-1999/" + std::to_string(wav.size()));
    EXPECT_TRUE(r.body == wav.substr(1000, 1000));
    r = get(port, "/audio/k_261208_220000.wav", "Range: bytes=-44\r\n");
    ASSERT_EQ(r.status, 206);
    EXPECT_TRUE(r.body == wav.substr(wav.size() - 44));
    r = get(port, "/audio/k_261208_220000.wav", "Range: bytes=99990-\r\n");
    ASSERT_EQ(r.status, 206);
    EXPECT_TRUE(r.body == wav.substr(99990));
    r = get(port, "/audio/k_261208_220000.wav", "Range: bytes=900000-\r\n");
    EXPECT_EQ(r.status, 416);
    EXPECT_EQ(r.header("content-range"), "bytes */" + std::to_string(wav.size()));

    // A Record Now file of the log's folder plays too.
    r = get(port, "/audio/m261209_120000.wav");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body.size(), readFile(logFolder + "/m261209_120000.wav").size());
}

TEST_F(WebServerTest, CsvAndReport) {
    start();
    HttpResponse r = get(port, "/api/log.csv");
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(r.header("content-type"), "text/csv; charset=utf-8");
    EXPECT_EQ(r.body.substr(0, r.body.find("\r\n")),
              "index,date,time,duration,frequency,level,audio");
    EXPECT_NE(r.body.find("0,2026-12-08,22:00:00,0:00:12,145.500000,045,k_261208_220000.wav\r\n"),
              std::string::npos);
    EXPECT_NE(r.body.find("1,2026-12-08,23:10:00,0:00:05,433.000000,030,\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (const char c : r.body) {
        lines += c == '\n';
    }
    EXPECT_EQ(lines, 6u);

    QJsonObject report = json(get(port, "/api/report"));
    EXPECT_EQ(report.value("entries").toInt(), 5);
    EXPECT_EQ(report.value("first_day").toString(), "2026-12-08");
    const QJsonArray frequencies = report.value("frequencies").toArray();
    ASSERT_FALSE(frequencies.isEmpty());
    EXPECT_EQ(frequencies[0].toObject().value("frequency").toString(), "145.500000");
    EXPECT_EQ(frequencies[0].toObject().value("hits").toInt(), 3);
    const QJsonArray hours = report.value("hours").toArray();
    ASSERT_EQ(hours.size(), 24);
    EXPECT_EQ(hours[22].toObject().value("hits").toInt(), 1);
    EXPECT_EQ(hours[8].toObject().value("airtime_s").toInt(), 60);

    report = json(get(port, "/api/report?from=2026-12-09&to=2026-12-09"));
    EXPECT_EQ(report.value("entries").toInt(), 3);
    EXPECT_EQ(report.value("days").toArray().size(), 1);
    EXPECT_EQ(get(port, "/api/report?from=2026-02-30").status, 400);
    EXPECT_EQ(get(port, "/api/report?to=yesterday").status, 400);
}

TEST_F(WebServerTest, EventsFollowTheReceiverAtMostFiveTimesASecond) {
    WebServerOptions options;
    options.events.keepAliveMs = 600;
    start(options);
    const std::string events = whileServing([this] {
        RawConnection c(port);
        c.send("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
        std::string pending;
        std::string text = c.readUntil("\r\n\r\n", pending);
        // The first event at once, then ten changes within 100 ms, then the
        // keep-alive.
        text += c.readUntil("\n\n", pending);
        for (int i = 0; i < 10; ++i) {
            QMetaObject::invokeMethod(
                server.get(),
                [this, i] {
                    station.rx.signalLevel = i;
                    server->statusChanged();
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500)) {
            const std::string event = c.readUntil("\n\n", pending);
            if (event.empty()) {
                break;
            }
            text += event;
        }
        return text;
    });
    EXPECT_NE(events.find("Content-Type: text/event-stream"), std::string::npos) << events;
    std::size_t count = 0;
    for (auto at = events.find("data: {"); at != std::string::npos;
         at = events.find("data: {", at + 1)) {
        ++count;
    }
    // The first, at most two for the burst (one at once, the last one 200 ms
    // later), and keep-alives every 600 ms of the 1.5 s.
    EXPECT_GE(count, 3u) << events;
    EXPECT_LE(count, 6u) << events;
    EXPECT_NE(events.find("\"level\":9"), std::string::npos) << events;  // the last change arrives
}

TEST_F(WebServerTest, TuneGoesThroughTheStationWithControlAndToken) {
    WebServerOptions options;
    options.control = true;
    start(options);
    const std::string token = server->token();
    ASSERT_EQ(token.size(), 32u);
    EXPECT_EQ(savedToken, token);
    const auto post = [&](const std::string& body, const std::string& headers) {
        return httpExchange(
            port, "POST /api/tune HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                      "\r\nContent-Type: application/json\r\n" + headers + "Content-Length: " +
                      std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    };
    // On loopback the page is open, but tuning needs the token all the same.
    EXPECT_EQ(get(port, "/api/status").status, 200);
    EXPECT_EQ(post(R"({"frequency_hz":145500000})", "").status, 401);
    const std::string bearer = "Authorization: Bearer " + token + "\r\n";
    EXPECT_EQ(post(R"({"frequency_hz":145500000})", bearer).status, 202);
    EXPECT_EQ(post(R"({"frequency_hz":5})", bearer).status, 422);
    EXPECT_EQ(post(R"({"frequency_hz":"145.5"})", bearer).status, 400);
    EXPECT_EQ(post(R"({"frequency_hz":1.5})", bearer).status, 400);
    EXPECT_EQ(post("not json", bearer).status, 400);
    EXPECT_EQ(
        post(R"({"frequency_hz":145500000})", "Cookie: korvex_token=" + token + "\r\n").status,
        202);
    EXPECT_EQ(station.tuned, (std::vector<std::int64_t>{145500000, 145500000}));
}

}  // namespace
}  // namespace korvex::test
