// Connecting a slot and filling the DATABASE list: CDbDao opens the
// 20,000-record table, and 15,000 records become the list's texts, as the
// view's fill reads them (without the widgets).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "bench/database/BigCsv.h"
#include "database/DbDao.h"
#include "database/DbSlotConfig.h"

namespace {

constexpr std::size_t kRows = 15000;

void fill(benchmark::State& state, const std::filesystem::path& file, const char* type,
          const char* sheet) {
    const korvex::bench::BigCsvFolder folder;  // also holds dbconf.ini
    const auto ini = folder.path() / "dbconf.ini";
    korvex::db::ensureDbConf(ini);
    korvex::db::DbSlotConfig config;
    config.slot = 1;
    config.file = file.string();
    config.type = type;
    config.sheet = sheet;
    config.fields[0] = "FREQ";
    config.fields[1] = "MODE";
    config.fields[2] = "NAME";
    korvex::db::writeSlotSetup(ini, config);
    for (auto _ : state) {
        korvex::db::CDbDao dao;
        std::optional<korvex::db::DbMessage> message;
        if (!dao.connect(ini, 1, message)) {
            state.SkipWithError(message ? message->text.c_str() : "no records");
            return;
        }
        std::vector<korvex::db::RecordTexts> rows(1);
        dao.readRecord(false, rows[0]);
        korvex::db::RecordTexts texts;
        while (rows.size() < kRows && dao.readRecord(true, texts)) {
            rows.push_back(texts);
        }
        if (rows.size() != kRows) {
            state.SkipWithError("fewer records than expected");
            return;
        }
        benchmark::DoNotOptimize(rows.data());
    }
}

const std::filesystem::path kData(KORVEX_DB_DATA);

void BM_FillFromDbase(benchmark::State& state) {
    fill(state, kData / "big.dbf", "dBASE III;", "");
}
BENCHMARK(BM_FillFromDbase)->Unit(benchmark::kMillisecond);

void BM_FillFromExcel(benchmark::State& state) {
    fill(state, kData / "big.xls", "Excel 5.0;", "big");
}
BENCHMARK(BM_FillFromExcel)->Unit(benchmark::kMillisecond);

void BM_FillFromCsv(benchmark::State& state) {
    const korvex::bench::BigCsvFolder csv;
    fill(state, csv.path() / "big.csv", "Text;", "");
}
BENCHMARK(BM_FillFromCsv)->Unit(benchmark::kMillisecond);

}  // namespace
