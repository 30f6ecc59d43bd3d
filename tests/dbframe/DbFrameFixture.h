#pragma once

// Shared pieces of the database frame tests: a temporary folder with copies
// of the fixture tables and a "dbconf.ini" whose slots point at them.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "database/DbSlotConfig.h"
#include "tests/support/TempDir.h"

namespace korvex::test {

class DbFolder {
public:
    DbFolder() : m_temp("korvex-dbframe"), m_dir(m_temp.path()) {}

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path ini() const { return m_dir / "dbconf.ini"; }

    // A copy of a fixture table, so a test may write to it.
    std::filesystem::path copy(const std::string& name) const {
        const std::filesystem::path target = m_dir / name;
        std::filesystem::copy_file(std::filesystem::path(KORVEX_DB_DATA) / name, target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    // Sets up a slot; the file must exist in the folder already. A complete
    // dbconf.ini is written first when there is none.
    void configure(int slot, const std::filesystem::path& file, const std::string& type,
                   const std::vector<std::string>& fields, bool readOnly = true, bool inKhz = false,
                   const std::string& sheet = {}) const {
        db::ensureDbConf(ini());
        db::DbSlotConfig config;
        config.slot = slot;
        config.file = file.string();
        config.type = type;
        config.sheet = sheet;
        for (std::size_t i = 0; i < fields.size() && i < config.fields.size(); ++i) {
            config.fields[i] = fields[i];
        }
        config.readOnly = readOnly;
        config.inKhz = inKhz;
        db::writeSlotSetup(ini(), config);
    }

    std::string read(const std::filesystem::path& file) const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    TempDir m_temp;
    std::filesystem::path m_dir;
};

// The three fields of the fixtures' dBASE files.
inline const std::vector<std::string> kFreqFields = {"FREQ", "MODE", "NAME"};

}  // namespace korvex::test
