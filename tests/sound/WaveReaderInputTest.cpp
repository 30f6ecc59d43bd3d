// The WAV header reader on FIFOs, devices and seeded variants of a header.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "sound/fuzz/WaveHeaderFuzzBody.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

std::string le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return out;
}

// A 16-bit mono header at 11025 Hz with `samples` bytes of data.
std::string wave(std::uint32_t samples) {
    return "RIFF" + le(36 + samples, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(11025, 4) + le(22050, 4) + le(2, 2) + le(16, 2) + "data" + le(samples, 4) +
           std::string(samples, '\x01');
}

TEST(WaveReaderInput, AFifoOrADeviceIsRefusedWithoutWaiting) {
    TempDir folder;
    const auto fifo = folder.file("rec.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    mrqsnd::WaveFileReader reader;
    EXPECT_EQ(reader.open(fifo.string()), mrqsnd::WaveOpenResult::cannotOpen);
    EXPECT_EQ(reader.open("/dev/zero"), mrqsnd::WaveOpenResult::cannotOpen);
    writeBytes(folder.file("ok.wav"), wave(100));
    EXPECT_EQ(reader.open(folder.file("ok.wav").string()), mrqsnd::WaveOpenResult::ok);
    EXPECT_EQ(reader.dataSize(), 100u);
}

TEST(WaveReaderInput, SeededVariantsOfAHeaderNeverReadPastTheirData) {
    std::mt19937 rng(8);
    const std::string seed = wave(64);
    for (int round = 0; round < 3000; ++round) {
        ASSERT_TRUE(readWaveInput(mutatedInput(rng, seed, "RIFFWAVEfmt data\x01\x10\xFF")))
            << round;
    }
    std::filesystem::remove(scratchFile("wav", ""));
}

}  // namespace
}  // namespace korvex::test
