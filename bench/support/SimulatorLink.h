#pragma once

// The window's link without the window, for the benchmarks that run against
// the simulator: the poll tick every 100 ms, reply pacing's send timer, the
// serial port on a simulator paced at 9600 baud (counting the characters
// that cross it) and the network control's protocol core beside them.
// Include it before any Qt header: the simulator's names meet Qt's keyword
// macros.
#include "simulator/PtySimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bench/support/SilentHost.h"
#include "link/PollCycle.h"
#include "link/ResponseParser.h"
#include "link/qt/QtSendTimer.h"
#include "link/qt/QtSerialPort.h"
#include "remote/RigctlServer.h"

namespace korvex::bench {

// The characters a second a 9600 baud line carries (11 bits each).
constexpr double kWireCharsPerSecond = 9600.0 / 11.0;

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

// The link, started and with the receiver read out once.
class SimulatorLink {
public:
    explicit SimulatorLink(Pacing pacing) {
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
    ~SimulatorLink() {
        timer.stop();
        port.close();
        simulator->stop();
    }
    SimulatorLink(const SimulatorLink&) = delete;
    SimulatorLink& operator=(const SimulatorLink&) = delete;

    // The server's clock; `skew` ages the model, so every read asks the receiver.
    std::int64_t now() const { return clock.elapsed() + skew; }
    void pumpServer() {
        server.pump(now());
        cycle.commandsQueued();
    }
    bool idle() const { return fields.commandQueue.empty() && rx.linkState == LinkState::Idle; }

    // The read-out the window queues when the port opens, run to its end.
    void readOut() {
        cycle.queueInitialReadout();
        runUntil([this] { return idle(); });
    }
    // Commands as the station queues them, run until the link is idle.
    void runCommands(const std::string& commands) {
        fields.commandQueue.append(commands);
        cycle.commandsQueued();
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

}  // namespace korvex::bench
