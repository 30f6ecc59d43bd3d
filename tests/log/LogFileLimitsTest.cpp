// Reading a log file the operator did not write with this program: huge,
// endless, blocking or binary files are refused with a message that names the
// file, and memory stays in proportion to the entries.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "link/CommandQueue.h"
#include "log/LogActions.h"
#include "log/LogFakes.h"
#include "log/LogFile.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "support/MemoryCap.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMB = 1024 * 1024;

const std::string kEntry = "2026-12-02\t15:18:30\t00:00:04\t145.500000\t123\tair.wav";

// Reads `file` in a child with `extraBytes` of room; the refusal text, or
// "" when the file was read.
CappedRun readCapped(const fs::path& file, std::size_t extraBytes) {
    return runWithMemoryCap(extraBytes, [&] {
        ::alarm(20);  // a reader that blocks fails instead of hanging the suite
        std::string problem;
        return readLogEntries(file, problem).has_value();
    });
}

std::string refusal(const fs::path& file) {
    std::string problem;
    EXPECT_FALSE(readLogEntries(file, problem).has_value());
    return problem;
}

TEST(LogFileLimitsTest, EmptyLinesCostNoMemoryPerLine) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    TempDir folder;
    const fs::path file = folder.file("empty-lines.log");
    writeBytes(file, std::string(24 * kMB, '\n'));
    EXPECT_EQ(readCapped(file, 16 * kMB), CappedRun::Finished);
}

TEST(LogFileLimitsTest, AFileBeyondTheSizeLimitIsRefusedBeforeItIsRead) {
    TempDir folder;
    const fs::path file = folder.file("huge.log");
    writeBytes(file, kEntry + "\n");
    fs::resize_file(file, kLogFileLimit + 1);  // sparse: costs no disk
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nA log file may be at most 128 MB.");
    fs::resize_file(file, kLogFileLimit);
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nIt is no log file: it holds bytes that no text file holds.")
        << "the limit itself passes the size check; the NULs of the sparse file do not";
}

TEST(LogFileLimitsTest, DevicesAndFifosAreRefusedWithoutWaiting) {
    if (!kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    TempDir folder;
    const fs::path zero = folder.file("zero.log");
    fs::create_symlink("/dev/zero", zero);
    EXPECT_EQ(readCapped(zero, 16 * kMB), CappedRun::Failed) << "read without end before";
    EXPECT_EQ(refusal(zero),
              "Unable to read the log file\n" + zero.string() + "\nIt is no regular file.");

    const fs::path fifo = folder.file("fifo.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readCapped(fifo, 16 * kMB), CappedRun::Failed) << "waited for a writer before";
}

TEST(LogFileLimitsTest, RandomBytesAreNoLog) {
    TempDir folder;
    const fs::path file = folder.file("random.log");
    std::mt19937 rng(27);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(rng());
    }
    writeBytes(file, bytes);
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nIt is no log file: it holds bytes that no text file holds.");
}

TEST(LogFileLimitsTest, AnEntryLineBeyondTheLineLimitIsRefused) {
    TempDir folder;
    const fs::path file = folder.file("long-field.log");
    const std::string prefix = "2026-12-02\t15:18:30\t00:00:04\t145.500000\t123\t";
    writeBytes(file,
               kEntry + "\r\n" + prefix + std::string(kLogLineLimit - prefix.size(), 'w') + "\r\n");
    std::string problem;
    const auto read = readLogEntries(file, problem);
    ASSERT_TRUE(read.has_value()) << "a line of exactly the limit, CR LF ended";
    EXPECT_EQ(read->back().audioFile.size(), kLogLineLimit - prefix.size());
    writeBytes(file, prefix + std::string(kLogLineLimit + 1 - prefix.size(), 'w') + "\n");
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nA log line may be at most 4 KB long.")
        << "one byte more, LF ended";

    writeBytes(file, kEntry + "\n" + prefix + std::string(10 * kMB, 'w') + "\n");
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nA log line may be at most 4 KB long.");

    writeBytes(file, "Notes: " + std::string(10 * kMB, 'n') + "\n" + kEntry + "\n");
    EXPECT_EQ(readLogEntries(file, problem)->size(), 1u) << "a long line of other text is skipped";
}

TEST(LogFileLimitsTest, OneEntryBeyondTheEntryLimitIsRefused) {
    TempDir folder;
    const fs::path file = folder.file("many.log");
    std::string text;
    for (std::size_t n = 0; n <= kLogEntryLimit; ++n) {
        text += "2026-12-02\n";
    }
    writeBytes(file, text);
    EXPECT_EQ(refusal(file), "Unable to read the log file\n" + file.string() +
                                 "\nA log file may hold at most 1,000,000 entries.");
}

// Lines that straddle the reader's chunks, both line ends, a last line
// without one: the file reads as the text always did.
TEST(LogFileLimitsTest, ANormalFileReadsAsItsText) {
    TempDir folder;
    const fs::path file = folder.file("air.log");
    std::string text = "Airband log\r\n";
    for (int n = 0; text.size() < 300 * 1024; ++n) {
        text += "2004-03-15\t14:02:31\t00:00:12\t" + std::to_string(n) + "\t123\t\xB0\xB0\xB0";
        text += n % 3 == 0 ? "\r\n" : "\n";
        if (n % 50 == 0) {
            text += "some other text\f\x1A\n";
        }
    }
    text += "2004-03-16\t01:00:00\t00:01:00\t120.0\t001\tlast.wav";
    writeBytes(file, text);
    std::string problem;
    const auto read = readLogEntries(file, problem);
    ASSERT_TRUE(read.has_value()) << problem;
    EXPECT_EQ(*read, parseLogText(text));
}

TEST(LogFileLimitsTest, OpeningARefusedFileSaysWhyAndKeepsTheLog) {
    TempDir folder;
    const fs::path good = folder.file("air.log");
    writeBytes(good, kEntry + "\r\n");
    const fs::path binary = folder.file("binary.log");
    writeBytes(binary, std::string("2026-12-02\0\1\2\n", 14));
    CZelDoc doc;
    CReceiver rx;
    CommandQueue queue;
    FakeSound sound;
    KorvSettings settings;
    FakeLogHost host;
    CLogActions actions{doc, rx, queue, sound, settings, host};
    doc.resetLog();
    ASSERT_TRUE(actions.openLog(good.string()));
    ASSERT_TRUE(host.messages.empty());

    EXPECT_FALSE(actions.openLog(binary.string()));
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Error: Unable to read the log file\n" + binary.string() +
                                       "\nIt is no log file: it holds bytes that "
                                       "no text file holds."});
    EXPECT_EQ(settings.logFilePath, good.string()) << "the log in use stays the active one";
    EXPECT_EQ(doc.title(), "air.log");
    EXPECT_EQ(doc.entryCount(), 1u);

    const fs::path fifo = folder.file("fifo.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    host.messages.clear();
    EXPECT_FALSE(actions.useNewLogFile(fifo.string())) << "Start Log on a FIFO, without waiting";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Error: Unable to create the log file\n" + fifo.string(), 0),
              0u);
}

}  // namespace
}  // namespace korvex::test
