#include "settings/SettingsFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "settings/AtomicFile.h"
#include "settings/KorvSettings.h"

namespace korvex {

namespace {

// The first file's text; "@VERSION@" becomes the current version number.
constexpr std::string_view kDefaultSettings =
    "[COMMON]\n"
    "posx=100\n"
    "posy=100\n"
    "widthx=1000\n"
    "widthy=700\n"
    "smetermax=255\n"
    "scopedelay=5\n"
    "scopethresh=30\n"
    "artoolbar=1\n"
    "saveonexit=1\n"
    "mark2=0\n"
    "offonexit=0\n"
    "version=@VERSION@\n"
    "keybopt=0\n"
    "\n"
    "[RS232]\n"
    "ComPortNum=1\n"
    "ComPortSettings=9600,N,8,2\n"
    "ComPortDevice=\n"
    "\n"
    "[LOG]\n"
    "audio=0\n"
    "tdelay=2\n"
    "tentry=1\n"
    "filepath=\n"
    "audiotime=60\n"
    "xplayerpath=\n"
    "usexplayer=0\n"
    "\n"
    "[AUDIO]\n"
    "bitspersample=8\n"
    "samplefreq=11025\n"
    "\n"
    "[RIGCTL]\n"
    "enabled=0\n"
    "port=4532\n"
    "bind=127.0.0.1\n"
    "\n"
    "[LINK]\n"
    "pacing=tick\n"
    "gapms=20\n"
    "\n"
    "[HTTP]\n"
    "enabled=0\n"
    "port=8600\n"
    "bind=127.0.0.1\n"
    "token=\n"
    "control=0\n";

std::string getEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeFromUserDatabase() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir) {
        return result->pw_dir;
    }
    return {};
}

std::filesystem::path created(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

// A read-only program folder may carry prepared settings: the user's folder
// starts from them instead of from the defaults. Files already there stay.
void seedFrom(const std::filesystem::path& programFolder, const std::filesystem::path& folder) {
    for (const char* name : {kSettingsFileName, kDatabaseFileName}) {
        std::error_code ec;
        const auto source = programFolder / name;
        const auto target = folder / name;
        if (std::filesystem::is_regular_file(source, ec) && !std::filesystem::exists(target, ec)) {
            std::filesystem::copy_file(source, target, ec);
        }
    }
}

// An installed program's folder (/usr/bin, or bin/ of any prefix): its data
// lies in ../share/korvex, and the build tree's help files are not beside
// it. The settings never go there, not even for root, who may write there.
bool isInstalledProgramFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder / ".." / "share" / "korvex", ec) &&
           !std::filesystem::exists(folder / "Help", ec);
}

}  // namespace

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

ConfigEnvironment currentConfigEnvironment() {
    ConfigEnvironment env;
    env.xdgConfigHome = getEnv("XDG_CONFIG_HOME");
    env.home = getEnv("HOME");
    if (env.home.empty()) {
        env.home = homeFromUserDatabase();
    }
    return env;
}

std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                           const std::filesystem::path& executableDir,
                                           const ConfigEnvironment& environment) {
    if (configDir && !configDir->empty()) {
        return created(*configDir);
    }
    // Every save writes a temporary file beside "Korv.ini" and renames it,
    // so a folder that cannot be written is no settings folder even when it
    // holds the file.
    if (!executableDir.empty() && !isInstalledProgramFolder(executableDir) &&
        environment.folderWritable(executableDir)) {
        return executableDir;
    }
    std::filesystem::path base;
    if (!environment.xdgConfigHome.empty() &&
        std::filesystem::path(environment.xdgConfigHome).is_absolute()) {
        base = environment.xdgConfigHome;
    } else {
        base = std::filesystem::path(environment.home) / ".config";
    }
    const std::filesystem::path folder = created(base / "korvex");
    if (!executableDir.empty()) {
        seedFrom(executableDir, folder);
    }
    return folder;
}

std::filesystem::path chooseSettingsFolder(const std::optional<std::filesystem::path>& configDir,
                                           const std::filesystem::path& executableDir) {
    return chooseSettingsFolder(configDir, executableDir, currentConfigEnvironment());
}

std::string defaultSettingsText(int version) {
    constexpr std::string_view kMarker = "@VERSION@";
    std::string text(kDefaultSettings);
    const auto at = text.find(kMarker);
    text.replace(at, kMarker.size(), std::to_string(version));
    return text;
}

std::filesystem::path ensureSettingsFile(const std::filesystem::path& folder, int* writeError) {
    const std::filesystem::path file = folder / kSettingsFileName;
    int error = 0;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found &&
        !writeFileAtomically(file, defaultSettingsText(currentVersionNumber()))) {
        error = errno != 0 ? errno : EIO;
    }
    if (writeError != nullptr) {
        *writeError = error;
    }
    return file;
}

}  // namespace korvex
