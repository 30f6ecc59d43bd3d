// Files read with a limit: devices and FIFOs refused at once, the limit held
// while reading, lines cut without keeping the rest.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "model/BoundedFile.h"
#include "support/MemoryCap.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

TEST(BoundedReadTest, TheLimitItselfIsReadAndOneByteMoreIsRefused) {
    TempDir folder;
    const fs::path file = folder.file("f.mem");
    writeBytes(file, std::string(1000, 'x'));
    EXPECT_EQ(readFileBounded(file, 1000).bytes.size(), 1000u);
    EXPECT_EQ(readFileBounded(file, 999).failure, ReadFailure::TooLarge);
    writeBytes(file, "");
    EXPECT_TRUE(readFileBounded(file, 10)) << "an empty file";
    EXPECT_EQ(readFileBounded(folder.file("missing"), 10).failure, ReadFailure::Open);
    EXPECT_EQ(readFileBounded(folder.folder(), 10).failure, ReadFailure::NotRegular);
}

// A file whose size says 0 but which keeps giving bytes, as one that grows
// while it is read: the limit holds for the bytes read, not the size seen.
TEST(BoundedReadTest, TheLimitHoldsWhileReading) {
    ASSERT_EQ(fs::file_size("/proc/self/maps"), 0u);
    const BoundedFile grown = readFileBounded("/proc/self/maps", 64);
    EXPECT_EQ(grown.failure, ReadFailure::TooLarge);
    EXPECT_TRUE(grown.bytes.empty());
    EXPECT_TRUE(readFileBounded("/proc/self/maps", 16 * 1024 * 1024));
}

TEST(BoundedReadTest, DevicesAndFifosAreRefusedWithoutWaiting) {
    TempDir folder;
    const fs::path fifo = folder.file("fifo.mem");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readFileBounded(fifo, 1024).failure, ReadFailure::NotRegular);
    EXPECT_EQ(readFileBounded("/dev/zero", 1024).failure, ReadFailure::NotRegular);
    LineReader lines(fifo, 1024, 16);
    std::string_view line;
    EXPECT_FALSE(lines.next(line));
    EXPECT_EQ(lines.failure(), ReadFailure::NotRegular);
}

TEST(BoundedReadTest, LinesAcrossChunksAndCutLines) {
    TempDir folder;
    const fs::path file = folder.file("lines.txt");
    std::string text =
        std::string(70 * 1024, 'a') + "\nshort\r\n\n" + std::string(65535, 'b') + "\nlast";
    writeBytes(file, text);
    LineReader lines(file, text.size(), 65536);
    std::string_view line;
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line.size(), 65536u);
    EXPECT_TRUE(lines.cut());
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "short\r");
    EXPECT_FALSE(lines.cut());
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, std::string(65535, 'b')) << "straddles the first chunk's end";
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(lines.next(line));
    EXPECT_EQ(lines.failure(), ReadFailure::None);

    LineReader tooSmall(file, text.size() - 1, 16);
    while (tooSmall.next(line)) {
    }
    EXPECT_EQ(tooSmall.failure(), ReadFailure::TooLarge);
}

TEST(BoundedReadTest, LimitsReadAsTheMessagesGiveThem) {
    EXPECT_EQ(byteCountText(16 * 1024 * 1024), "16 MB");
    EXPECT_EQ(byteCountText(4096), "4 KB");
    EXPECT_EQ(byteCountText(1000), "1,000 bytes");
    EXPECT_EQ(countText(1'000'000), "1,000,000");
    EXPECT_EQ(countText(999), "999");
}

}  // namespace
}  // namespace korvex::test
