#include "database/Engines.h"

namespace korvex::db {

// Not built yet: replaced by the Excel engine.
std::unique_ptr<Database> openExcel(const std::filesystem::path&, std::string& error) {
    error = "The Excel engine is not built yet.";
    return nullptr;
}

}  // namespace korvex::db
