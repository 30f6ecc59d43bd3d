// libFuzzer: the Excel engine on arbitrary workbook bytes, every sheet read
// to the end.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "database/Engine.h"

namespace {

std::string tempFile() {
    std::string pattern = "/tmp/korvex-excel-fuzz-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
        ::close(fd);
    }
    return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = tempFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string error;
    auto db = korvex::db::openDatabase(korvex::db::kConnectExcel, path, true, error);
    if (!db) {
        return 0;
    }
    for (const std::string& sheet : db->tableNames()) {
        auto records = db->query("SELECT * FROM [" + sheet + "]", error);
        while (records && records->next()) {
            for (std::size_t i = 0; i < records->fields().size(); ++i) {
                (void)records->value(i);
            }
        }
    }
    return 0;
}
