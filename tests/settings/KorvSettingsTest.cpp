#include "settings/KorvSettings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"
#include "tests/support/TempDir.h"

namespace korvex {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

constexpr int kVersion = 1410;

TEST(SettingsNumberTest, ReadsLeadingDecimalDigits) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 0},
        {"12", 12},
        {"  42", 42},
        {"\t7", 7},
        {"-5", -5},
        {"+7", 7},
        {"12abc", 12},
        {"1 2", 1},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settingsNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(VersionNumberTest, JoinsTheFourParts) {
    EXPECT_EQ(versionNumber(1, 4, 1, 0), 1410);
    EXPECT_EQ(versionNumber(1, 10, 0, 2), 11002);
    EXPECT_EQ(versionNumber(0, 0, 0, 0), 0);
    EXPECT_EQ(currentVersionNumber(), kVersion);
}

class KorvSettingsTest : public ::testing::Test {
protected:
    KorvSettings loadFrom(std::string_view text) {
        writeBytes(m_file, text);
        return loadSettings(m_file, kVersion);
    }
    std::string fileText() const { return readBytes(m_file); }

    TempDir m_folder;
    std::filesystem::path m_file = m_folder.file("Korv.ini");
};

// A file that holds every key, so that load writes nothing.
constexpr std::string_view kComplete =
    "[COMMON]\r\n"
    "posx=10\r\n"
    "posy=20\r\n"
    "widthx=800\r\n"
    "widthy=600\r\n"
    "smetermax=200\r\n"
    "scopedelay=3\r\n"
    "scopethresh=40\r\n"
    "artoolbar=0\r\n"
    "saveonexit=1\r\n"
    "mark2=1\r\n"
    "offonexit=1\r\n"
    "version=1410\r\n"
    "keybopt=1\r\n"
    "[RS232]\r\n"
    "ComPortNum=2\r\n"
    "ComPortSettings=19200,N,8,2\r\n"
    "ComPortDevice=/dev/ttyUSB0\r\n"
    "[LOG]\r\n"
    "audio=1\r\n"
    "tdelay=4\r\n"
    "tentry=3\r\n"
    "filepath=/home/op/logs/k\xF6ln.log\r\n"
    "audiotime=90\r\n"
    "xplayerpath=/usr/bin/aplay\r\n"
    "usexplayer=1\r\n"
    "[AUDIO]\r\n"
    "bitspersample=16\r\n"
    "samplefreq=22050\r\n"
    "[LINK]\r\n"
    "pacing=tick\r\n"
    "gapms=20\r\n";

// What load adds to a file without the link's section.
constexpr std::string_view kLinkAdded = "\n[LINK]\npacing=tick\ngapms=20\n";

// What kComplete holds, every key away from its default.
KorvSettings completeSettings() {
    KorvSettings expected;
    expected.window = {10, 20, 800, 600};
    expected.smeterMax = 200;
    expected.scopeDelay = 3;
    expected.scopeThreshold = 40;
    expected.toolbarShown = false;
    expected.saveOnExit = true;
    expected.mark2 = true;
    expected.offOnExit = true;
    expected.keybopt = true;
    expected.comPortNum = 2;
    expected.comPortSettings = "19200,N,8,2";
    expected.comPortDevice = "/dev/ttyUSB0";
    expected.logAudio = true;
    expected.logCloseTime = 4;
    expected.logOpenTime = 3;
    expected.logFilePath = "/home/op/logs/k\xF6ln.log";
    expected.audioMaxTime = 90;
    expected.playerPath = "/usr/bin/aplay";
    expected.useExternalPlayer = true;
    expected.bitsPerSample = 16;
    expected.sampleRate = 22050;
    return expected;
}

TEST_F(KorvSettingsTest, LoadsEveryKeyAndWritesNothingWhenAllArePresent) {
    const KorvSettings s = loadFrom(kComplete);
    const KorvSettings expected = completeSettings();
    EXPECT_EQ(s, expected);
    EXPECT_EQ(fileText(), kComplete);
}

TEST_F(KorvSettingsTest, MixedCaseNamesAreRead) {
    const KorvSettings s = loadFrom(
        "[common]\nPosX=33\nSmeterMAX=99\nOFFONEXIT=1\nVersion=1410\nKEYBOPT=0\n"
        "[rs232]\ncomportnum=3\n[Audio]\nBitsPerSample=16\n");
    EXPECT_EQ(s.window.left, 33);
    EXPECT_EQ(s.smeterMax, 99);
    EXPECT_TRUE(s.offOnExit);
    EXPECT_EQ(s.comPortNum, 3);
    EXPECT_EQ(s.bitsPerSample, 16);
}

TEST_F(KorvSettingsTest, FlagRules) {
    struct Case {
        const char* value;
        bool toolbarShown;  // hidden only by a leading "0"
        bool flag;          // on only by a leading "1" (blanks around values are dropped)
        bool logAudio;      // on only when the number is 1
    };
    const Case cases[] = {
        {"1", true, true, true},   {"0", false, false, false}, {"01", false, false, true},
        {"10", true, true, false}, {"x", true, false, false},  {"2", true, false, false},
        {" 1", true, true, true},  {"", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("value \"") + c.value + "\"");
        const std::string v = c.value;
        const KorvSettings s =
            loadFrom("[COMMON]\nartoolbar=" + v + "\nsaveonexit=" + v + "\nmark2=" + v +
                     "\noffonexit=1\nversion=1410\nkeybopt=1\n"
                     "[LOG]\naudio=" +
                     v + "\nusexplayer=" + v + "\n");
        EXPECT_EQ(s.toolbarShown, c.toolbarShown);
        EXPECT_EQ(s.saveOnExit, c.flag);
        EXPECT_EQ(s.mark2, c.flag);
        EXPECT_EQ(s.useExternalPlayer, c.flag);
        EXPECT_EQ(s.logAudio, c.logAudio);
    }
}

TEST_F(KorvSettingsTest, EmptyFlagsAreRewrittenAsZeroAtTheEndOfCommon) {
    const KorvSettings s =
        loadFrom("[COMMON]\noffonexit=\nposx=5\nversion=1410\nkeybopt=1\n\n[LOG]\naudio=0\n");
    EXPECT_FALSE(s.offOnExit);
    EXPECT_EQ(fileText(),
              "[COMMON]\nposx=5\nversion=1410\nkeybopt=1\noffonexit=0\n\n[LOG]\naudio=0\n" +
                  std::string(kLinkAdded));

    const KorvSettings t = loadFrom("[COMMON]\nversion=1410\nKeybOpt=\noffonexit=1\n");
    EXPECT_FALSE(t.keybopt);
    EXPECT_TRUE(t.offOnExit);
    EXPECT_EQ(fileText(),
              "[COMMON]\nversion=1410\noffonexit=1\nkeybopt=0\n" + std::string(kLinkAdded));
}

TEST_F(KorvSettingsTest, VersionRule) {
    struct Case {
        const char* name;
        const char* versionLine;  // "" for no line at all
        const char* afterLoad;
    };
    const Case cases[] = {
        {"older is raised", "version=1300\n", "version=1410\n"},
        {"equal is kept", "version=1410\n", "version=1410\n"},
        {"larger is kept", "version=1500\n", "version=1500\n"},
        {"non-numeric is raised", "version=abc\n", "version=1410\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadFrom(std::string("[COMMON]\noffonexit=0\n") + c.versionLine + "keybopt=0\n");
        EXPECT_EQ(fileText(), std::string("[COMMON]\noffonexit=0\n") + c.afterLoad + "keybopt=0\n" +
                                  std::string(kLinkAdded));
    }

    loadFrom("[COMMON]\nversion=\noffonexit=0\nkeybopt=0\n");
    EXPECT_EQ(fileText(),
              "[COMMON]\noffonexit=0\nkeybopt=0\nversion=1410\n" + std::string(kLinkAdded));
}

TEST_F(KorvSettingsTest, MissingFileGetsTheThreeCommonKeysAndTheLinkSection) {
    const KorvSettings s = loadSettings(m_file, kVersion);
    EXPECT_EQ(s, KorvSettings{});
    EXPECT_TRUE(s.toolbarShown);
    EXPECT_EQ(fileText(),
              "[COMMON]\noffonexit=0\nversion=1410\nkeybopt=0\n" + std::string(kLinkAdded));
}

TEST_F(KorvSettingsTest, SaveNeverCreatesAKeyOrASection) {
    const std::string text = "[COMMON]\nposx=1\noffonexit=0\nversion=1410\nkeybopt=0\n";
    KorvSettings s = loadFrom(text);
    s.smeterMax = 250;
    s.comPortSettings = "9600,N,8,2";
    s.offOnExit = true;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(saveSettings(m_file, s, {300, 40, 1024, 768}));
    }
    EXPECT_EQ(fileText(), "[COMMON]\nposx=300\noffonexit=1\nversion=1410\nkeybopt=0\n" +
                              std::string(kLinkAdded));
}

TEST_F(KorvSettingsTest, SaveNeverChangesTheVersion) {
    KorvSettings s = loadFrom(std::string(kComplete));
    ASSERT_TRUE(saveSettings(m_file, s, s.window));
    EXPECT_EQ(fileText(), kComplete);

    IniFile ini(m_file);
    ini.replace("COMMON", "version", "9999");
    ini.write();
    ASSERT_TRUE(saveSettings(m_file, s, s.window));
    EXPECT_EQ(IniFile(m_file).value("COMMON", "version"), "9999");
}

TEST_F(KorvSettingsTest, WindowPlacementGuard) {
    struct Case {
        const char* name;
        WindowPlacement window;
        bool saved;
    };
    const Case cases[] = {
        {"normal", {50, 60, 900, 700}, true},
        {"minimised", {50, 60, 900, 700, true}, false},
        {"both edges negative", {-32000, -32000, 900, 700}, false},
        {"left edge negative", {-100, 0, 900, 700}, true},
        {"top edge negative", {0, -100, 900, 700}, true},
        {"150 wide", {50, 60, 150, 700}, false},
        {"200 wide", {50, 60, 200, 700}, false},
        {"201 wide", {50, 60, 201, 700}, true},
        {"64 high", {50, 60, 900, 64}, false},
        {"65 high", {50, 60, 900, 65}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KorvSettings s = loadFrom(std::string(kComplete));
        ASSERT_TRUE(saveSettings(m_file, s, c.window));
        const KorvSettings after = loadSettings(m_file, kVersion);
        const WindowPlacement expected =
            c.saved ? WindowPlacement{c.window.left, c.window.top, c.window.width, c.window.height}
                    : s.window;
        EXPECT_EQ(after.window, expected);
    }
}

TEST_F(KorvSettingsTest, EveryKeyRoundTrips) {
    writeBytes(m_file, defaultSettingsText(kVersion));
    // Every key set, the texts with spaces and Latin-1 letters.
    KorvSettings s = completeSettings();
    s.window = {11, 22, 1033, 744};
    s.comPortSettings = "4800,N,8,2";
    s.comPortDevice = "/dev/ttyACM0";
    s.logFilePath = "/tmp/\xE9t\xE9 log.txt";
    s.playerPath = "/opt/player bin/play";
    s.sampleRate = 44100;
    ASSERT_TRUE(saveSettings(m_file, s, s.window));
    EXPECT_EQ(loadSettings(m_file, kVersion), s);

    // And back to the other value of every flag.
    KorvSettings t = s;
    t.toolbarShown = true;
    t.saveOnExit = t.mark2 = t.offOnExit = t.keybopt = false;
    t.logAudio = t.useExternalPlayer = false;
    t.bitsPerSample = 8;
    ASSERT_TRUE(saveSettings(m_file, t, t.window));
    EXPECT_EQ(loadSettings(m_file, kVersion), t);
}

TEST_F(KorvSettingsTest, SixteenBitsSurviveASave) {
    KorvSettings s = loadFrom(std::string(kComplete));
    ASSERT_EQ(s.bitsPerSample, 16);
    ASSERT_TRUE(saveSettings(m_file, s, s.window));
    EXPECT_EQ(IniFile(m_file).value("AUDIO", "bitspersample"), "16");
    EXPECT_EQ(loadSettings(m_file, kVersion).bitsPerSample, 16);
}

TEST_F(KorvSettingsTest, TurningSaveOnExitOffWritesOnlyThatKey) {
    KorvSettings s = loadFrom(std::string(kComplete));
    ASSERT_TRUE(s.saveOnExit);
    s.smeterMax = 77;  // not saved by the toggle
    ASSERT_TRUE(toggleSaveOnExit(m_file, s));
    EXPECT_FALSE(s.saveOnExit);
    std::string expected(kComplete);
    expected.replace(expected.find("saveonexit=1"), 12, "saveonexit=0");
    EXPECT_EQ(fileText(), expected);

    ASSERT_TRUE(toggleSaveOnExit(m_file, s));
    EXPECT_TRUE(s.saveOnExit);
    EXPECT_EQ(fileText(), expected);
}

// A save has nothing to write into a missing file (it never creates keys),
// which is no failure while the folder is there; with the folder gone the
// settings cannot be kept, and the save and the toggle say so.
TEST_F(KorvSettingsTest, SavingIntoARemovedFolderFails) {
    KorvSettings s = loadFrom(std::string(kComplete));
    std::filesystem::remove(m_file);
    EXPECT_TRUE(saveSettings(m_file, s, s.window));
    EXPECT_TRUE(toggleSaveOnExit(m_file, s));
    s.saveOnExit = true;

    const std::filesystem::path gone = m_folder.file("gone") / "Korv.ini";
    std::filesystem::create_directories(gone.parent_path());
    writeBytes(gone, kComplete);
    std::filesystem::remove_all(gone.parent_path());
    EXPECT_FALSE(saveSettings(gone, s, s.window));
    EXPECT_FALSE(toggleSaveOnExit(gone, s));
    EXPECT_FALSE(std::filesystem::exists(gone.parent_path()));
}

}  // namespace
}  // namespace korvex

namespace korvex {
namespace {

TEST_F(KorvSettingsTest, NetworkControlSectionIsReadAndOnlyReplaced) {
    KorvSettings s = loadFrom("[RIGCTL]\nenabled=1\nport=4600\nbind=0.0.0.0\n");
    EXPECT_TRUE(s.rigctlEnabled);
    EXPECT_EQ(s.rigctlPort, 4600);
    EXPECT_EQ(s.rigctlBind, "0.0.0.0");
    s.rigctlEnabled = false;
    s.rigctlPort = 4700;
    ASSERT_TRUE(saveSettings(m_file, s, {}));
    EXPECT_NE(fileText().find("[RIGCTL]\nenabled=0\nport=4700\nbind=0.0.0.0\n"), std::string::npos)
        << fileText();

    // A port out of range or not a number keeps the default.
    s = loadFrom("[RIGCTL]\nenabled=0\nport=70000\nbind=\n");
    EXPECT_EQ(s.rigctlPort, 4532);
    EXPECT_EQ(s.rigctlBind, "127.0.0.1");
    EXPECT_EQ(loadFrom("[RIGCTL]\nport=x\n").rigctlPort, 4532);

    // A file without the section gains none by a save.
    s = loadFrom("[COMMON]\nposx=1\n");
    s.rigctlEnabled = true;
    ASSERT_TRUE(saveSettings(m_file, s, {}));
    EXPECT_EQ(fileText().find("RIGCTL"), std::string::npos);
}

TEST_F(KorvSettingsTest, LinkPacingAndGapAreReadWithTheirLimits) {
    KorvSettings s = loadFrom("[LINK]\npacing=reply\ngapms=0\n");
    EXPECT_TRUE(s.replyPacing);
    EXPECT_EQ(s.linkGapMs, 0);
    s.replyPacing = false;
    s.linkGapMs = 1000;
    ASSERT_TRUE(saveSettings(m_file, s, {}));
    EXPECT_NE(fileText().find("[LINK]\npacing=tick\ngapms=1000\n"), std::string::npos)
        << fileText();

    // Anything but "reply" is the tick; a gap outside 0..1000 or not a number is 20 ms.
    const struct {
        const char* text;
        bool reply;
        int gap;
    } cases[] = {
        {"pacing=tick\ngapms=1000\n", false, 1000},
        {"pacing=Reply\ngapms=1001\n", false, 20},
        {"pacing=\ngapms=-1\n", false, 20},
        {"pacing=reply\ngapms=x\n", true, 20},
        {"gapms=\n", false, 20},
        {"pacing=reply\ngapms=999\n", true, 999},
    };
    for (const auto& c : cases) {
        s = loadFrom(std::string("[LINK]\n") + c.text);
        EXPECT_EQ(s.replyPacing, c.reply) << c.text;
        EXPECT_EQ(s.linkGapMs, c.gap) << c.text;
    }
    // A file without the section gains it with the defaults on load, a
    // section without a key the key, so the dialog's choice is saved.
    s = loadFrom("[COMMON]\nposx=1\noffonexit=0\nversion=1410\nkeybopt=0\n");
    EXPECT_FALSE(s.replyPacing);
    EXPECT_EQ(s.linkGapMs, 20);
    EXPECT_EQ(fileText(),
              "[COMMON]\nposx=1\noffonexit=0\nversion=1410\nkeybopt=0\n" + std::string(kLinkAdded));
    s.replyPacing = true;
    ASSERT_TRUE(saveSettings(m_file, s, {}));
    EXPECT_TRUE(loadSettings(m_file, kVersion).replyPacing) << fileText();
    loadFrom("[LINK]\npacing=reply\n\n[LOG]\naudio=0\n");
    EXPECT_NE(fileText().find("[LINK]\npacing=reply\ngapms=20\n\n[LOG]"), std::string::npos)
        << fileText();
}

// The web page's section: read, replaced by a save, its defaults for a file
// that lacks it, and the token saved on its own.
TEST_F(KorvSettingsTest, WebPageSection) {
    KorvSettings s =
        loadFrom("[HTTP]\nenabled=1\nport=8700\nbind=0.0.0.0\ntoken=00ff\ncontrol=1\n");
    EXPECT_TRUE(s.httpEnabled);
    EXPECT_EQ(s.httpPort, 8700);
    EXPECT_EQ(s.httpBind, "0.0.0.0");
    EXPECT_EQ(s.httpToken, "00ff");
    EXPECT_TRUE(s.httpControl);
    s.httpControl = false;
    s.httpPort = 8601;
    ASSERT_TRUE(saveSettings(m_file, s, {}));
    EXPECT_NE(
        fileText().find("[HTTP]\nenabled=1\nport=8601\nbind=0.0.0.0\ntoken=00ff\ncontrol=0\n"),
        std::string::npos)
        << fileText();

    s = loadFrom("[HTTP]\nport=0\nbind=\n");
    EXPECT_EQ(s.httpPort, 8600);
    EXPECT_EQ(s.httpBind, "127.0.0.1");
    EXPECT_FALSE(s.httpEnabled);

    s = loadFrom("[COMMON]\nposx=1\n");
    EXPECT_EQ(s.httpPort, 8600);
    EXPECT_EQ(fileText().find("HTTP"), std::string::npos);

    ASSERT_TRUE(saveHttpToken(m_file, "0123456789abcdef0123456789abcdef"));
    EXPECT_EQ(loadSettings(m_file, kVersion).httpToken, "0123456789abcdef0123456789abcdef");
    writeBytes(m_file, "[COMMON]\nposx=1\n");
    ASSERT_TRUE(saveHttpToken(m_file, "aa"));
    EXPECT_NE(fileText().find("[HTTP]\ntoken=aa\n"), std::string::npos) << fileText();
}

}  // namespace
}  // namespace korvex
