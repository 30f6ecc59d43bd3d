// Seeded random input for the log-file reader, the fuzz target's check in
// the normal suite.
#include <gtest/gtest.h>

#include <filesystem>

#include "log/fuzz/LogFileFuzzBody.h"

namespace korvex::test {
namespace {

TEST(LogFileRandomInput, ReadFilesAreTheirTextsAndRefusalsNameTheFile) {
    const std::string sample =
        "Airband log\r\n2026-12-02\t15:18:30\t00:00:04\t145.500000\t123\tair.wav\r\n"
        "2026-12-02\t15:19:00\t00:00:10\t118.100000\t088\t\xB0\xB0\xB0\n2026-12-03\n";
    EXPECT_EQ(firstRefusedMutation(27, 2000, sample, "0123456789-\t\r\n:.ab\xB0", readLogInput),
              -1);
    std::filesystem::remove(scratchFile("log", ""));
}

}  // namespace
}  // namespace korvex::test
