#include "database/Engines.h"

namespace korvex::db {

// Not built yet: replaced by the Text engine.
std::unique_ptr<Database> openText(const std::filesystem::path&, bool, std::string& error) {
    error = "The Text engine is not built yet.";
    return nullptr;
}

}  // namespace korvex::db
