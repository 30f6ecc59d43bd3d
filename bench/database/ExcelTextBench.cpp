// Connecting to a 20,000-row Excel sheet and a 20,000-row CSV file and
// reading the 15,000 records a list shows: open, query three fields, read
// every value.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/database/BigCsv.h"
#include "database/Engine.h"

namespace {

constexpr int kRows = 15000;

// Reads kRows records of FREQ, MODE, NAME; false when there are fewer.
bool read15000(korvex::db::RecordSet& rs) {
    double sum = 0.0;
    std::size_t chars = 0;
    int n = 0;
    while (n < kRows && rs.next()) {
        sum += rs.value(0).number;
        chars += rs.value(1).text.size() + rs.value(2).text.size();
        ++n;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(chars);
    return n == kRows;
}

void run(benchmark::State& state, std::string_view connect, const std::filesystem::path& path,
         const std::string& sql) {
    for (auto _ : state) {
        std::string error;
        auto database = korvex::db::openDatabase(connect, path, true, error);
        auto rs = database ? database->query(sql, error) : nullptr;
        if (!rs) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (!read15000(*rs)) {
            state.SkipWithError("fewer records than expected");
            return;
        }
    }
}

void BM_ExcelOpenQueryRead15000(benchmark::State& state) {
    run(state, korvex::db::kConnectExcel, std::filesystem::path(KORVEX_DB_DATA) / "big.xls",
        "SELECT FREQ,MODE,NAME FROM [big]");
}
BENCHMARK(BM_ExcelOpenQueryRead15000)->Unit(benchmark::kMillisecond);

void BM_CsvOpenQueryRead15000(benchmark::State& state) {
    const korvex::bench::BigCsvFolder folder;
    run(state, korvex::db::kConnectText, folder.path(), "SELECT FREQ,MODE,NAME FROM [big.csv]");
}
BENCHMARK(BM_CsvOpenQueryRead15000)->Unit(benchmark::kMillisecond);

}  // namespace
