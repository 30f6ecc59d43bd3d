#pragma once

// The engines behind openDatabase(), one per file format.

#include <filesystem>
#include <memory>
#include <string>

#include "database/Engine.h"

namespace korvex::db {

// A folder whose .dbf files are the tables.
std::unique_ptr<Database> openDbase(const std::filesystem::path& folder, bool readOnly,
                                    std::string& error);
// An .xls workbook (read only) whose sheets are the tables.
std::unique_ptr<Database> openExcel(const std::filesystem::path& file, std::string& error);
// A folder whose .csv files are the tables.
std::unique_ptr<Database> openText(const std::filesystem::path& folder, bool readOnly,
                                   std::string& error);

}  // namespace korvex::db
