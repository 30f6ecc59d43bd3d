// "D&atabase Settings ..." in the real program under an X server, driven by
// real key events: a slot is set up from the menu to the written dbconf.ini.
// Screenshots of the dialog are left in the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class SetupXvfbTest : public XvfbProgramTest {
protected:
    void screenshot(const std::string& name) {
        run({IMPORT_PATH, "-window", "root", std::string(SCREENSHOT_DIR) + "/" + name});
    }

    // Gives the keyboard to a window of the program by its title.
    bool focusWindow(const std::string& title) {
        std::string id;
        waitFor(
            [&] {
                id = run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", title}).value_or("");
                return !id.empty();
            },
            10s);
        if (id.empty()) {
            return false;
        }
        run({XDOTOOL_PATH, "windowfocus", "--sync", id.substr(0, id.find('\n'))});
        std::this_thread::sleep_for(500ms);
        return true;
    }

    void type(const std::string& text) {
        EXPECT_TRUE(run({XDOTOOL_PATH, "type", "--delay", "30", text})) << text;
        std::this_thread::sleep_for(300ms);
    }

    void startProgram() {
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\nsaveonexit=0\n";
        ASSERT_TRUE(korvex.start({KORVEX_PATH, "--simulate", "--no-splash", "--config-dir", dir},
                                 {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dir},
                                 dir + "/korvex.out"));
        ASSERT_TRUE(focusProgramWindow()) << readFile(dir + "/korvex.out");
    }
};

TEST_F(SetupXvfbTest, SlotIsSetUpFromTheMenuWithKeysOnly) {
    const std::string table = dir + "/freqs.csv";
    std::filesystem::copy_file(std::string(KORVEX_DB_DATA) + "/freqs.csv", table);
    startProgram();

    key("alt+s", 500ms);
    key("a", 1500ms);
    ASSERT_TRUE(focusWindow("Database Connection Setup")) << readFile(dir + "/korvex.out");
    key("alt+1");
    key("alt+s", 1500ms);
    ASSERT_TRUE(focusWindow("Select Database File"));
    type(table);
    key("Return", 1000ms);
    ASSERT_TRUE(focusWindow("Database Connection Setup"));
    key("alt+n", 1000ms);
    screenshot("database-setup-preview.png");

    for (const auto& [mnemonic, field] :
         {std::pair{"alt+f", "FREQ"}, std::pair{"alt+m", "MODE"}, std::pair{"alt+o", "NAME"}}) {
        key(mnemonic);
        key("Tab");
        type(field);
    }
    key("alt+p");  // no longer write protected
    screenshot("database-setup-mapped.png");
    key("alt+w", 1000ms);

    const std::string ini = readFile(dir + "/dbconf.ini");
    const std::string db1 = ini.substr(0, ini.find("[DB2]"));
    EXPECT_NE(db1.find("file=" + table + "\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("type=Text;\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("c0=FREQ\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("c1=MODE\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("c2=NAME\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("readonly=0\n"), std::string::npos) << ini;
    EXPECT_NE(db1.find("finkhz=0\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.substr(ini.find("[DB2]")).find("file=/"), std::string::npos) << ini;
}

}  // namespace
}  // namespace korvex::test
