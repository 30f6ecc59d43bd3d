#include "database/DbSlotConfig.h"

#include <charconv>
#include <system_error>

#include "model/BoundedFile.h"
#include "settings/AtomicFile.h"
#include "settings/IniFile.h"

namespace korvex::db {

namespace {

std::string fieldKey(std::size_t role) {
    return "c" + std::to_string(role);
}

std::string widthKey(std::size_t role) {
    return "cw" + std::to_string(role);
}

int parseWidth(const std::string& text) {
    int width = kDefaultColumnWidth;
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ') {
        ++begin;
    }
    int parsed = 0;
    auto [ptr, ec] = std::from_chars(begin, end, parsed);
    if (ec == std::errc() && ptr != begin) {
        width = parsed;
    }
    return width < kMinColumnWidth ? kMinColumnWidth : width;
}

}  // namespace

std::string slotSection(int slot) {
    return "DB" + std::to_string(slot >= 1 && slot <= kSlotCount ? slot : 0);
}

DbSlotConfig readSlotConfig(const std::filesystem::path& iniPath, int slot) {
    IniFile ini(iniPath);
    const std::string section = slotSection(slot);
    DbSlotConfig config;
    config.slot = slot;
    config.problem = ini.problem();
    // A value beyond the limit would reach queries and message boxes whole.
    const auto value = [&](const std::string& key) {
        std::string text = ini.value(section, key);
        if (text.size() > kSlotValueLimit) {
            if (config.problem.empty()) {
                config.problem = "The file\n" + iniPath.string() + "\nholds in [" + section +
                                 "] a value of \"" + key + "\" longer than " +
                                 byteCountText(kSlotValueLimit) + ".";
            }
            text.clear();
        }
        return text;
    };
    config.file = value("file");
    config.type = value("type");
    config.sheet = value("xlssheet");
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        config.fields[role] = value(fieldKey(role));
        config.columnWidths[role] = parseWidth(ini.value(section, widthKey(role)));
    }
    config.readOnly = ini.value(section, "readonly") == "1";
    config.inKhz = ini.value(section, "finkhz") == "1";
    return config;
}

bool writeSlotSetup(const std::filesystem::path& iniPath, const DbSlotConfig& config) {
    IniFile ini(iniPath);
    const std::string section = slotSection(config.slot);
    ini.replace(section, "file", config.file);
    ini.replace(section, "type", config.type);
    ini.replace(section, "xlssheet", config.sheet);
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        ini.replace(section, fieldKey(role), config.fields[role]);
    }
    ini.replace(section, "readonly", config.readOnly ? "1" : "0");
    ini.replace(section, "finkhz", config.inKhz ? "1" : "0");
    return ini.close();
}

bool clearSlotSetup(const std::filesystem::path& iniPath, int slot) {
    IniFile ini(iniPath);
    const std::string section = slotSection(slot);
    for (const char* key : {"file", "xlssheet", "type"}) {
        ini.replace(section, key, "");
    }
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        ini.replace(section, fieldKey(role), "");
    }
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        ini.replace(section, widthKey(role), "");
    }
    return ini.close();
}

bool saveColumnWidths(const std::filesystem::path& iniPath, int slot,
                      const std::array<int, kRoleCount>& widths) {
    IniFile ini(iniPath);
    const std::string section = slotSection(slot);
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        ini.replace(section, widthKey(role), std::to_string(widths[role]));
    }
    return ini.close();
}

std::string defaultDbConf() {
    std::string text;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        text += "[" + slotSection(slot) + "]\n";
        for (const char* key : {"file", "type", "xlssheet"}) {
            text += std::string(key) + "=\n";
        }
        for (std::size_t role = 0; role < kRoleCount; ++role) {
            text += fieldKey(role) + "=\n";
        }
        text += "readonly=\nfinkhz=\n";
        for (std::size_t role = 0; role < kRoleCount; ++role) {
            text += widthKey(role) + "=\n";
        }
        if (slot < kSlotCount) {
            text += "\n";
        }
    }
    return text;
}

bool ensureDbConf(const std::filesystem::path& iniPath) {
    std::error_code ec;
    if (std::filesystem::exists(iniPath, ec)) {
        return true;
    }
    return writeFileAtomically(iniPath, defaultDbConf());
}

}  // namespace korvex::db
