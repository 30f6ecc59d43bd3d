// The bandscope's costs: one full redraw of 10,000 bins in a 1400 x 900 view
// for each drawing mode (a frame at 60 per second leaves 16 ms), a million
// samples into the document, and a sweep of 2,000 reports a second through
// the parser into the document with the view's coalesced repaints, as the
// share of one core it takes.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <cstdio>

#include "bench/support/SilentHost.h"
#include "link/CommandQueue.h"
#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "ui/BandscopeSweep.h"
#include "ui/ScopePainter.h"
#include "ui/ZelScopeView.h"

namespace korvex {
namespace {

constexpr std::uint32_t kLower = 100'000'000;
constexpr int kStep = 12'500;
constexpr int kBins = 10'000;  // 9,998 steps, the spare and bin n
constexpr std::uint32_t kUpper = kLower + (kBins - 2) * kStep;

// A doc with every bin sampled a few times, levels all over the scale.
void fill(CZelDoc& doc) {
    doc.setupBandscope(kLower, kUpper, kStep, "NFM", "", 'V', {255, 30});
    doc.resetBins();
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < kBins - 1; ++i) {
            doc.addSample(kLower + static_cast<std::int64_t>(i) * kStep,
                          (i * 37 + round * 101) % 256);
        }
    }
}

void BM_Redraw10000Bins(benchmark::State& state) {
    const auto mode = static_cast<ScopeMode>(state.range(0));
    CZelDoc doc;
    fill(doc);
    QImage image(1400, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        paintScope(painter, image.size(), doc, mode);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_Redraw10000Bins)
    ->Arg(static_cast<int>(ScopeMode::Normal))
    ->Arg(static_cast<int>(ScopeMode::PeakHold))
    ->Arg(static_cast<int>(ScopeMode::Statistic))
    ->ArgName("mode")
    ->Unit(benchmark::kMillisecond);

void BM_AddSampleMillion(benchmark::State& state) {
    CZelDoc doc;
    fill(doc);
    constexpr int kSamples = 1'000'000;
    for (auto _ : state) {
        for (int i = 0; i < kSamples; ++i) {
            doc.addSample(kLower + static_cast<std::int64_t>(i % kBins) * kStep, i & 0xFF);
        }
        benchmark::DoNotOptimize(doc.bins.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_AddSampleMillion)->Unit(benchmark::kMillisecond);

// The window's side of the parser: samples go to the document and the view.
class SweepSink : public bench::SilentHost {
public:
    SweepSink(CZelDoc& doc, CZelScopeView& view) : m_doc(doc), m_view(view) {}
    void bandscopeSample(int level, std::int64_t frequencyHz) override {
        m_doc.addSample(frequencyHz, level);
        m_view.sampleArrived();
    }

private:
    CZelDoc& m_doc;
    CZelScopeView& m_view;
};

class NoWindow : public SweepHost {
public:
    void scopeMessage(const std::string&) override {}
    bool scopeShown() const override { return true; }
    void showScope() override {}
    void showList() override {}
    void redrawScope() override {}
    void setPanelEnabled(bool) override {}
    void refreshScopeTexts() override {}
    int scopeDelay() const override { return 0; }
};

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One second of a sweep at 2,000 reports a second, in real time: the
// reports come in chunks every millisecond, as a serial port hands them
// over, and the shown view repaints with its frames.
void BM_Sweep2000PerSecond(benchmark::State& state) {
    CZelDoc doc;
    fill(doc);
    CReceiver rx;
    PollFields poll;
    NoWindow window;
    CBandscopeSweep sweep(doc, rx, poll.commandQueue, window);
    CZelScopeView view(doc, rx, sweep);
    view.resize(1400, 900);
    view.show();
    SweepSink sink(doc, view);
    ResponseParser parser(rx, poll, sink);
    rx.bandscopeRunning = true;

    constexpr int kPerSecond = 2000;
    double share = 0;
    long long reports = 0;
    for (auto _ : state) {
        const double cpuBefore = processSeconds();
        QElapsedTimer wall;
        wall.start();
        long long sent = 0;
        int bin = 0;
        QTimer feed;
        feed.setInterval(1);
        QObject::connect(&feed, &QTimer::timeout, [&] {
            const long long due = wall.nsecsElapsed() * kPerSecond / 1'000'000'000;
            std::string chunk;
            char line[40];
            for (; sent < due; ++sent) {
                std::snprintf(line, sizeof line, "LC%03d VA RF%010lld\r\n", (bin * 37) % 256,
                              static_cast<long long>(kLower) + static_cast<long long>(bin) * kStep);
                chunk += line;
                bin = (bin + 1) % (kBins - 1);
            }
            parser.receive(chunk);
        });
        feed.start();
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        feed.stop();
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        share += (processSeconds() - cpuBefore) / seconds;
        reports += sent;
    }
    state.counters["core_share"] = share / static_cast<double>(state.iterations());
    state.counters["reports_per_s"] =
        static_cast<double>(reports) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Sweep2000PerSecond)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
