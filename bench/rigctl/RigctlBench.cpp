// Network control requests per second through the program's command queue,
// against the simulator paced at 9600 baud, beside the link's own limit of
// one query every two poll ticks (five a second).
#include "bench/support/SimulatorLink.h"  // before Qt: the simulator's names meet its macros

#include <benchmark/benchmark.h>
#include "bench/support/QtBenchmarkMain.h"

namespace korvex {
namespace {

// The window's link with its default pacing, the tick.
class Link : public bench::SimulatorLink {
public:
    Link() : SimulatorLink(Pacing::Tick) {}
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
    return korvex::runQtBenchmarks(argc, argv);
}
