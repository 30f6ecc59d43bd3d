// Tick pacing beside reply pacing, against the simulator on a pseudo-terminal
// paced at 9600 baud: the start-up read-out, network control reads and
// frequency sets, and the read-out of a hundred memory channels. Each figure
// comes with the wire's own limit: the bytes of the commands and replies at
// 873 characters a second (11 bits each).
#include "bench/support/SimulatorLink.h"  // before Qt: the simulator's names meet its macros

#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include "bench/support/QtBenchmarkMain.h"
#include "link/MemoryCommands.h"

namespace korvex {
namespace {

using bench::kWireCharsPerSecond;

// One benchmark's run on a link of the pacing its argument names (0 the
// tick, 1 reply pacing): the time and the characters on the wire from its
// start.
class PacedRun {
public:
    explicit PacedRun(benchmark::State& state)
        : m_state(state), link(state.range(0) == 0 ? Pacing::Tick : Pacing::Reply) {
        state.SetLabel(state.range(0) == 0 ? "tick" : "reply");
        m_before = link.counting.bytes;
        m_elapsed.start();
    }

    // Seconds per run, beside the seconds the run's characters need on the wire.
    void perRun() {
        const double runs = this->runs();
        m_state.counters["s_per_run"] = seconds() / runs;
        m_state.counters["wire_limit_s"] =
            static_cast<double>(bytes()) / runs / kWireCharsPerSecond;
        m_state.counters["chars_per_run"] = static_cast<double>(bytes()) / runs;
    }
    // Requests a second, beside the requests a second the wire could carry.
    void perSecond() {
        const double runs = this->runs();
        m_state.counters["per_s"] = runs / seconds();
        m_state.counters["wire_limit_per_s"] =
            kWireCharsPerSecond * runs / static_cast<double>(bytes());
        m_state.counters["chars_per_request"] = static_cast<double>(bytes()) / runs;
    }

private:
    double runs() const { return static_cast<double>(m_state.iterations()); }
    double seconds() const { return static_cast<double>(m_elapsed.elapsed()) / 1000.0; }
    std::size_t bytes() const { return link.counting.bytes - m_before; }

    benchmark::State& m_state;
    std::size_t m_before = 0;
    QElapsedTimer m_elapsed;

public:
    bench::SimulatorLink link;
};

// The seventeen commands read when the port opens.
void BM_StartupReadout(benchmark::State& state) {
    PacedRun run(state);
    for (auto _ : state) {
        run.link.readOut();
    }
    run.perRun();
}

// A read of the frequency while the model is stale: one "RX" each.
void BM_RigctlRead(benchmark::State& state) {
    PacedRun run(state);
    for (auto _ : state) {
        run.link.skew += remote::RigctlServer::kFreshMs + 1;
        run.link.request("f\n");
    }
    run.perSecond();
}

// Frequency sets one after the other, as a tracker following Doppler sends
// them; each is answered on the receiver's acknowledgement. The wire limit
// counts every character of the run, the status reads the sets leave
// behind included.
void BM_RigctlFrequencySet(benchmark::State& state) {
    PacedRun run(state);
    bool high = false;
    for (auto _ : state) {
        run.link.request(high ? "F 145500000\n" : "F 145525000\n");
        high = !high;
    }
    run.perSecond();
    // The sets alone: "RF" and ten digits, CR, and the empty line.
    state.counters["wire_limit_sets_only_per_s"] = kWireCharsPerSecond / (13.0 + 2.0);
    run.link.runUntil([&run] { return run.link.idle(); });
}

// A hundred memory channels: the ninety of bank J and the ten of its
// partner j, which share the pair's hundred slots, ten pages and one.
void BM_MemoryBankRead(benchmark::State& state) {
    PacedRun run(state);
    bench::SimulatorLink& link = run.link;
    std::size_t channels = 0;
    for (auto _ : state) {
        link.runCommands(cmd::memoryBankReadout(link.rx, link.host, 'J'));
        channels = link.rx.banks[9].size();
        link.runCommands(cmd::memoryBankReadout(link.rx, link.host, 'j'));
        channels += link.rx.banks[19].size();
    }
    run.perRun();
    state.counters["channels"] = static_cast<double>(channels);
}

// Each benchmark with the tick and with reply pacing, side by side.
void bothPacings(const char* name, void (*function)(benchmark::State&), int iterations) {
    benchmark::RegisterBenchmark(name, function)
        ->Arg(0)
        ->Arg(1)
        ->UseRealTime()
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    return korvex::runQtBenchmarks(argc, argv, [] {
        korvex::bothPacings("BM_StartupReadout", korvex::BM_StartupReadout, 3);
        korvex::bothPacings("BM_RigctlRead", korvex::BM_RigctlRead, 30);
        korvex::bothPacings("BM_RigctlFrequencySet", korvex::BM_RigctlFrequencySet, 20);
        korvex::bothPacings("BM_MemoryBankRead", korvex::BM_MemoryBankRead, 3);
    });
}
