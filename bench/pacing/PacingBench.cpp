// Tick pacing beside reply pacing, against the simulator on a pseudo-terminal
// paced at 9600 baud: the start-up read-out, network control reads and
// frequency sets, and the read-out of a hundred memory channels. Each figure
// comes with the wire's own limit: the bytes of the commands and replies at
// 873 characters a second (11 bits each).
#include "simulator/PtySimulator.h"  // before Qt: its names meet Qt's keyword macros

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <stdexcept>

#include "link/MemoryCommands.h"
#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "link/qt/QtSendTimer.h"
#include "link/qt/QtSerialPort.h"
#include "remote/RigctlServer.h"

namespace korvex {
namespace {

constexpr double kWireCharsPerSecond = 9600.0 / 11.0;

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

// The serial port, counting the characters that cross it.
class CountingPort : public SerialPort {
public:
    explicit CountingPort(QtSerialPort& port) : m_port(port) {}
    void setSettings(const SerialSettings& s) override { m_port.setSettings(s); }
    SerialSettings settings() const override { return m_port.settings(); }
    bool open() override { return m_port.open(); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void write(std::string_view text) override {
        bytes += text.size();
        m_port.write(text);
    }
    std::string readAll() override {
        std::string text = m_port.readAll();
        bytes += text.size();
        return text;
    }
    std::string errorText() const override { return m_port.errorText(); }

    std::size_t bytes = 0;

private:
    QtSerialPort& m_port;
};

// The window's link without the window: the poll tick every 100 ms, reply
// pacing's send timer, the serial port on the simulator and the network
// control's protocol core beside them.
class Link {
public:
    explicit Link(Pacing pacing) {
        sim::PtyOptions options;
        options.pace = true;
        options.baudRate = 9600;
        simulator = std::make_unique<sim::PtySimulator>(options);
        std::string error;
        if (!simulator->start(&error)) {
            throw std::runtime_error(error);
        }
        port.setSettings({1, "9600,N,8,2", simulator->devicePath()});
        port.open();
        QObject::connect(&port, &QtSerialPort::bytesArrived, [this] {
            cycle.receive(counting.readAll());
            pumpServer();
        });
        cycle.setPort(&counting);
        cycle.setPacing(pacing);
        cycle.setLineBuilder([this](std::string_view bytes) { parser.receive(bytes); });
        cycle.setCommandObserver([this](const std::string& command, bool answered) {
            server.commandFinished(command, answered, now());
            cycle.commandsQueued();
        });
        server.setSend([this](int, std::string_view text) { replies += text; });
        timer.setInterval(100);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            cycle.tick();
            pumpServer();
        });
        timer.start();
        clock.start();
        client = *server.connect();
        readOut();
    }
    ~Link() {
        timer.stop();
        port.close();
        simulator->stop();
    }

    std::int64_t now() const { return clock.elapsed() + skew; }
    void pumpServer() {
        server.pump(now());
        cycle.commandsQueued();
    }
    bool idle() const { return fields.commandQueue.empty() && rx.linkState == LinkState::Idle; }

    void readOut() {
        cycle.queueInitialReadout();
        runUntil([this] { return idle(); });
    }
    // Sends one request and runs the link until its reply has come.
    void request(std::string_view text) {
        replies.clear();
        server.receive(client, text, now());
        cycle.commandsQueued();
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
    CountingPort counting{port};
    QtSendTimer sendTimer{cycle};
    QTimer timer;
    QElapsedTimer clock;
    std::int64_t skew = 0;
    std::unique_ptr<sim::PtySimulator> simulator;
    remote::RigctlServer server{rx, fields.commandQueue};
    int client = 0;
    std::string replies;
};

Pacing pacingOf(const benchmark::State& state) {
    return state.range(0) == 0 ? Pacing::Tick : Pacing::Reply;
}

void name(benchmark::State& state) {
    state.SetLabel(state.range(0) == 0 ? "tick" : "reply");
}

// Seconds per run, beside the seconds the run's characters need on the wire.
void perRun(benchmark::State& state, std::size_t bytes, double seconds) {
    const auto runs = static_cast<double>(state.iterations());
    state.counters["s_per_run"] = seconds / runs;
    state.counters["wire_limit_s"] = static_cast<double>(bytes) / runs / kWireCharsPerSecond;
    state.counters["chars_per_run"] = static_cast<double>(bytes) / runs;
}

// Requests a second, beside the requests a second the wire could carry.
void perSecond(benchmark::State& state, std::size_t bytes, double seconds) {
    const auto runs = static_cast<double>(state.iterations());
    state.counters["per_s"] = runs / seconds;
    state.counters["wire_limit_per_s"] = kWireCharsPerSecond * runs / static_cast<double>(bytes);
    state.counters["chars_per_request"] = static_cast<double>(bytes) / runs;
}

// The seventeen commands read when the port opens.
void BM_StartupReadout(benchmark::State& state) {
    name(state);
    Link link(pacingOf(state));
    const std::size_t before = link.counting.bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        link.readOut();
    }
    perRun(state, link.counting.bytes - before, elapsed.elapsed() / 1000.0);
}
BENCHMARK(BM_StartupReadout)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// A read of the frequency while the model is stale: one "RX" each.
void BM_RigctlRead(benchmark::State& state) {
    name(state);
    Link link(pacingOf(state));
    const std::size_t before = link.counting.bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        link.skew += remote::RigctlServer::kFreshMs + 1;
        link.request("f\n");
    }
    perSecond(state, link.counting.bytes - before, elapsed.elapsed() / 1000.0);
}
BENCHMARK(BM_RigctlRead)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

// Frequency sets one after the other, as a tracker following Doppler sends
// them; each is answered on the receiver's acknowledgement. The wire limit
// counts every character of the run, the status reads the sets leave
// behind included.
void BM_RigctlFrequencySet(benchmark::State& state) {
    name(state);
    Link link(pacingOf(state));
    const std::size_t before = link.counting.bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    bool high = false;
    for (auto _ : state) {
        link.request(high ? "F 145500000\n" : "F 145525000\n");
        high = !high;
    }
    const double seconds = elapsed.elapsed() / 1000.0;
    const std::size_t bytes = link.counting.bytes - before;
    perSecond(state, bytes, seconds);
    // The sets alone: "RF" and ten digits, CR, and the empty line.
    state.counters["wire_limit_sets_only_per_s"] = kWireCharsPerSecond / (13.0 + 2.0);
    link.runUntil([&link] { return link.idle(); });
}
BENCHMARK(BM_RigctlFrequencySet)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// A hundred memory channels: the ninety of bank J and the ten of its
// partner j, which share the pair's hundred slots, ten pages and one.
void BM_MemoryBankRead(benchmark::State& state) {
    name(state);
    Link link(pacingOf(state));
    const std::size_t before = link.counting.bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    std::size_t channels = 0;
    for (auto _ : state) {
        link.fields.commandQueue.append(cmd::memoryBankReadout(link.rx, link.host, 'J'));
        link.cycle.commandsQueued();
        link.runUntil([&link] { return link.idle(); });
        channels = link.rx.banks[9].size();
        link.fields.commandQueue.append(cmd::memoryBankReadout(link.rx, link.host, 'j'));
        link.cycle.commandsQueued();
        link.runUntil([&link] { return link.idle(); });
        channels += link.rx.banks[19].size();
    }
    perRun(state, link.counting.bytes - before, elapsed.elapsed() / 1000.0);
    state.counters["channels"] = static_cast<double>(channels);
}
BENCHMARK(BM_MemoryBankRead)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Iterations(3)
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
