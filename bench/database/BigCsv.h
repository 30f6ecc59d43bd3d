#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace korvex::bench {

// A folder holding big.csv: 20,000 rows of FREQ, MODE, NAME as a frequency
// list exported from a spreadsheet would have them.
class BigCsvFolder {
public:
    BigCsvFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvex-csv-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
        std::ofstream out(m_path / "big.csv", std::ios::binary);
        out << "FREQ,MODE,NAME\r\n";
        static const char* const kModes[] = {"NFM", "WFM", "AM", "USB", "LSB", "CW", "SFM"};
        char line[96];
        for (int i = 0; i < 20000; ++i) {
            std::snprintf(line, sizeof line, "%.5f,%s,\"Station %05d, Ch %d\"\r\n",
                          25.0 + (i * 7919 % 1975000) * 0.001, kModes[i % 7], i, i % 100);
            out << line;
        }
    }
    ~BigCsvFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace korvex::bench
