#pragma once

// The folder of the fixture tables the database tests read.

#include <filesystem>

namespace korvex::test {

inline const std::filesystem::path kData = KORVEX_DB_DATA;

}  // namespace korvex::test
