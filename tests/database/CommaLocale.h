#pragma once

// Switches LC_NUMERIC to German, where printf and strtod use a decimal comma,
// for tests that numbers are written and read the same in any locale. The
// locale is compiled into a temporary folder (no system change); false when
// that cannot be done here.

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace korvex::db::test {

// The compiled locale's folder, removed when the test program ends.
class CommaLocaleFolder {
public:
    CommaLocaleFolder() {
        std::string folder =
            (std::filesystem::temp_directory_path() / "korvex-locale-XXXXXX").string();
        if (!::mkdtemp(folder.data())) {
            return;
        }
        m_folder = folder;
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
        m_made = std::system(command.c_str()) == 0;
        if (m_made) {
            ::setenv("LOCPATH", folder.c_str(), 1);
        }
    }
    ~CommaLocaleFolder() {
        std::error_code ec;
        if (!m_folder.empty()) {
            std::filesystem::remove_all(m_folder, ec);
        }
    }
    bool made() const { return m_made; }

private:
    std::filesystem::path m_folder;
    bool m_made = false;
};

inline bool switchToCommaLocale() {
    static const CommaLocaleFolder folder;
    return folder.made() && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

// Back to the "C" rules when the test ends.
struct CLocaleAtEnd {
    ~CLocaleAtEnd() { std::setlocale(LC_NUMERIC, "C"); }
};

}  // namespace korvex::db::test
