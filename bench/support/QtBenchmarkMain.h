#pragma once

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace korvex {

// The main of a benchmark program that needs Qt's event loop (sockets,
// timers): a core application around Google Benchmark's own run.
// `registerMore` adds benchmarks made at run time, after the flags are read.
template <typename Register>
int runQtBenchmarks(int argc, char** argv, Register registerMore) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerMore();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline int runQtBenchmarks(int argc, char** argv) {
    return runQtBenchmarks(argc, argv, [] {});
}

}  // namespace korvex
