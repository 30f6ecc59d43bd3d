#include "settings/SettingsFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>

#include "settings/IniFile.h"
#include "settings/KorvSettings.h"
#include "tests/support/TempDir.h"

namespace korvex {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class SettingsFolderTest : public ::testing::Test {
protected:
    TempDir m_root;
    ConfigEnvironment m_env{(m_root.folder() / "xdg").string(),
                            (m_root.folder() / "home").string()};
};

TEST_F(SettingsFolderTest, ConfigDirWinsAndIsCreated) {
    const auto exe = m_root.file("bin");
    std::filesystem::create_directory(exe);
    const auto dir = m_root.folder() / "given" / "deeper";
    EXPECT_EQ(chooseSettingsFolder(dir, exe, m_env), dir);
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST_F(SettingsFolderTest, WritableExecutableFolderIsUsed) {
    const auto exe = m_root.file("bin");
    std::filesystem::create_directory(exe);
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, m_env), exe);
    EXPECT_FALSE(std::filesystem::exists(m_root.folder() / "xdg"));
}

// Every save there would fail: the user's folder takes over, starting from
// the prepared files, and a file already there is not overwritten.
TEST_F(SettingsFolderTest, ReadOnlyExecutableFolderHoldingKorvIniIsNotUsed) {
    const auto exe = m_root.file("bin");
    std::filesystem::create_directory(exe);
    writeBytes(exe / "Korv.ini", "[COMMON]\nmark2=1\n");
    writeBytes(exe / "dbconf.ini", "[DB1]\nfile=x.dbf\n");
    // Read-only for everyone, root included.
    ConfigEnvironment env = m_env;
    env.folderWritable = [exe](const std::filesystem::path& folder) {
        return folder != exe && isWritableFolder(folder);
    };
    const auto xdg = m_root.folder() / "xdg" / "korvex";
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, env), xdg);
    EXPECT_EQ(readBytes(xdg / "Korv.ini"), "[COMMON]\nmark2=1\n");
    EXPECT_EQ(readBytes(xdg / "dbconf.ini"), "[DB1]\nfile=x.dbf\n");

    writeBytes(xdg / "Korv.ini", "[COMMON]\nmark2=0\n");
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, env), xdg);
    EXPECT_EQ(readBytes(xdg / "Korv.ini"), "[COMMON]\nmark2=0\n");
}

// An installed program (data in ../share/korvex) keeps its settings in the
// user's folder even where it may write beside itself, as root may in
// /usr/bin; prepared files there still seed it. The build tree, whose help
// files lie beside the program, keeps them beside the program.
TEST_F(SettingsFolderTest, InstalledProgramFolderIsNotUsedEvenWhenWritable) {
    const auto exe = m_root.folder() / "usr" / "bin";
    std::filesystem::create_directories(exe);
    std::filesystem::create_directories(m_root.folder() / "usr" / "share" / "korvex");
    writeBytes(exe / "Korv.ini", "[COMMON]\nmark2=1\n");
    const auto xdg = m_root.folder() / "xdg" / "korvex";
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, m_env), xdg);
    EXPECT_EQ(readBytes(xdg / "Korv.ini"), "[COMMON]\nmark2=1\n");
    EXPECT_FALSE(std::filesystem::exists(exe / "dbconf.ini"));

    std::filesystem::create_directory(exe / "Help");
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, m_env), exe);
}

TEST_F(SettingsFolderTest, ReadOnlyMeansTheProcessCannotWriteThere) {
    const auto exe = m_root.file("bin");
    std::filesystem::create_directory(exe);
    EXPECT_TRUE(isWritableFolder(exe));
    EXPECT_FALSE(isWritableFolder(m_root.file("missing")));
    if (::geteuid() != 0) {
        ::chmod(exe.c_str(), 0555);
        EXPECT_FALSE(isWritableFolder(exe));
        ::chmod(exe.c_str(), 0755);
    }
}

TEST_F(SettingsFolderTest, OtherwiseTheXdgConfigFolder) {
    // A folder that does not exist can be neither.
    const auto exe = m_root.file("missing-bin");
    const auto xdg = m_root.folder() / "xdg" / "korvex";
    EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, m_env), xdg);
    EXPECT_TRUE(std::filesystem::is_directory(xdg));

    if (::geteuid() != 0) {
        const auto readOnly = m_root.file("ro-bin");
        std::filesystem::create_directory(readOnly);
        ::chmod(readOnly.c_str(), 0555);
        EXPECT_EQ(chooseSettingsFolder(std::nullopt, readOnly, m_env), xdg);
        ::chmod(readOnly.c_str(), 0755);
    }
}

TEST_F(SettingsFolderTest, UnsetOrRelativeXdgFallsBackToHomeConfig) {
    const auto exe = m_root.file("missing-bin");
    const auto homeConfig = m_root.folder() / "home" / ".config" / "korvex";
    for (const char* xdg : {"", "relative/config"}) {
        SCOPED_TRACE(xdg);
        const ConfigEnvironment env{xdg, m_env.home};
        EXPECT_EQ(chooseSettingsFolder(std::nullopt, exe, env), homeConfig);
    }
    EXPECT_TRUE(std::filesystem::is_directory(homeConfig));
}

TEST_F(SettingsFolderTest, FirstFileHoldsEveryKeyWithDefaults) {
    const auto file = ensureSettingsFile(m_root.folder());
    EXPECT_EQ(file, m_root.file("Korv.ini"));

    const std::map<std::string, std::set<std::string>> expectedKeys = {
        {"COMMON",
         {"posx", "posy", "widthx", "widthy", "smetermax", "scopedelay", "scopethresh", "artoolbar",
          "saveonexit", "mark2", "offonexit", "version", "keybopt"}},
        {"RS232", {"ComPortNum", "ComPortSettings", "ComPortDevice"}},
        {"LOG",
         {"audio", "tdelay", "tentry", "filepath", "audiotime", "xplayerpath", "usexplayer"}},
        {"AUDIO", {"bitspersample", "samplefreq"}},
        {"RIGCTL", {"enabled", "port", "bind"}},
        {"LINK", {"pacing", "gapms"}},
        {"HTTP", {"enabled", "port", "bind", "token", "control"}},
    };
    IniFile ini(file);
    std::map<std::string, std::set<std::string>> keys;
    for (const auto& section : ini.sectionNames()) {
        for (const auto& [key, value] : ini.section(section)) {
            keys[section].insert(key);
        }
    }
    EXPECT_EQ(keys, expectedKeys);

    const std::string before = readBytes(file);
    const KorvSettings s = loadSettings(file, currentVersionNumber());
    EXPECT_EQ(readBytes(file), before);  // loading a complete file writes nothing
    EXPECT_EQ(s.smeterMax, 255);
    EXPECT_EQ(s.scopeThreshold, 30);
    EXPECT_EQ(s.comPortSettings, "9600,N,8,2");
    EXPECT_EQ(s.comPortDevice, "");
    EXPECT_EQ(s.sampleRate, 11025);
    EXPECT_EQ(s.bitsPerSample, 8);
    EXPECT_EQ(s.logOpenTime, 1);
    EXPECT_EQ(s.logCloseTime, 2);
    EXPECT_EQ(s.audioMaxTime, 60);
    EXPECT_TRUE(s.toolbarShown);
    EXPECT_GT(s.window.width, 200);
    EXPECT_GT(s.window.height, 64);
    EXPECT_FALSE(s.rigctlEnabled);
    EXPECT_EQ(s.rigctlPort, 4532);
    EXPECT_EQ(s.rigctlBind, "127.0.0.1");
    EXPECT_FALSE(s.httpEnabled);
    EXPECT_EQ(s.httpPort, 8600);
    EXPECT_EQ(s.httpBind, "127.0.0.1");
    EXPECT_EQ(s.httpToken, "");
    EXPECT_FALSE(s.httpControl);
}

TEST_F(SettingsFolderTest, ExistingFileIsLeftAlone) {
    writeBytes(m_root.file("Korv.ini"), "[COMMON]\nposx=1\n");
    ensureSettingsFile(m_root.folder());
    EXPECT_EQ(readBytes(m_root.file("Korv.ini")), "[COMMON]\nposx=1\n");
}

}  // namespace
}  // namespace korvex
