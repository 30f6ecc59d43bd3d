// Filling and sorting the list view with 15,000 rows, the database's most.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "link/CommandQueue.h"
#include "model/Receiver.h"
#include "ui/ZelView.h"

namespace korvex {
namespace {

constexpr int kRows = CZelView::kMaxDatabaseRows;

ListRows databaseRows() {
    ListRows rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        ListRow& r = rows[static_cast<std::size_t>(i)];
        // Frequencies in a scrambled order, so the sort has work to do.
        const int khz = 30'000 + (i * 7919) % 1'000'000;
        r[0] = std::to_string(khz / 1000) + "." + std::to_string(khz % 1000);
        r[1] = (i % 3 == 0) ? "NFM" : "AM";
        r[2] = "Station " + std::to_string((i * 104729) % kRows);
        for (std::size_t c = 3; c < r.size(); ++c) {
            r[c] = "x" + std::to_string(i % 97);
        }
    }
    return rows;
}

struct Fixture {
    CReceiver rx;
    CommandQueue queue;
    ListRows rows = databaseRows();
    CZelView view{[this] {
        ListViewContext ctx;
        ctx.rx = &rx;
        ctx.queue = &queue;
        return ctx;
    }()};

    Fixture() {
        view.resize(800, 600);
        view.show();
        view.setRowSource(ListMode::Database, [this](const RowProgress&) { return rows; });
        view.switchLayout(ListMode::Database);
    }
};

void BM_FillDatabase15000(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.view.refill();
        QApplication::processEvents();
        benchmark::DoNotOptimize(f.view.itemCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillDatabase15000)->Unit(benchmark::kMillisecond);

void BM_FillMemoryBank15000(benchmark::State& state) {
    Fixture f;
    for (int i = 0; i < kRows; ++i) {
        ChannelRecord r;
        r.field = {"A" + std::to_string(i % 100), "0", "0145.500000", "012.500", "0", "NFM", "0",
                   "name " + std::to_string(i)};
        f.rx.currentBank().push_back(r);
    }
    f.view.switchLayout(ListMode::MemoryBank);
    for (auto _ : state) {
        f.view.refill();
        QApplication::processEvents();
        benchmark::DoNotOptimize(f.view.itemCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillMemoryBank15000)->Unit(benchmark::kMillisecond);

// column 0: the database's leading-integer order; column 2: case-insensitive text.
void BM_Sort15000(benchmark::State& state) {
    Fixture f;
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        f.view.refill();
        f.view.selectItem(kRows / 2);
        state.ResumeTiming();
        f.view.sortByColumn(column);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Sort15000)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
