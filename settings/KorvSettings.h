#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

// The main window's screen rectangle, and whether it is minimised (a
// minimised window's rectangle says nothing about where it belongs).
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool minimized = false;

    bool operator==(const WindowPlacement&) const = default;
};

// Everything "Korv.ini" stores. The defaults are what a file without the
// key gives.
struct KorvSettings {
    // COMMON
    WindowPlacement window;    // "posx", "posy", "widthx", "widthy"
    int smeterMax = 0;         // "smetermax"
    int scopeDelay = 0;        // "scopedelay", units of 10 ms
    int scopeThreshold = 0;    // "scopethresh"
    bool toolbarShown = true;  // "artoolbar"
    bool saveOnExit = false;   // "saveonexit"
    bool mark2 = false;        // "mark2"
    bool offOnExit = false;    // "offonexit"
    bool keybopt = false;      // "keybopt"

    // RS232
    int comPortNum = 0;           // "ComPortNum", 1..4
    std::string comPortSettings;  // "ComPortSettings", such as "9600,N,8,2"
    std::string comPortDevice;    // "ComPortDevice": when set, used instead of the number

    // LOG
    bool logAudio = false;           // "audio"
    int logCloseTime = 0;            // "tdelay", seconds
    int logOpenTime = 0;             // "tentry", seconds
    std::string logFilePath;         // "filepath"
    int audioMaxTime = 0;            // "audiotime", seconds
    std::string playerPath;          // "xplayerpath"
    bool useExternalPlayer = false;  // "usexplayer"

    // AUDIO
    std::uint16_t bitsPerSample = 0;  // "bitspersample"
    int sampleRate = 0;               // "samplefreq"

    // RIGCTL: the network control server
    bool rigctlEnabled = false;            // "enabled"
    int rigctlPort = 4532;                 // "port", 1..65535
    std::string rigctlBind = "127.0.0.1";  // "bind": the address it listens on

    // LINK: when the next command goes to the receiver
    bool replyPacing = false;  // "pacing": "reply", or "tick" (the 100 ms poll tick)
    int linkGapMs = 20;        // "gapms": 0..1000 after a complete reply

    // HTTP: the station's web page
    bool httpEnabled = false;            // "enabled"
    int httpPort = 8600;                 // "port", 1..65535
    std::string httpBind = "127.0.0.1";  // "bind": the address it listens on
    std::string httpToken;               // "token": 32 hex digits, made when first needed
    bool httpControl = false;            // "control": whether the page may tune

    bool operator==(const KorvSettings&) const = default;
};

// The settings' version number of a program version: the four parts
// joined without separators and read as a decimal number (1.4.1.0 gives 1410).
int versionNumber(unsigned major, unsigned minor, unsigned release, unsigned build);
// The version number of this program.
int currentVersionNumber();

// Reads a number the way the settings file's values are read: leading blanks,
// an optional sign, then digits up to the first other character. An empty or
// non-numeric text gives 0; a number out of range gives the nearest int.
int settingsNumber(std::string_view text);

// Reads the settings file. Adds "offonexit" = 0 and "keybopt" = 0 when they
// are missing or empty, "version" when it is missing or empty and the LINK
// section's "pacing" = tick and "gapms" = 20 when they are missing or empty,
// and raises an older "version" to `currentVersion`; these are the only
// writes.
KorvSettings loadSettings(const std::filesystem::path& iniFile,
                          int currentVersion = currentVersionNumber());
// The same; `writeError` is set to the errno value of the first of those
// writes that failed (a file that was refused when read is never written and
// counts as no failure here), else to 0.
KorvSettings loadSettings(const std::filesystem::path& iniFile, int currentVersion,
                          int& writeError);

// Stores the settings into keys that already exist in the file; it never
// creates a key or a section and never changes "version". The window
// placement is stored only when `window` is not minimised, is more than 200
// by 64 pixels and has its left or top edge on screen; `settings.window` is
// not used. False when the file could not be written.
bool saveSettings(const std::filesystem::path& iniFile, const KorvSettings& settings,
                  const WindowPlacement& window);

// Writes the web page's access token into the HTTP section (adding the key or
// the section when missing). False when the file could not be written.
bool saveHttpToken(const std::filesystem::path& iniFile, std::string_view token);

// Inverts `settings.saveOnExit`. Turning it off writes "saveonexit" = 0 at
// once, so that the next run does not save on exit; turning it on writes
// nothing. False when that write failed.
bool toggleSaveOnExit(const std::filesystem::path& iniFile, KorvSettings& settings);

}  // namespace korvex
