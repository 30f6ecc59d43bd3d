// Network control requests per second through the program's command queue,
// against the simulator paced at 9600 baud, beside the link's own limit of
// one query every two poll ticks (five a second).
#include "simulator/PtySimulator.h"  // before Qt: its names meet Qt's keyword macros

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "link/qt/QtSerialPort.h"
#include "remote/RigctlServer.h"

namespace korvex {
namespace {

class SilentHost : public LinkHost {
public:
    void showStatus(const std::string&) override {}
    void showMessage(const std::string&, const std::string&, MessageKind) override {}
    void beep() override {}
    void setBusyCursor(bool) override {}
    void refreshFromModel() override {}
    void refreshView() override {}
    void bandscopeSample(int, std::int64_t) override {}
};

// The window's link without the window: the poll tick every 100 ms, the
// serial port on the simulator, the protocol core beside them.
class Link {
public:
    Link() {
        sim::PtyOptions options;
        options.pace = true;
        simulator = std::make_unique<sim::PtySimulator>(options);
        std::string error;
        if (!simulator->start(&error)) {
            throw std::runtime_error(error);
        }
        port.setSettings({1, "9600,N,8,2", simulator->devicePath()});
        port.open();
        QObject::connect(&port, &QtSerialPort::bytesArrived, [this] {
            cycle.receive(port.readAll());
            server.pump(now());
        });
        cycle.setPort(&port);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        cycle.setCommandObserver([this](const std::string& command, bool answered) {
            server.commandFinished(command, answered, now());
        });
        server.setSend([this](int, std::string_view text) { replies += text; });
        timer.setInterval(100);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            cycle.tick();
            server.pump(now());
        });
        timer.start();
        clock.start();
        client = *server.connect();
        cycle.queueInitialReadout();
        runUntil([this] { return fields.commandQueue.empty() && rx.linkState == LinkState::Idle; });
    }
    ~Link() {
        timer.stop();
        port.close();
        simulator->stop();
    }

    // The server's clock; `skew` ages the model, so every read asks the receiver.
    std::int64_t now() const { return clock.elapsed() + skew; }

    // Sends one request and runs the link until its reply has come.
    void request(std::string_view text) {
        replies.clear();
        server.receive(client, text, now());
        runUntil([this] { return !replies.empty() && replies.back() == '\n'; });
    }

    static void runUntil(const std::function<bool()>& done) {
        QElapsedTimer limit;
        limit.start();
        while (!done() && limit.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    CReceiver rx;
    PollFields fields;
    SilentHost host;
    PollCycle cycle{rx, fields, host};
    ResponseParser parser{rx, fields, host};
    QtSerialPort port;
    QTimer timer;
    QElapsedTimer clock;
    std::int64_t skew = 0;
    std::unique_ptr<sim::PtySimulator> simulator;
    remote::RigctlServer server{rx, fields.commandQueue};
    int client = 0;
    std::string replies;
};

void setCounters(benchmark::State& state) {
    state.counters["requests_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["link_limit_queries_per_s"] = 5;
}

// A read while the model is stale: one "RX" through the queue each.
void BM_ReadThroughTheQueue(benchmark::State& state) {
    Link link;
    for (auto _ : state) {
        link.skew += remote::RigctlServer::kFreshMs + 1;
        link.request("f\n");
    }
    setCounters(state);
}
BENCHMARK(BM_ReadThroughTheQueue)->UseRealTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Reads while the model is fresh: answered without the receiver, so many
// clients polling at once do not crowd the link.
void BM_ReadFromTheFreshModel(benchmark::State& state) {
    Link link;
    link.request("f\n");
    for (auto _ : state) {
        link.request("f m v\n");
        link.skew = 0;
    }
    setCounters(state);
}
BENCHMARK(BM_ReadFromTheFreshModel)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A frequency set: the "RF" command, answered on its acknowledgement; the
// status read behind it keeps the link busy for the next one.
void BM_FrequencySetThroughTheQueue(benchmark::State& state) {
    Link link;
    bool high = false;
    for (auto _ : state) {
        link.request(high ? "F 145500000\n" : "F 145525000\n");
        high = !high;
    }
    setCounters(state);
}
BENCHMARK(BM_FrequencySetThroughTheQueue)
    ->UseRealTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
