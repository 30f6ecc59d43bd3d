// Connecting to the 20,000-record dBASE table and reading the 15,000 records
// a list shows: open, query three fields, read every value.
#include <benchmark/benchmark.h>

#include <string>

#include "database/Engine.h"

namespace {

constexpr int kRows = 15000;

void BM_DbaseOpenQueryRead15000(benchmark::State& state) {
    for (auto _ : state) {
        std::string error;
        auto database =
            korvex::db::openDatabase(korvex::db::kConnectDbase3, KORVEX_DB_DATA, true, error);
        auto rs =
            database ? database->query("SELECT FREQ,MODE,NAME FROM [big.dbf]", error) : nullptr;
        if (!rs) {
            state.SkipWithError(error.c_str());
            return;
        }
        double sum = 0.0;
        std::size_t chars = 0;
        int n = 0;
        while (n < kRows && rs->next()) {
            sum += rs->value(0).number;
            chars += rs->value(1).text.size() + rs->value(2).text.size();
            ++n;
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
        if (n != kRows) {
            state.SkipWithError("fewer records than expected");
            return;
        }
    }
}
BENCHMARK(BM_DbaseOpenQueryRead15000)->Unit(benchmark::kMillisecond);

}  // namespace
