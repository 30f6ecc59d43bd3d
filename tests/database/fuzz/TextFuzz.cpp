// libFuzzer: the Text engine on arbitrary CSV bytes: read to the end, then
// (for odd first bytes) one record appended and the table read again.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "database/Engine.h"

namespace {

std::filesystem::path tempFolder() {
    std::string pattern = "/tmp/korvex-text-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern;
}

std::size_t readAll(korvex::db::RecordSet& records) {
    std::size_t rows = 0;
    while (records.next()) {
        for (std::size_t i = 0; i < records.fields().size(); ++i) {
            (void)records.value(i);
        }
        ++rows;
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex::db;
    static const std::filesystem::path folder = tempFolder();
    {
        std::ofstream out(folder / "t.csv", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string error;
    auto db = openDatabase(kConnectText, folder, false, error);
    if (!db) {
        std::abort();  // the folder exists: opening cannot fail
    }
    auto records = db->query("SELECT * FROM [t.csv]", error);
    if (!records) {
        std::abort();  // the table exists and is readable
    }
    const std::size_t rows = readAll(*records);
    if (rows != records->recordCount()) {
        std::abort();
    }
    if (size == 0 || (data[0] & 1) == 0 || records->fields().empty()) {
        return 0;
    }
    std::vector<Value> values;
    for (const Field& field : records->fields()) {
        values.push_back(field.type == kDouble     ? Value::ofNumber(-0.25)
                         : field.type == kDateTime ? Value::ofDate({2024, 2, 29, 23, 59, 0})
                                                   : Value::ofText("a;b,\"c\"\n\xC3\xA9"));
    }
    if (records->append(values)) {
        return 0;
    }
    auto again = db->query("SELECT * FROM [t.csv]", error);
    if (!again || readAll(*again) != rows + 1) {
        std::abort();  // an append that succeeded adds exactly one record
    }
    return 0;
}
