// The activity report of a 100,000-entry log, and the report window filled
// from it: table and both charts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>
#include <vector>

#include "log/ActivityReport.h"
#include "log/ZelDoc.h"
#include "ui/ActivityCharts.h"
#include "ui/ActivityReportWindow.h"

namespace korvex {
namespace {

constexpr int kEntries = 100'000;

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// `days` days of scanning over 300 frequencies, some of them busier, with a
// few unknown durations and levels as real logs have.
std::vector<LogEntry> makeLog(int days) {
    std::vector<LogEntry> log;
    log.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const int day = i * days / kEntries;
        const int second = (i * 7919) % 86400;
        const int channel = (i % 7 == 0) ? i % 5 : i % 300;
        LogEntry e;
        e.date = "2026-" + twoDigits(1 + day / 28 % 12) + "-" + twoDigits(1 + day % 28);
        e.time = twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60) + ":" +
                 twoDigits(second % 60);
        e.duration = i % 50 == 0 ? "-" : "00:0" + std::to_string(i % 10) + ":" + twoDigits(i % 60);
        e.frequency =
            std::to_string(118 + channel / 40) + "." + std::to_string(100000 + channel * 25);
        e.level = i % 40 == 0 ? "-" : std::to_string(100 + i % 155);
        if (i % 3 == 0) {
            e.audioFile = "air" + std::to_string(i) + ".wav";
        }
        log.push_back(std::move(e));
    }
    return log;
}

void BM_ActivityReport100000(benchmark::State& state) {
    const std::vector<LogEntry> log = makeLog(30);
    for (auto _ : state) {
        ActivityReport report = buildActivityReport(log, {});
        benchmark::DoNotOptimize(report);
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ActivityReport100000)->Unit(benchmark::kMillisecond);

void BM_ActivityReportRange100000(benchmark::State& state) {
    const std::vector<LogEntry> log = makeLog(30);
    for (auto _ : state) {
        ActivityReport report = buildActivityReport(log, {"2026-01-08", "2026-01-14"});
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_ActivityReportRange100000)->Unit(benchmark::kMillisecond);

// The window's whole refresh from the document: the report, the table of
// 300 rows and both charts, painted. Arg: days in the log (bars up to 62,
// a line beyond).
void BM_ReportWindowRefresh100000(benchmark::State& state) {
    CZelDoc doc;
    doc.resetLog();
    for (const LogEntry& e : makeLog(static_cast<int>(state.range(0)))) {
        doc.appendEntry(e);
    }
    CActivityReportWindow window(doc);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.refresh();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReportWindowRefresh100000)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

// The table and charts alone, from a report already made.
void BM_ReportChartsFill(benchmark::State& state) {
    const ActivityReport report =
        buildActivityReport(makeLog(static_cast<int>(state.range(0))), {});
    CActivityCharts charts;
    charts.resize(900, 300);
    charts.show();
    QApplication::processEvents();
    for (auto _ : state) {
        charts.setReport(report);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReportChartsFill)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

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
