// libFuzzer: a .dbf file opened, queried, read to the end and appended to
// through the dBASE engine; and its header check alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "database/DbaseLayout.h"
#include "database/Engine.h"
#include "database/Engines.h"

namespace {

const std::filesystem::path& folder() {
    static const std::filesystem::path path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvex-dbf-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder(), ec);
        });
        return std::filesystem::path(pattern);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    korvex::db::parseDbaseLayout(data, size, size, error);

    const auto file = folder() / "t.dbf";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto database = korvex::db::openDbase(folder(), false, error);
    if (!database) {
        return 0;
    }
    auto rs = database->query("SELECT * FROM [t.dbf]", error);
    if (!rs) {
        return 0;
    }
    std::size_t n = 0;
    while (rs->next()) {
        for (std::size_t i = 0; i < rs->fields().size(); ++i) {
            rs->value(i);
        }
        ++n;
    }
    if (n != rs->recordCount()) {
        std::abort();
    }
    std::vector<korvex::db::Value> values(rs->fields().size());
    if (!values.empty()) {
        values[0] = korvex::db::Value::ofNumber(12.5);
    }
    rs->append(values);
    return 0;
}
