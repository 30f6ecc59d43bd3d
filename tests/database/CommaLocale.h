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

#include "tests/support/TempDir.h"

namespace korvex::db::test {

// The compiled locale's folder, removed when the test program ends.
class CommaLocaleFolder {
public:
    CommaLocaleFolder() {
        const std::string& folder = m_folder.path();
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
        m_made = std::system(command.c_str()) == 0;
        if (m_made) {
            ::setenv("LOCPATH", folder.c_str(), 1);
        }
    }
    bool made() const { return m_made; }

private:
    korvex::test::TempDir m_folder{"korvex-locale"};
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
