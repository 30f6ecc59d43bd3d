// "D&atabase Settings ..." in the real program under an X server, driven by
// real key events: a slot is set up from the menu to the written dbconf.ini.
// Screenshots of the dialog are left in the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class SetupXvfbTest : public XvfbProgramTest {
protected:
    // The program on its built-in simulated receiver: no line is needed here.
    void startSimulatedProgram() {
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\nsaveonexit=0\n";
        ASSERT_TRUE(korvex.startWith(dir, display.name(), {"--simulate"}));
        ASSERT_TRUE(focusProgramWindow()) << korvex.output();
    }
};

TEST_F(SetupXvfbTest, SlotIsSetUpFromTheMenuWithKeysOnly) {
    const std::string table = dir + "/freqs.csv";
    std::filesystem::copy_file(std::string(KORVEX_DB_DATA) + "/freqs.csv", table);
    ASSERT_NO_FATAL_FAILURE(startSimulatedProgram());

    key("alt+s");
    key("a");
    ASSERT_TRUE(focusWindow("Database Connection Setup")) << korvex.output();
    key("alt+1");
    key("alt+s");
    ASSERT_TRUE(focusWindow("Select Database File"));
    type(table, 30);
    key("Return");
    ASSERT_TRUE(waitWindowGone("Select Database File"));
    ASSERT_TRUE(focusWindow("Database Connection Setup"));
    key("alt+n", 500ms);  // the table's first rows and its fields, read in a moment
    screenshot("database-setup-preview.png");

    for (const auto& [mnemonic, field] :
         {std::pair{"alt+f", "FREQ"}, std::pair{"alt+m", "MODE"}, std::pair{"alt+o", "NAME"}}) {
        key(mnemonic);
        key("Tab");
        type(field, 30);
    }
    key("alt+p");  // no longer write protected
    screenshot("database-setup-mapped.png");
    key("alt+w");

    ASSERT_TRUE(waitFor(
        [&] { return readFile(dir + "/dbconf.ini").find("file=" + table) != std::string::npos; },
        10s))
        << readFile(dir + "/dbconf.ini");
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
