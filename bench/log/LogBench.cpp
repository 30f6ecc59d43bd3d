// Reading a log file of 100,000 entries into the document, and filling the
// LOG VIEW from it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>

#include "link/CommandQueue.h"
#include "log/LogFile.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "ui/LogViewRows.h"
#include "ui/ZelView.h"

namespace korvex {
namespace {

constexpr int kEntries = 100'000;

// A log as the thread writes it (CR LF) with a rewrite's LF lines between.
std::filesystem::path writeLog() {
    char tmpl[] = "/tmp/korvex-logbench-XXXXXX";
    const std::filesystem::path dir = ::mkdtemp(tmpl);
    const auto file = dir / "air.log";
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < kEntries; ++i) {
        LogEntry e{"2004-03-15",
                   "14:" + std::to_string(10 + i % 50) + ":31",
                   "00:00:" + std::to_string(10 + i % 50),
                   std::to_string(118 + i % 20) + ".100000",
                   std::to_string(100 + i % 155),
                   "air040315_14" + std::to_string(100000 + i) + ".wav"};
        out << formatLogLine(e, i % 2 == 0 ? "\r\n" : "\n");
    }
    return file;
}

void BM_ReadLogFile100000(benchmark::State& state) {
    const auto file = writeLog();
    CZelDoc doc;
    for (auto _ : state) {
        doc.resetLog();
        doc.readLogFile(file);
        benchmark::DoNotOptimize(doc.entryCount());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    std::filesystem::remove_all(file.parent_path());
}
BENCHMARK(BM_ReadLogFile100000)->Unit(benchmark::kMillisecond);

void BM_FillLogView100000(benchmark::State& state) {
    const auto file = writeLog();
    CZelDoc doc;
    doc.resetLog();
    doc.readLogFile(file);
    CReceiver rx;
    CommandQueue queue;
    ListViewContext ctx;
    ctx.rx = &rx;
    ctx.queue = &queue;
    CZelView view(ctx);
    view.resize(800, 600);
    view.show();
    view.setRowSource(ListMode::LogView,
                      [&doc](const RowProgress& progress) { return logRows(doc, progress); });
    view.switchLayout(ListMode::LogView);
    for (auto _ : state) {
        view.refill();
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.itemCount());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    std::filesystem::remove_all(file.parent_path());
}
BENCHMARK(BM_FillLogView100000)->Unit(benchmark::kMillisecond);

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
