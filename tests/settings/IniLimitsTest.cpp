// Settings files that are far too large, or no files at all: refused without
// memory out of proportion, read as empty and never overwritten.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "settings/IniFile.h"
#include "settings/KorvSettings.h"
#include "settings/fuzz/IniFuzzBody.h"
#include "support/MemoryCap.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

constexpr std::size_t kMB = 1024 * 1024;

TEST(IniLimitsTest, ALargeFileOfEmptyLinesIsRefusedCheaply) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    TempDir folder;
    const auto file = folder.file("Korv.ini");
    writeBytes(file, std::string(40 * kMB, '\n'));
    EXPECT_EQ(runWithMemoryCap(16 * kMB,
                               [&] {
                                   IniFile ini;
                                   return !ini.open(file) && ini.sectionNames().empty();
                               }),
              CappedRun::Finished);
    IniFile ini(file);
    EXPECT_EQ(ini.problem(),
              "The file\n" + file.string() + "\nis larger than 1 MB and is not used.");
    ini.add("COMMON", "posx", "1");
    EXPECT_FALSE(ini.write()) << "a refused file is never overwritten";
    EXPECT_EQ(std::filesystem::file_size(file), 40 * kMB);
}

// The limits themselves are read, in proportion to the file; a line more is
// refused before any line is held (before, a 1 MB file of line ends took
// about 40 MB).
TEST(IniLimitsTest, AFileOfEmptyLinesAtTheLimitIsReadInProportion) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    TempDir folder;
    const auto file = folder.file("Korv.ini");
    std::string text(IniFile::kIniLineLimit, '\n');
    text.replace(0, 14, "[COMMON]\nx=1\r\n");
    text += std::string(IniFile::kIniFileLimit - text.size(), 'v');
    writeBytes(file, text);
    EXPECT_EQ(runWithMemoryCap(8 * kMB,
                               [&] {
                                   IniFile ini;
                                   return ini.open(file) && ini.value("COMMON", "x") == "1" &&
                                          ini.text().size() == IniFile::kIniFileLimit;
                               }),
              CappedRun::Finished);
    writeBytes(file, text + "\n");
    IniFile ini;
    EXPECT_FALSE(ini.open(file)) << "one byte more";
    writeBytes(file, std::string(IniFile::kIniLineLimit, '\n') + "x=1");
    EXPECT_EQ(runWithMemoryCap(8 * kMB, [&] { return !IniFile().open(file); }),
              CappedRun::Finished);
    EXPECT_FALSE(ini.open(file));
    EXPECT_EQ(ini.problem(),
              "The file\n" + file.string() + "\nhas more than 65,536 lines and is not used.");
}

TEST(IniLimitsTest, AFifoIsNoSettingsFileAndIsNotWaitedFor) {
    TempDir folder;
    const auto file = folder.file("dbconf.ini");
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    IniFile ini;
    EXPECT_FALSE(ini.open(file));
    EXPECT_EQ(ini.problem(),
              "The file\n" + file.string() + "\nis no regular file and is not used.");
}

// The fuzz target's check on seeded variants of a settings file.
TEST(IniRandomInput, LinesPassThroughAndEveryListedKeyIsFound) {
    const std::string sample =
        "\xEF\xBB\xBF[COMMON]\r\nposx=10\r\n; note\r\n\r\n[ LOG ]\nlogfile = a.log\n"
        "[RS232]\nport=1";
    EXPECT_EQ(firstRefusedMutation(13, 2000, sample, "[]=;# \t\r\nCOMMONlog01", readIniInput), -1);
    std::filesystem::remove(scratchFile("ini", ""));
}

}  // namespace
}  // namespace korvex::test
