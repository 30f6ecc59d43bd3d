#include "database/Engines.h"

namespace korvex::db {

// Not built yet: replaced by the Dbase engine.
std::unique_ptr<Database> openDbase(const std::filesystem::path&, bool, std::string& error) {
    error = "The Dbase engine is not built yet.";
    return nullptr;
}

}  // namespace korvex::db
