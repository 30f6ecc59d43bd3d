#include "settings/KorvSettings.h"

#include <cerrno>
#include <climits>
#include <string>

#include "settings/IniFile.h"

namespace korvex {

namespace {

constexpr std::string_view kCommon = "COMMON";
constexpr std::string_view kRs232 = "RS232";
constexpr std::string_view kLog = "LOG";
constexpr std::string_view kAudio = "AUDIO";
constexpr std::string_view kRigctl = "RIGCTL";
constexpr std::string_view kLink = "LINK";
constexpr int kDefaultGapMs = 20;
constexpr int kMaxGapMs = 1000;
constexpr std::string_view kHttp = "HTTP";

bool isFlagOn(std::string_view value) {
    return !value.empty() && value.front() == '1';
}

std::string flagText(bool on) {
    return on ? "1" : "0";
}

// A key's value; a key that is missing or empty is written with the default.
std::string readOrAddDefault(IniFile& ini, std::string_view section, std::string_view key,
                             const std::string& fallback) {
    std::string value = ini.value(section, key);
    if (value.empty()) {
        ini.deleteKey(section, key);
        ini.add(section, key, fallback);
        value = fallback;
    }
    return value;
}

// A flag that is written as "0" when it is missing or empty.
bool readFlagOrAddOff(IniFile& ini, std::string_view key) {
    return isFlagOn(readOrAddDefault(ini, kCommon, key, "0"));
}

// The gap in milliseconds: a whole number of 0..1000, else the default.
int gapFromText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return kDefaultGapMs;
    }
    const int gap = settingsNumber(text);
    return gap <= kMaxGapMs ? gap : kDefaultGapMs;
}

}  // namespace

int settingsNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1) {
            number = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        number = -number;
    }
    if (number > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(number);
}

int versionNumber(unsigned major, unsigned minor, unsigned release, unsigned build) {
    const std::string digits = std::to_string(major) + std::to_string(minor) +
                               std::to_string(release) + std::to_string(build);
    return settingsNumber(digits);
}

int currentVersionNumber() {
    return versionNumber(KORVEX_VERSION_MAJOR, KORVEX_VERSION_MINOR, KORVEX_VERSION_PATCH,
                         KORVEX_VERSION_TWEAK);
}

KorvSettings loadSettings(const std::filesystem::path& iniFile, int currentVersion) {
    int ignored = 0;
    return loadSettings(iniFile, currentVersion, ignored);
}

KorvSettings loadSettings(const std::filesystem::path& iniFile, int currentVersion,
                          int& writeError) {
    IniFile ini(iniFile);
    KorvSettings s;
    writeError = 0;
    const bool refused = !ini.problem().empty();
    const auto wrote = [&](bool ok) {
        if (!ok && !refused && writeError == 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    };

    s.window.left = settingsNumber(ini.value(kCommon, "posx"));
    s.window.top = settingsNumber(ini.value(kCommon, "posy"));
    s.window.width = settingsNumber(ini.value(kCommon, "widthx"));
    s.window.height = settingsNumber(ini.value(kCommon, "widthy"));

    s.smeterMax = settingsNumber(ini.value(kCommon, "smetermax"));
    s.scopeDelay = settingsNumber(ini.value(kCommon, "scopedelay"));
    s.scopeThreshold = settingsNumber(ini.value(kCommon, "scopethresh"));

    s.toolbarShown = !ini.value(kCommon, "artoolbar").starts_with('0');

    s.saveOnExit = isFlagOn(ini.value(kCommon, "saveonexit"));
    s.mark2 = isFlagOn(ini.value(kCommon, "mark2"));

    s.offOnExit = readFlagOrAddOff(ini, "offonexit");

    const std::string version = ini.value(kCommon, "version");
    if (version.empty()) {
        ini.deleteKey(kCommon, "version");
        ini.add(kCommon, "version", std::to_string(currentVersion));
    } else if (settingsNumber(version) < currentVersion) {
        ini.replace(kCommon, "version", std::to_string(currentVersion));
        errno = 0;
        wrote(ini.write());
    }

    s.keybopt = readFlagOrAddOff(ini, "keybopt");

    s.comPortNum = settingsNumber(ini.value(kRs232, "ComPortNum"));
    s.comPortSettings = ini.value(kRs232, "ComPortSettings");
    s.comPortDevice = ini.value(kRs232, "ComPortDevice");

    s.logAudio = settingsNumber(ini.value(kLog, "audio")) == 1;
    s.logCloseTime = settingsNumber(ini.value(kLog, "tdelay"));
    s.logOpenTime = settingsNumber(ini.value(kLog, "tentry"));
    s.logFilePath = ini.value(kLog, "filepath");
    s.playerPath = ini.value(kLog, "xplayerpath");
    s.useExternalPlayer = isFlagOn(ini.value(kLog, "usexplayer"));
    s.audioMaxTime = settingsNumber(ini.value(kLog, "audiotime"));

    s.bitsPerSample =
        static_cast<std::uint16_t>(settingsNumber(ini.value(kAudio, "bitspersample")));
    s.sampleRate = settingsNumber(ini.value(kAudio, "samplefreq"));

    // A file without the section keeps the defaults: off, port 4532, local only.
    s.rigctlEnabled = isFlagOn(ini.value(kRigctl, "enabled"));
    if (const int port = settingsNumber(ini.value(kRigctl, "port")); port > 0 && port <= 65535) {
        s.rigctlPort = port;
    }
    if (const std::string bind = ini.value(kRigctl, "bind"); !bind.empty()) {
        s.rigctlBind = bind;
    }

    // A file from before the fast link gains the section with its defaults
    // (tick pacing, 20 ms), as missing flags do above, so the keys are there
    // to edit and a save keeps the check box.
    s.replyPacing = readOrAddDefault(ini, kLink, "pacing", "tick") == "reply";
    s.linkGapMs = gapFromText(readOrAddDefault(ini, kLink, "gapms", std::to_string(kDefaultGapMs)));

    s.httpEnabled = isFlagOn(ini.value(kHttp, "enabled"));
    if (const int port = settingsNumber(ini.value(kHttp, "port")); port > 0 && port <= 65535) {
        s.httpPort = port;
    }
    if (const std::string bind = ini.value(kHttp, "bind"); !bind.empty()) {
        s.httpBind = bind;
    }
    s.httpToken = ini.value(kHttp, "token");
    s.httpControl = isFlagOn(ini.value(kHttp, "control"));

    errno = 0;
    wrote(ini.close());
    return s;
}

bool saveSettings(const std::filesystem::path& iniFile, const KorvSettings& s,
                  const WindowPlacement& window) {
    IniFile ini(iniFile);
    const auto number = [](int n) { return std::to_string(n); };

    // A minimised window or one shrunk to almost nothing keeps the last good
    // placement.
    const bool placementUsable = !window.minimized && window.width > 200 && window.height > 64 &&
                                 (window.left >= 0 || window.top >= 0);
    if (placementUsable) {
        ini.replace(kCommon, "posx", number(window.left));
        ini.replace(kCommon, "posy", number(window.top));
        ini.replace(kCommon, "widthx", number(window.width));
        ini.replace(kCommon, "widthy", number(window.height));
    }

    ini.replace(kCommon, "smetermax", number(s.smeterMax));
    ini.replace(kCommon, "scopethresh", number(s.scopeThreshold));
    ini.replace(kCommon, "scopedelay", number(s.scopeDelay));
    ini.replace(kCommon, "artoolbar", flagText(s.toolbarShown));
    ini.replace(kCommon, "mark2", flagText(s.mark2));
    ini.replace(kCommon, "saveonexit", flagText(s.saveOnExit));
    ini.replace(kCommon, "offonexit", flagText(s.offOnExit));
    ini.replace(kCommon, "keybopt", flagText(s.keybopt));

    ini.replace(kRs232, "ComPortSettings", s.comPortSettings);
    ini.replace(kRs232, "ComPortNum", number(s.comPortNum));
    ini.replace(kRs232, "ComPortDevice", s.comPortDevice);

    ini.replace(kLog, "audio", flagText(s.logAudio));
    ini.replace(kLog, "tentry", number(s.logOpenTime));
    ini.replace(kLog, "tdelay", number(s.logCloseTime));
    ini.replace(kLog, "filepath", s.logFilePath);
    ini.replace(kLog, "audiotime", number(s.audioMaxTime));
    ini.replace(kLog, "xplayerpath", s.playerPath);
    ini.replace(kLog, "usexplayer", flagText(s.useExternalPlayer));

    ini.replace(kAudio, "bitspersample", number(s.bitsPerSample));
    ini.replace(kAudio, "samplefreq", number(s.sampleRate));

    ini.replace(kRigctl, "enabled", flagText(s.rigctlEnabled));
    ini.replace(kRigctl, "port", number(s.rigctlPort));
    ini.replace(kRigctl, "bind", s.rigctlBind);

    // Loading adds the section; should a file changed since still lack it,
    // a choice other than the default is added, so the check box is kept.
    const std::string pacing = s.replyPacing ? "reply" : "tick";
    if (!ini.replace(kLink, "pacing", pacing) && s.replyPacing) {
        ini.add(kLink, "pacing", pacing);
    }
    if (!ini.replace(kLink, "gapms", number(s.linkGapMs)) && s.linkGapMs != kDefaultGapMs) {
        ini.add(kLink, "gapms", number(s.linkGapMs));
    }

    ini.replace(kHttp, "enabled", flagText(s.httpEnabled));
    ini.replace(kHttp, "port", number(s.httpPort));
    ini.replace(kHttp, "bind", s.httpBind);
    ini.replace(kHttp, "token", s.httpToken);
    ini.replace(kHttp, "control", flagText(s.httpControl));

    return ini.write();
}

bool saveHttpToken(const std::filesystem::path& iniFile, std::string_view token) {
    IniFile ini(iniFile);
    if (!ini.replace(kHttp, "token", token)) {
        ini.deleteKey(kHttp, "token");
        ini.add(kHttp, "token", token);
    }
    return ini.write();
}

bool toggleSaveOnExit(const std::filesystem::path& iniFile, KorvSettings& s) {
    const bool wasOn = s.saveOnExit;
    s.saveOnExit = !s.saveOnExit;
    if (!wasOn) {
        return true;
    }
    IniFile ini(iniFile);
    if (!ini.replace(kCommon, "saveonexit", "0")) {
        // Nothing to change; a file whose folder is gone still fails.
        return ini.close();
    }
    return ini.write();
}

}  // namespace korvex
