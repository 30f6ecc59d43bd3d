// The cost of one poll tick that sends a command from a full queue, and of
// one that only counts a wait.
#include <benchmark/benchmark.h>

#include "link/Commands.h"
#include "link/PollCycle.h"
#include "link/SerialPort.h"
#include "tests/support/FakeLinkHost.h"

namespace {

using namespace korvex;

class NullPort : public SerialPort {
public:
    void setSettings(const SerialSettings&) override {}
    SerialSettings settings() const override { return {}; }
    bool open() override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void write(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
    std::string readAll() override { return {}; }
    std::string errorText() const override { return {}; }
};

void BM_TickSendsFromFullQueue(benchmark::State& state) {
    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    NullPort port;
    PollCycle cycle(rx, fields, host);
    cycle.setPort(&port);
    std::string full;
    while (full.size() < 64 * 1024) {
        full += cmd::initialReadout();
    }
    for (auto _ : state) {
        if (fields.commandQueue.size() < 1024) {
            state.PauseTiming();
            fields.commandQueue.replace(full);
            state.ResumeTiming();
        }
        rx.linkState = LinkState::Idle;
        cycle.tick();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickSendsFromFullQueue);

void BM_TickWhileWaiting(benchmark::State& state) {
    CReceiver rx;
    PollFields fields;
    test::FakeLinkHost host;
    NullPort port;
    PollCycle cycle(rx, fields, host);
    cycle.setPort(&port);
    fields.commandQueue.append(cmd::initialReadout());
    for (auto _ : state) {
        rx.linkState = LinkState::Wait;
        fields.waitTicks = 1;  // never reaches a time-out
        cycle.tick();
    }
}
BENCHMARK(BM_TickWhileWaiting);

}  // namespace
