// Memory files: writing the shown rows, the reader's two passes and the
// commands that write a previewed bank.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "link/MemoryFileCommands.h"
#include "model/MemoryFile.h"
#include "settings/AtomicFile.h"
#include "support/MemoryCap.h"
#include "tests/support/TempDir.h"

namespace korvex::memfile {
namespace {

using test::TempDir;

ChannelRecord used(std::string channel, std::string frequency, std::string step,
                   std::string autoMode, std::string mode, std::string attenuator, std::string text,
                   std::string pass = "0") {
    ChannelRecord r;
    r.field = {channel, pass, frequency, step, autoMode, mode, attenuator, text};
    return r;
}

std::string channelName(char letter, int n) {
    return std::string(1, letter) + static_cast<char>('0' + n / 10) +
           static_cast<char>('0' + n % 10);
}

// A bank of 50 like the receiver reports it: names padded to 12, some slots empty.
Rows sampleBank(char letter) {
    const char* modes[] = {"WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};
    const char* steps[] = {"000.050", "005.000", "012.500", "100.000", "008.330"};
    Rows rows;
    for (int n = 0; n < 50; ++n) {
        const std::string ch = channelName(letter, n);
        if (n % 4 == 3) {
            rows.push_back(ChannelRecord::emptySlot(ch));
            continue;
        }
        std::string freq = std::to_string(100000 + n * 12345);
        freq.insert(0, 10 - freq.size(), '0');
        freq = (n % 5 == 0 ? "2" + freq.substr(1) : freq);
        const std::string withPoint = freq.substr(0, 4) + "." + freq.substr(4);
        std::string name = "Ch " + std::to_string(n) + (n % 7 == 0 ? " ATTIC NL" : "");
        name.resize(12, ' ');
        rows.push_back(used(ch, withPoint, steps[n % 5], n % 6 == 0 ? "1" : "0", modes[n % 9],
                            n % 3 == 0 ? "1" : "0", name, n % 8 == 0 ? "1" : "0"));
    }
    return rows;
}

TEST(MemoryFile, BankWrittenAndReadBackGivesTheSameChannelsAndMarks) {
    const Rows bank = sampleBank('A');
    const std::string file = fileText(bank, "Airband");
    const FileSummary summary = summarize(file);
    EXPECT_FALSE(summary.mixed);
    EXPECT_EQ(summary.channelLines, 50);
    EXPECT_EQ(summary.highestChannel, 49);
    EXPECT_EQ(summary.label, "Airband");
    EXPECT_TRUE(questionsFor(summary, 'A', 50).empty());

    Rows rows = bank;
    applyFile(file, 'A', rows);
    for (std::size_t n = 0; n < bank.size(); ++n) {
        SCOPED_TRACE(n);
        if (isEmptyField(bank[n][ChannelRecord::kPass])) {
            EXPECT_EQ(rows[n], bank[n]) << "an empty slot stays unmarked";
            continue;
        }
        EXPECT_EQ(rows[n][ChannelRecord::kPass], "+");
        for (std::size_t i : {ChannelRecord::kChannel, ChannelRecord::kFrequency,
                              ChannelRecord::kStep, ChannelRecord::kAutoMode, ChannelRecord::kMode,
                              ChannelRecord::kAttenuator, ChannelRecord::kText}) {
            EXPECT_EQ(rows[n][i], bank[n][i]) << "field " << i;
        }
    }
}

TEST(MemoryFile, ClearedSlotsAreMarkedMinusAndOtherBanksAreRelettered) {
    Rows source = sampleBank('A');
    Rows target = sampleBank('b');
    // Slot 3 is empty in the file but used in the target; slot 7 empty in both.
    target[3] = used("b03", "0145.500000", "012.500", "0", "NFM", "0", "x");
    const std::string file = fileText(source, "A");
    const FileSummary summary = summarize(file);
    EXPECT_EQ(questionsFor(summary, 'b', 50), std::vector<Question>{Question::OtherBank});
    EXPECT_EQ(summary.lastLetter, 'A');
    applyFile(file, 'b', target);
    EXPECT_EQ(target[0][ChannelRecord::kChannel], "b00");
    EXPECT_EQ(target[1][ChannelRecord::kChannel], "b01");
    EXPECT_EQ(target[0][ChannelRecord::kPass], "+");
    EXPECT_EQ(target[3][ChannelRecord::kPass], "-");
    EXPECT_EQ(target[3][ChannelRecord::kFrequency], "---");
    EXPECT_TRUE(isEmptyField(target[7][ChannelRecord::kPass]));
}

TEST(MemoryFile, SixtyLinesIntoFiftyAsksAndSkipsTheRest) {
    std::string file = std::string(kHeader) + "\r\n";
    for (int n = 0; n < 60; ++n) {
        file += channelName('C', n) + "     145.500000  12.50        NFM                   n" +
                std::to_string(n) + "\r\n";
    }
    const FileSummary summary = summarize(file);
    EXPECT_EQ(questionsFor(summary, 'C', 50), std::vector<Question>{Question::BeyondHighest});
    Rows rows;
    for (int n = 0; n < 50; ++n) {
        rows.push_back(ChannelRecord::emptySlot(channelName('C', n)));
    }
    applyFile(file, 'C', rows);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows[49][ChannelRecord::kText], "n49");
    // Fewer lines than slots asks the other question.
    const FileSummary few = summarize(std::string(kHeader) + "\r\nC00 ---\r\n");
    EXPECT_EQ(questionsFor(few, 'C', 50), std::vector<Question>{Question::FewerEntries});
}

TEST(MemoryFile, ShortNumbersAreFilledOutAndFlagsAreTaken) {
    Rows rows = {ChannelRecord::emptySlot("A00"), ChannelRecord::emptySlot("A01"),
                 ChannelRecord::emptySlot("A02")};
    applyLine("A00 145.5 5 NFM\r\n", 'A', rows);
    EXPECT_EQ(rows[0][ChannelRecord::kFrequency], "0145.500000");
    // A whole number is read with its point after it, so the write carries
    // the six step digits the receiver takes.
    EXPECT_EQ(rows[0][ChannelRecord::kStep], "005.000");
    EXPECT_EQ(rows[0][ChannelRecord::kAutoMode], "0");
    EXPECT_EQ(rows[0][ChannelRecord::kMode], "NFM");
    EXPECT_EQ(rows[0][ChannelRecord::kText], "");
    // Pass and select marks, AUTO, ATT, NL and AFC of older files; a name
    // longer than 12 is cut.
    applyLine("A01 PS* 80.2  12.50  AUTO  AM ATT NL AFC  Tower Control X\r\n", 'A', rows);
    EXPECT_EQ(rows[1][ChannelRecord::kFrequency], "0080.200000");
    EXPECT_EQ(rows[1][ChannelRecord::kStep], "012.500");
    EXPECT_EQ(rows[1][ChannelRecord::kAutoMode], "1");
    EXPECT_EQ(rows[1][ChannelRecord::kMode], "AM");
    EXPECT_EQ(rows[1][ChannelRecord::kAttenuator], "1");
    EXPECT_EQ(rows[1][ChannelRecord::kText], "Tower Contro");
    // A name with the flag letters in it stays whole.
    applyLine("A02       80.200000   5.00        NFM ATT               SEATTLE ATT\r\n", 'A', rows);
    EXPECT_EQ(rows[2][ChannelRecord::kAttenuator], "1");
    EXPECT_EQ(rows[2][ChannelRecord::kText], "SEATTLE ATT");
}

TEST(MemoryFile, LabelCountsOnlyOnTheLastLine) {
    EXPECT_EQ(summarize("AR8200 extras memory data\r\nA00 ---\r\n").label, "undef");
    EXPECT_EQ(summarize("A00 ---\r\nLabel: Marine\r\nA01 ---").label, "undef");
    EXPECT_EQ(summarize("A00 ---\r\nLabel:    Aircraft band").label, "Aircraft");
}

// A file of line ends kept one entry per LF: 16 bytes of memory per file byte.
TEST(MemoryFile, AFileOfLineEndsIsReadWithoutAnEntryPerLine) {
    if (!test::kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    const std::string text = std::string(16 * 1024 * 1024 - 16, '\n') + "A06 ---\r\n";
    EXPECT_EQ(test::runWithMemoryCap(16 * 1024 * 1024,
                                     [&] {
                                         const FileSummary summary = summarize(text);
                                         Rows rows = sampleBank('A');
                                         applyFile(text, 'A', rows);
                                         return summary.channelLines == 1 &&
                                                summary.highestChannel == 6 &&
                                                rows[6][ChannelRecord::kPass] == "-";
                                     }),
              test::CappedRun::Finished);
}

TEST(MemoryFile, MixedBanksAndUnsortedRowsAreRefused) {
    EXPECT_TRUE(summarize("A00 ---\r\nB01 ---\r\nA02 ---\r\n").mixed);
    EXPECT_FALSE(summarize("A00 ---\r\nxyz\r\nA02 ---\r\n").mixed);
    Rows rows = sampleBank('A');
    EXPECT_TRUE(inChannelOrder(rows));
    std::swap(rows[2], rows[5]);
    EXPECT_FALSE(inChannelOrder(rows));
}

TEST(MemoryFile, WrittenBytesAreExact) {
    const Rows rows = {
        used("A00", "0080.200000", "005.000", "0", "NFM", "0", "Marine 16   "),
        used("A01", "1296.000000", "012.500", "1", "AM", "1", "Tower", "1"),
        ChannelRecord::emptySlot("A02"),
        used("A03", "0000.100000", "100.000", "0", "CW", "0", ""),
    };
    const std::string expected =
        "AR8200 extras memory data\r\n"
        "A00       80.200000   5.00       NFM                   Marine 16   \r\n"
        "A01 P   1296.000000  12.50  AUTO  AM ATT               Tower\r\n"
        "A02 ---\r\n"
        "A03        0.100000 100.00        CW                   \r\n"
        "Label: Boats";
    EXPECT_EQ(fileText(rows, "Boats"), expected);
    EXPECT_EQ(labelFromBankInfo("A50 Boats"), "Boats");
    EXPECT_EQ(labelFromBankInfo("A50"), "");
}

TEST(MemoryFile, FilesAreReplacedWholeThroughATemporaryFile) {
    const TempDir temp("korvex-memfile");
    const std::filesystem::path& dir = temp.folder();
    const auto path = dir / "bank.mem";
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    ASSERT_TRUE(writeFileAtomically(path, "new text"));
    std::ifstream in(path, std::ios::binary);
    std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(read, "new text");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "bank.mem", "x"));
}

// A saved memory file keeps the old file's permissions, and a link planted
// under the name of an earlier writer's fixed temporary file is not followed.
TEST(MemoryFile, SavesKeepPermissionsAndFollowNoPlantedLink) {
    const TempDir temp("korvex-memfile");
    const std::filesystem::path& dir = temp.folder();
    const auto path = dir / "bank.mem";
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto outside = dir / "outside";
    ASSERT_TRUE(writeFileAtomically(outside, "not yours"));
    std::filesystem::create_symlink(outside, dir / ("bank.mem.tmp" + std::to_string(::getpid())));

    ASSERT_TRUE(writeFileAtomically(path, fileText({ChannelRecord::emptySlot("A00")}, "Boats")));
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::ifstream in(outside, std::ios::binary);
    std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(read, "not yours");
}

// Values no write could carry leave the row as it was; a row marked by hand
// with such values gives no channel write.
TEST(MemoryFile, LinesWithoutAWritableChannelLeaveTheRowUnmarked) {
    for (const char* line :
         {"A00 145.5 5.00 XYZ\r\n", "A00 12345.5 5.00 NFM\r\n", "A00 14x.5 5.00 NFM\r\n",
          "A00 145.5 1234 NFM\r\n", "A00 145.5 5.0.0 NFM\r\n"}) {
        Rows rows = {ChannelRecord::emptySlot("A00")};
        applyLine(line, 'b', rows);
        EXPECT_EQ(rows[0], ChannelRecord::emptySlot("A00")) << line;
    }
    ChannelRecord row = used("b02", "0080.200000", "0005000", "0", "NFM", "0", "x");
    row[ChannelRecord::kPass] = "+";
    EXPECT_EQ(cmd::fileChannelWrite(row), "");
    row[ChannelRecord::kStep] = "005.000";
    row[ChannelRecord::kMode] = "XYZ";
    EXPECT_EQ(cmd::fileChannelWrite(row), "");
    row[ChannelRecord::kMode] = "CW";
    EXPECT_EQ(cmd::fileChannelWrite(row), "MXb02 RF0080200000 AU0 ST005000 MD5 AT0 TMx\r");
}

TEST(MemoryFileCommands, WritesComeInOrderAndCarryNoControlCharacters) {
    Rows rows = {
        used("b00", "0145.500000", "012.500", "0", "NFM", "0", "Call\r\nQP"),
        ChannelRecord::emptySlot("b01"),
        used("b02", "0080.200000", "005.000", "1", "XYZ", "1", "x", "-"),
        used("b03", "0080.200000", "005.000", "0", "AM", "1", "y", "-"),
    };
    rows[0][ChannelRecord::kPass] = "+";
    rows[2][ChannelRecord::kPass] = "+";
    EXPECT_EQ(cmd::memoryFileWrite(rows, 'b', "Lbl\rX"),
              "AF0\rWP0\rWMb0\r"
              "MXb00 RF0145500000 AU0 ST012500 MD1 AT0 TMCallQP\r"
              "MRb03\rMQ03\r"
              "TBbLblX\rTB\rTB\r");
}

}  // namespace
}  // namespace korvex::memfile
