// End to end under an X server with real keys: the program connects DB1
// from the File menu, shows DATABASE, Ctrl+J jumps to the row of the VFO's
// frequency and the context menu, opened and used from the keyboard, tunes
// the receiver to it. A screenshot of the list stays in the build folder.
// A stop signal during a long fill of the list ends the program cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "database/DbSlotConfig.h"
#include "tests/support/XvfbProgramTest.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class DbXvfbTest : public XvfbProgramTest {
protected:
    // DB1 on `table` (FREQ, MODE, NAME) in the program's settings folder.
    void configureDb1(const std::filesystem::path& table, const std::string& type, bool readOnly) {
        const std::filesystem::path ini = std::filesystem::path(dir) / "dbconf.ini";
        ASSERT_TRUE(db::ensureDbConf(ini));
        db::DbSlotConfig config;
        config.slot = 1;
        config.file = table.string();
        config.type = type;
        config.fields = {"FREQ", "MODE", "NAME"};
        config.readOnly = readOnly;
        ASSERT_TRUE(db::writeSlotSetup(ini, config));
        std::ofstream(dir + "/Korv.ini") << "[COMMON]\nsaveonexit=0\n";
    }
};

TEST_F(DbXvfbTest, ConnectJumpAndTuneFromTheKeyboard) {
    const std::filesystem::path table = std::filesystem::path(dir) / "freqs.dbf";
    std::filesystem::copy_file(std::filesystem::path(KORVEX_DB_DATA) / "freqs.dbf", table);
    ASSERT_NO_FATAL_FAILURE(configureDb1(table, "dBASE III;", false));

    ASSERT_NO_FATAL_FAILURE(startProgram());

    key("alt+f");
    key("1");  // "Connect to DB&1"
    // F6 goes to the list selector; End opens it and goes to DATABASE.
    const std::size_t shown = sim.mark();
    for (const char* k : {"F6", "End", "End", "Return"}) {
        key(k);
    }
    // The list asks for NL; its reply refills the view.
    EXPECT_TRUE(sim.waitSent("NL", shown)) << sim.log();
    std::this_thread::sleep_for(300ms);  // the reply taken in on the poll tick
    // The simulator's VFO stands on 145.5 MHz: Jump selects that row (the
    // fourth of the unsorted table), and the menu's "T&une From Database"
    // sends it.
    key("ctrl+j", 300ms);
    screenshot("database-view.png");
    const std::size_t before = sim.mark();
    key("alt+c", 300ms);
    key("u");
    EXPECT_TRUE(sim.waitSent("MD1", before)) << korvex.output();
    EXPECT_TRUE(sim.sent("RF0145500000", before));

    EXPECT_EQ(korvex.terminate(), 0) << korvex.output();
}

TEST_F(DbXvfbTest, AStopSignalDuringALongFillEndsTheProgramCleanly) {
    // A table of as many rows as the list shows.
    const std::filesystem::path table = std::filesystem::path(dir) / "long.csv";
    {
        std::ofstream out(table, std::ios::binary);
        out << "FREQ,MODE,NAME\r\n";
        for (int i = 0; i < 15000; ++i) {
            out << 100 + i / 1000 << '.' << i % 1000 << ",NFM,Station " << i << ' '
                << std::string(120, 'x') << "\r\n";
        }
    }
    ASSERT_NO_FATAL_FAILURE(configureDb1(table, "Text;", true));

    const std::string trace = dir + "/trace.txt";
    ASSERT_TRUE(korvex.startWith(dir, display.name(), {"--simulate", "--trace", trace}));
    ASSERT_TRUE(waitFor([&] { return readFile(trace).find("> LB") != std::string::npos; }, 30s))
        << korvex.output();
    ASSERT_TRUE(focusProgramWindow()) << korvex.output();
    key("alt+f");
    key("1");  // "Connect to DB&1"
    for (const char* k : {"F6", "End", "End"}) {
        key(k);
    }
    // DATABASE is chosen. The fill takes a fraction of a second, shorter
    // than a look at the screen may take, so the program is held while the
    // test looks, twice: a progress window still on the screen at the second
    // look, when the server has long carried out all the program sent before
    // it was held, means the fill is under way, and the signal comes then.
    ASSERT_TRUE(run({XDOTOOL_PATH, "key", "--clearmodifiers", "Return"}));
    const auto progressShown = [&] {
        return run({XDOTOOL_PATH, "search", "--onlyvisible", "--name", "please wait"}).has_value();
    };
    bool filling = false;
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (!filling && std::chrono::steady_clock::now() < limit && korvex.hold()) {
        filling = progressShown() && progressShown();
        if (filling) {
            korvex.signal(SIGTERM);
        }
        korvex.resume();
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(filling) << "no progress window was seen";
    EXPECT_EQ(korvex.wait(10s), 0) << korvex.output();
    EXPECT_NE(readFile(trace).find("> EX"), std::string::npos) << readFile(trace);
}

}  // namespace
}  // namespace korvex::test
