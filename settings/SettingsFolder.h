#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvex {

inline constexpr const char* kSettingsFileName = "Korv.ini";
inline constexpr const char* kDatabaseFileName = "dbconf.ini";

// True for an existing folder this process may create files in.
bool isWritableFolder(const std::filesystem::path& folder);

// The environment the settings folder is chosen from.
struct ConfigEnvironment {
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME
    std::string home;           // $HOME, or the user database's home folder
    // Whether the program may write into a folder; tests that run as root,
    // who may write anywhere, put a stricter rule here.
    std::function<bool(const std::filesystem::path&)> folderWritable = isWritableFolder;
};

// The current process's environment.
ConfigEnvironment currentConfigEnvironment();

// The folder that holds "Korv.ini" and "dbconf.ini": `configDir` when given;
// else `executableDir` when it is writable and not an installed program's
// folder (one with ../share/korvex); else $XDG_CONFIG_HOME/korvex (an
// absolute $XDG_CONFIG_HOME only, as the XDG rules say; by default
// ~/.config/korvex), which takes a copy of the files an unused
// `executableDir` holds when it has none of its own. A chosen folder that is
// missing is created.
std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                           const std::filesystem::path& executableDir,
                                           const ConfigEnvironment& environment);
std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                           const std::filesystem::path& executableDir);

// The complete first "Korv.ini": every key with a sensible default, and
// "version" set to `version`.
std::string defaultSettingsText(int version);

// Writes the default "Korv.ini" into `folder` when the folder has none, and
// returns the file's path. A failed write leaves no file; loading then reads
// the missing file as empty. `writeError`, when given, is set to the errno
// value of a failed write, else to 0.
std::filesystem::path ensureSettingsFile(const std::filesystem::path& folder,
                                         int* writeError = nullptr);

}  // namespace korvex
