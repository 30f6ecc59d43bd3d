#pragma once

// One input for the INI reader: read, looked up, changed in memory, and the
// untouched lines given back byte for byte.

#include <algorithm>
#include <string_view>

#include "settings/IniFile.h"
#include "support/FuzzInput.h"

namespace korvex::test {

// False when what was read breaks a rule the reader promises.
inline bool readIniInput(std::string_view data) {
    IniFile ini;
    if (!ini.open(scratchFile("ini", data))) {
        const auto lines = static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
        return (data.size() > IniFile::kIniFileLimit || lines >= IniFile::kIniLineLimit) &&
               !ini.problem().empty();
    }
    if (ini.text() != data) {
        return false;  // every line passes through untouched
    }
    for (const std::string& name : ini.sectionNames()) {
        for (const auto& entry : ini.section(name)) {
            if (!ini.find(name, entry.first)) {
                return false;
            }
        }
    }
    // A line break in a name or value never makes a line of its own.
    ini.add("LOG", "audio\nx", "1\r\n[COMMON]");
    return ini.find("LOG", "audiox").has_value();
}

}  // namespace korvex::test
