#pragma once

// Shared by the dBASE engine's tests: fixture copies in a temporary folder,
// reading a whole table through the engine, and shapelib's dbfdump.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "database/Engine.h"
#include "database/Engines.h"
#include "tests/database/DataFolder.h"
#include "tests/support/TempDir.h"

namespace korvex::test {

inline std::filesystem::path dbData(const std::string& name) {
    return kData / name;
}

// Copies fixture tables into `folder` (renamed when `as` is given).
inline void copyFixture(const TempDir& folder, const std::string& name,
                        const std::string& as = {}) {
    std::filesystem::copy_file(dbData(name), folder.file(as.empty() ? name : as),
                               std::filesystem::copy_options::overwrite_existing);
}

// Every record of a query, each value turned into text ("" for Null,
// "D:YYYY-MM-DD" for dates, "BAD:raw" for bad dates, numbers with %g).
inline std::vector<std::vector<std::string>> readAll(db::RecordSet& rs) {
    std::vector<std::vector<std::string>> rows;
    while (rs.next()) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < rs.fields().size(); ++i) {
            const db::Value v = rs.value(i);
            char buffer[64];
            switch (v.kind) {
                case db::Value::Kind::Null:
                    row.emplace_back();
                    break;
                case db::Value::Kind::Number:
                    std::snprintf(buffer, sizeof buffer, "%.10g", v.number);
                    row.emplace_back(buffer);
                    break;
                case db::Value::Kind::Text:
                    row.push_back(v.text);
                    break;
                case db::Value::Kind::Date:
                    std::snprintf(buffer, sizeof buffer, "D:%04d-%02d-%02d", v.date.year,
                                  v.date.month, v.date.day);
                    row.emplace_back(buffer);
                    break;
                case db::Value::Kind::BadDate:
                    row.push_back("BAD:" + v.text);
                    break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

inline std::unique_ptr<db::RecordSet> queryOrFail(db::Database& database, const std::string& sql) {
    std::string error;
    auto rs = database.query(sql, error);
    EXPECT_TRUE(rs) << sql << ": " << error;
    return rs;
}

// The output of shapelib's dbfdump on a file (a separate program, so a
// reader that is not ours checks what the engine wrote).
inline std::string dbfdump(const std::filesystem::path& file, int* status = nullptr) {
    const std::string command = "dbfdump '" + file.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    if (pipe == nullptr) {
        return out;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int rc = ::pclose(pipe);
    if (status != nullptr) {
        *status = rc;
    }
    return out;
}

}  // namespace korvex::test
