// The page server over real sockets, in the event loop of this thread as in
// the station: the first page of a 100,000-entry log (goal: under 50 ms),
// a filtered page of it, the activity report of such a log on 66,000
// frequencies, and the time from a receiver reply to the event on an
// /api/events client (goal: under 200 ms).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "bench/support/QtBenchmarkMain.h"
#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"
#include "tests/web/HttpClient.h"
#include "web/WebApi.h"
#include "web/WebServer.h"

namespace korvex {
namespace {

using test::RawConnection;

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

class BenchStation : public WebSource {
public:
    CReceiver rx;
    PollFields poll;
    test::FakeLinkHost host;
    ResponseParser parser{rx, poll, host};
    CZelDoc doc;

    // 100,000 entries on so many frequencies.
    explicit BenchStation(int frequencies = 300) {
        doc.resetLog();
        for (int i = 0; i < 100'000; ++i) {
            const int f = i % frequencies;
            const int second = (i * 7919) % 86400;
            LogEntry e;
            e.date = "2026-" + twoDigits(1 + i / 9000) + "-" + twoDigits(1 + i / 300 % 28);
            e.time = twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60) + ":" +
                     twoDigits(second % 60);
            e.duration = "0:00:" + twoDigits(i % 60);
            e.frequency = std::to_string(118 + f / 40) + "." + std::to_string(100000 + f * 25);
            e.level = std::to_string(100 + i % 155);
            if (i % 3 == 0) {
                e.audioFile = "k_" + e.date + "_" + std::to_string(i) + ".wav";
            }
            doc.appendEntry(e);
        }
    }
    void reply(std::string_view command, std::string_view line) {
        rx.sentCommand = std::string(command);
        rx.linkState = LinkState::Wait;
        parser.receive(std::string(line) + "\r\n");
    }
    StationStatus status() const override {
        return statusFromReceiver(rx, LinkCondition::Ok, false);
    }
    const CZelDoc& document() const override { return doc; }
    std::string logFilePath() const override { return "/tmp/bench.log"; }
    TuneResult tune(std::int64_t) override { return TuneResult::Refused; }
};

BenchStation& station() {
    static BenchStation s;
    return s;
}

CWebServer& server() {
    static CWebServer* s = [] {
        WebServerOptions options;
        options.port = 0;
        auto* server = new CWebServer(station(), options);
        server->start();
        return server;
    }();
    return *s;
}

void logPage(benchmark::State& state, const std::string& target) {
    const int port = server().port();
    const std::string request = "GET " + target +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nConnection: close\r\n\r\n";
    std::size_t bytes = 0;
    for (auto _ : state) {
        const test::HttpResponse r = test::httpExchange(port, request);
        if (r.status != 200) {
            state.SkipWithError("no page");
            break;
        }
        bytes = r.body.size();
    }
    state.counters["body_bytes"] = static_cast<double>(bytes);
}

void BM_LogFirstPage(benchmark::State& state) {
    logPage(state, "/api/log?offset=0&limit=" + std::to_string(state.range(0)));
}
BENCHMARK(BM_LogFirstPage)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LogFilteredPage(benchmark::State& state) {
    logPage(state, "/api/log?limit=50&q=2026-05");
}
BENCHMARK(BM_LogFilteredPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The activity report of a log on 66,000 frequencies (a wide search logs
// nearly every step), built anew for each request: two ranges that both
// cover the whole log take turns, so the server's cached report never fits.
void BM_ReportManyFrequencies(benchmark::State& state) {
    static BenchStation wide(66'000);
    static CWebServer* wideServer = [] {
        WebServerOptions options;
        options.port = 0;
        auto* s = new CWebServer(wide, options);
        s->start();
        return s;
    }();
    const std::string port = std::to_string(wideServer->port());
    const std::string request[2] = {
        "GET /api/report HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nConnection: close\r\n\r\n",
        "GET /api/report?from=2020-01-01 HTTP/1.1\r\nHost: 127.0.0.1:" + port +
            "\r\nConnection: close\r\n\r\n"};
    std::size_t bytes = 0;
    int turn = 0;
    for (auto _ : state) {
        const test::HttpResponse r = test::httpExchange(wideServer->port(), request[turn]);
        turn = 1 - turn;
        if (r.status != 200) {
            state.SkipWithError("no report");
            break;
        }
        bytes = r.body.size();
    }
    state.counters["body_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReportManyFrequencies)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the receiver's reply (the parser takes the line) to the event read
// by a client of /api/events. The server holds events to five a second, so
// each change waits until that allows an event at once.
void BM_StatusChangeToEvent(benchmark::State& state) {
    const int port = server().port();
    std::atomic<int> events{0};
    std::atomic<bool> stop{false};
    std::thread client([&] {
        RawConnection c(port, 500);
        c.send("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
        std::string pending;
        c.readUntil("\r\n\r\n", pending);
        while (!stop) {
            if (!c.readUntil("\n\n", pending).empty()) {
                ++events;
            }
        }
    });
    const auto pumpFor = [](std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    };
    pumpFor(std::chrono::milliseconds(300));
    long frequency = 145'000'000;
    for (auto _ : state) {
        pumpFor(std::chrono::milliseconds(220));
        const int before = events.load();
        frequency += 12'500;
        const std::string line = "VA RF0" + std::to_string(frequency) + " ST012500 AU0 MD1 AT0";
        const auto start = std::chrono::steady_clock::now();
        station().reply("RX\r", line);
        server().statusChanged();
        while (events.load() == before &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
    }
    stop = true;
    pumpFor(std::chrono::milliseconds(600));
    client.join();
}
BENCHMARK(BM_StatusChangeToEvent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    return korvex::runQtBenchmarks(argc, argv);
}
