// Scenario files that are too large, FIFOs and devices are refused before
// they are read; any other bytes give what their text gives.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "simulator/fuzz/ScenarioFuzzBody.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

using sim::kScenarioFileLimit;
using sim::readScenarioFile;

TEST(ScenarioFileLimits, LargeFilesFifosAndDevicesAreRefusedUnread) {
    const TempDir folder;
    const std::string path = folder.file("band.txt").string();
    std::string text = "1000 145500000 80 2000\n";
    text.resize(kScenarioFileLimit, '\n');
    writeBytes(path, text);
    std::string error;
    EXPECT_TRUE(readScenarioFile(path, &error)) << "the limit itself: " << error;
    writeBytes(path, text + "\n");
    EXPECT_FALSE(readScenarioFile(path, &error));
    EXPECT_EQ(error, path + ": larger than 1 MB");

    const std::string fifo = folder.file("fifo.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readScenarioFile(fifo, &error)) << "refused, not waited for";
    EXPECT_EQ(error, fifo + ": not a regular file");
    EXPECT_FALSE(readScenarioFile("/dev/zero", &error));
    EXPECT_EQ(error, "/dev/zero: not a regular file");
}

TEST(ScenarioRandomInput, AFileGivesWhatItsTextGives) {
    const std::string sample =
        "# band\n1000 145500000 80 2000\n\t3000\t118100000 255 1\ncarrier 145612500 10000 90 "
        "500 1500 20\n";
    EXPECT_EQ(firstRefusedMutation(5, 2000, sample, "0123456789 \t\n#carier-", readScenarioInput),
              -1);
    std::filesystem::remove(scratchFile("scenario", ""));
}

}  // namespace
}  // namespace korvex::test
