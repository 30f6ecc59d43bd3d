// The built program's report on the command line, run with no display and a
// window-system plugin that does not exist: it must never need either.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ReportCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(dir + "/night.log", std::ios::binary)
            << "2026-03-01\t22:10:00\t00:00:12\t145.500000\t040\tn_260301_221000.wav\r\n"
               "2026-03-01\t23:59:30\t00:01:00\t145.500000\t061\t\xB0\xB0\xB0\r\n"
               "2026-03-02\t00:15:00\t00:00:05\t118.100000\t100\t\xB0\xB0\xB0\r\n";
    }

    // Runs korvex with these arguments, no display and a platform plugin
    // that does not exist; standard output and error go to their own
    // files. The exit status, -1 when it did not end.
    int run(const std::vector<std::string>& arguments) {
        std::vector<std::string> args = {KORVEX_PATH};
        args.insert(args.end(), arguments.begin(), arguments.end());
        Process korvex;
        if (!korvex.startWithEnvironment(
                args, windowlessEnvironment(ProgramFolders(dir), "no-such-platform"), dir + "/out",
                dir + "/err")) {
            return -2;
        }
        const int rc = korvex.wait(20s);
        out = readFile(dir + "/out");
        err = readFile(dir + "/err");
        return rc;
    }

    TempDir temp{"korvex-report-cli"};
    const std::string& dir = temp.path();
    std::string out;
    std::string err;
};

TEST_F(ReportCliTest, PrintsCsvWithoutADisplay) {
    EXPECT_EQ(run({"--report", dir + "/night.log", "--csv"}), 0) << err;
    EXPECT_EQ(out,
              "frequency_mhz,hits,airtime_s,longest_s,first_heard,last_heard,mean_level,"
              "max_level,audio_files\n"
              "145.500000,2,72,60,2026-03-01 22:10:00,2026-03-01 23:59:30,50.5,61,1\n"
              "118.100000,1,5,5,2026-03-02 00:15:00,2026-03-02 00:15:00,100.0,100,0\n");
    EXPECT_EQ(err, "");

    EXPECT_EQ(run({"--report", dir + "/night.log", "--to", "2026-03-01"}), 0) << err;
    EXPECT_EQ(out.rfind("FREQUENCY", 0), 0u) << out;
    EXPECT_EQ(out.find("118.100000"), std::string::npos) << out;
}

TEST_F(ReportCliTest, FailuresExitWithTheirCodeAndSayWhyOnStandardError) {
    EXPECT_EQ(run({"--report", dir + "/missing.log"}), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("missing.log: No such file or directory"), std::string::npos) << err;

    EXPECT_EQ(run({"--report", dir + "/night.log", "--from", "yesterday"}), 2);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("not a date"), std::string::npos) << err;
}

}  // namespace
}  // namespace korvex::test
