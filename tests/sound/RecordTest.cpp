#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <regex>
#include <thread>

#include "SoundTestSupport.h"
#include "mrqSnd.h"
#include "support/FileSizeLimit.h"
#include "support/SmallTmpfs.h"

using namespace soundtest;
using korvex::test::FileSizeLimit;
using std::chrono::milliseconds;

namespace {

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override { SetSoundErrorCallback(&ErrorLog::callback, &errors); }
    void TearDown() override {
        StopRec();
        StopPlay();
        SetSoundErrorCallback(nullptr, nullptr);
    }

    // Records for the given time and returns the file's bytes.
    Bytes record(int rate, int bits, milliseconds length, const std::string& name = "rec.wav") {
        const std::string path = scratch.file(name);
        EXPECT_EQ(StartRec(rate, bits, path.c_str()), 1);
        std::this_thread::sleep_for(length);
        EXPECT_EQ(StopRec(), 1);
        return readFile(path);
    }

    ScratchDir scratch;
    ErrorLog errors;
};

struct BadArguments {
    int rate;
    int bits;

    friend void PrintTo(const BadArguments& c, std::ostream* os) {
        *os << c.rate << " Hz, " << c.bits << " bits";
    }
};

class StartRecRefuses : public RecordTest, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(StartRecRefuses, AndStartsNothing) {
    const std::string path = scratch.file("refused.wav");
    EXPECT_EQ(StartRec(GetParam().rate, GetParam().bits, path.c_str()), 0);
    EXPECT_EQ(IsRecording(), 0);
    EXPECT_EQ(StopRec(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(RatesAndBits, StartRecRefuses,
                         ::testing::Values(BadArguments{8000, 8}, BadArguments{11024, 8},
                                           BadArguments{11026, 16}, BadArguments{44101, 16},
                                           BadArguments{48000, 16}, BadArguments{0, 8},
                                           BadArguments{-11025, 8}, BadArguments{11025, 12},
                                           BadArguments{22050, 0}, BadArguments{44100, 24},
                                           BadArguments{11025, 7}, BadArguments{11025, -8}));

TEST_F(RecordTest, NullPathIsRefused) {
    EXPECT_EQ(StartRec(11025, 8, nullptr), 0);
    EXPECT_EQ(IsRecording(), 0);
}

TEST_F(RecordTest, SecondStartWhileRecordingIsRefused) {
    const std::string first = scratch.file("first.wav");
    const std::string second = scratch.file("second.wav");
    ASSERT_EQ(StartRec(11025, 8, first.c_str()), 1);
    EXPECT_EQ(IsRecording(), 1);
    EXPECT_EQ(StartRec(22050, 16, second.c_str()), 0);
    EXPECT_EQ(IsRecording(), 1);
    EXPECT_EQ(StopRec(), 1);
    EXPECT_EQ(IsRecording(), 0);
    EXPECT_EQ(StopRec(), 0);
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
}

TEST_F(RecordTest, StopRecWithoutRecordingReturnsZero) {
    EXPECT_EQ(StopRec(), 0);
}

// The header of the file the library writes, field by field.
struct Format {
    int rate;
    int bits;

    friend void PrintTo(const Format& c, std::ostream* os) {
        *os << c.rate << " Hz, " << c.bits << " bits";
    }
};

class RecordsFormat : public RecordTest, public ::testing::WithParamInterface<Format> {};

TEST_P(RecordsFormat, WithTheExactHeader) {
    const auto [rate, bits] = GetParam();
    const Bytes file = record(rate, bits, milliseconds(150));
    ASSERT_GE(file.size(), 46u);
    const unsigned align = static_cast<unsigned>(bits / 8);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(le32(file, 4), file.size() - 8);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(file, 16), 18u);
    EXPECT_EQ(le16(file, 20), 1u);
    EXPECT_EQ(le16(file, 22), 1u);
    EXPECT_EQ(le32(file, 24), static_cast<std::uint32_t>(rate));
    EXPECT_EQ(le32(file, 28), static_cast<std::uint32_t>(rate) * align);
    EXPECT_EQ(le16(file, 32), align);
    EXPECT_EQ(le16(file, 34), static_cast<unsigned>(bits));
    EXPECT_EQ(le16(file, 36), 0u);
    EXPECT_EQ(std::string(file.begin() + 38, file.begin() + 42), "data");
    EXPECT_EQ(le32(file, 42), file.size() - 46);
    EXPECT_EQ((file.size() - 46) % (1000 * align), 0u);
    EXPECT_GT(file.size(), 46u);
}

INSTANTIATE_TEST_SUITE_P(AllSix, RecordsFormat,
                         ::testing::Values(Format{11025, 8}, Format{11025, 16}, Format{22050, 8},
                                           Format{22050, 16}, Format{44100, 8}, Format{44100, 16}));

TEST_F(RecordTest, OneAndAHalfSecondsHoldWholeBuffersOfAboutThatLength) {
    const std::string path = scratch.file("long.wav");
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(StartRec(11025, 8, path.c_str()), 1);
    std::this_thread::sleep_for(milliseconds(1500));
    ASSERT_EQ(StopRec(), 1);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    const Bytes file = readFile(path);
    ASSERT_GE(file.size(), 46u);
    const std::uint32_t dataSize = le32(file, 42);
    EXPECT_EQ(dataSize % 1000, 0u);
    EXPECT_EQ(dataSize, file.size() - 46);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
    // The null device delivers at once; the recorder keeps only what the
    // elapsed time holds, plus one buffer.
    EXPECT_LE(dataSize, elapsed * 11025 + 1000);
    EXPECT_GE(dataSize, 1.2 * 11025);

    int status = 0;
    EXPECT_EQ(run("soxi -r '" + path + "'", &status), "11025\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("soxi -c '" + path + "'"), "1\n");
    EXPECT_EQ(run("soxi -b '" + path + "'"), "8\n");
    EXPECT_EQ(run("soxi -e '" + path + "'"), "Unsigned Integer PCM\n");
    EXPECT_EQ(run("soxi -s '" + path + "'"), std::to_string(dataSize) + "\n");
    EXPECT_EQ(run("sox '" + path + "' -t raw - | wc -c"), std::to_string(dataSize) + "\n");
    run("aplay -q -D null '" + path + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(errors.texts().empty());
}

struct PathCase {
    std::size_t length;
    int result;

    friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.length << " characters"; }
};

class PathLength : public RecordTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(PathLength, From260CharactersIsRefused) {
    const std::string folder = scratch.path() + "/";
    ASSERT_LT(folder.size() + 10, GetParam().length);
    // Long names are split into folders to stay below the name limit.
    std::string path = folder;
    while (path.size() < GetParam().length) {
        const std::size_t left = GetParam().length - path.size();
        if (left > 200) {
            path += std::string(150, 'd');
            std::filesystem::create_directory(path);
            path += "/";
        } else {
            path += std::string(left, 'f');
        }
    }
    ASSERT_EQ(path.size(), GetParam().length);
    EXPECT_EQ(StartRec(11025, 8, path.c_str()), GetParam().result);
    EXPECT_EQ(IsRecording(), GetParam().result);
    EXPECT_EQ(StopRec(), GetParam().result);
    EXPECT_EQ(std::filesystem::exists(path), GetParam().result == 1);
}

INSTANTIATE_TEST_SUITE_P(AroundTheLimit, PathLength,
                         ::testing::Values(PathCase{258, 1}, PathCase{259, 1}, PathCase{260, 0},
                                           PathCase{261, 0}, PathCase{600, 0}));

// A recording into a folder that is gone runs on without a file and says
// so once.
TEST_F(RecordTest, UncreatableFileIsReportedOnce) {
    const std::string path = scratch.file("missing-folder/rec.wav");
    ASSERT_EQ(StartRec(11025, 16, path.c_str()), 1);
    EXPECT_TRUE(errors.waitForCount(1));
    EXPECT_EQ(IsRecording(), 1);
    EXPECT_EQ(StopRec(), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"Error creating WAVE file " + path +
                                                       ": No such file or directory"});
}

// The file takes five blocks and part of a sixth: the error is reported once
// and the header claims the whole blocks the file holds, no more.
TEST_F(RecordTest, WriteErrorIsReportedAndTheHeaderMatchesTheFile) {
    const std::string path = scratch.file("limited.wav");
    {
        FileSizeLimit limit(46 + 5 * 2000 + 700);
        ASSERT_EQ(StartRec(11025, 16, path.c_str()), 1);
        EXPECT_TRUE(errors.waitForCount(1, milliseconds(10000)));
        std::this_thread::sleep_for(milliseconds(200));
        EXPECT_EQ(StopRec(), 1);
    }
    EXPECT_EQ(errors.texts(),
              std::vector<std::string>{"Error writing WAVE file " + path + ": File too large"});
    const Bytes file = readFile(path);
    EXPECT_EQ(file.size(), 46u + 10000u);
    EXPECT_EQ(le32(file, 42), 10000u);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
    EXPECT_EQ(run("soxi -s '" + path + "'"), "5000\n");
}

// A FIFO takes the samples, but the sizes in its header cannot be fixed.
TEST_F(RecordTest, HeaderThatCannotBeFixedIsReported) {
    const std::string path = scratch.file("pipe.wav");
    FifoReader reader(path, false);
    ASSERT_EQ(StartRec(11025, 8, path.c_str()), 1);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(StopRec(), 1);
    const Bytes written = reader.wait();
    EXPECT_EQ(errors.texts(),
              std::vector<std::string>{"Error closing WAVE file " + path + ": Illegal seek"});
    ASSERT_GT(written.size(), 46u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 4), "RIFF");
    EXPECT_EQ(le32(written, 42), 0u);
    EXPECT_EQ((written.size() - 46) % 1000, 0u);
}

// A writer that stops taking samples (the FIFO is not read) is reported
// once; the recorder drops what the writer cannot take, so what finally
// reaches the file is bounded by the backlog, not by the recording's length.
TEST_F(RecordTest, StalledWriterIsReportedOnceAndItsBacklogBounded) {
    const std::string path = scratch.file("stalled.wav");
    FifoReader reader(path, true);
    ASSERT_EQ(StartRec(44100, 16, path.c_str()), 1);
    ASSERT_TRUE(errors.waitForCount(1, milliseconds(20000)));
    // Long enough for a further report, if there were one.
    std::this_thread::sleep_for(milliseconds(1500));
    reader.release();
    EXPECT_EQ(StopRec(), 1);
    const Bytes written = reader.wait();

    EXPECT_EQ(errors.texts(),
              (std::vector<std::string>{"Error writing WAVE file " + path +
                                            ": writing stalled, recorded audio is dropped",
                                        "Error closing WAVE file " + path + ": Illegal seek"}));
    ASSERT_GT(written.size(), 46u);
    EXPECT_EQ((written.size() - 46) % 2000, 0u);
    // The pipe, four seconds of backlog, and a second of slack for what was
    // recorded between the release and StopRec.
    const std::size_t bytesPerSecond = 44100 * 2;
    EXPECT_LE(written.size() - 46, reader.capacity() + 5 * bytesPerSecond);
}

// A disk that fills up during the recording: one report, and the header
// claims the whole blocks that reached the disk.
TEST_F(RecordTest, FullDiskIsReportedOnceAndTheHeaderMatchesTheFile) {
    const std::filesystem::path folder = scratch.folder() / "disk";
    std::filesystem::create_directory(folder);
    korvex::test::SmallTmpfs disk(folder, 64 * 1024);
    if (!disk.ok()) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    // Three pages stay free: the header and six blocks of 2000 bytes.
    writeFile((folder / "room").string(), Bytes(3 * 4096, 0));
    disk.fill("filler");
    std::filesystem::remove(folder / "room");
    const std::string path = (folder / "full.wav").string();
    ASSERT_EQ(StartRec(11025, 16, path.c_str()), 1);
    EXPECT_TRUE(errors.waitForCount(1, milliseconds(10000)));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(StopRec(), 1);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"Error writing WAVE file " + path +
                                                       ": No space left on device"});
    const Bytes file = readFile(path);
    EXPECT_EQ(file.size(), 46u + 12000u);
    EXPECT_EQ(le32(file, 42), 12000u);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
}

TEST_F(RecordTest, FileThatTakesNothingIsReportedOnce) {
    ASSERT_EQ(StartRec(11025, 8, "/dev/full"), 1);
    EXPECT_TRUE(errors.waitForCount(1));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(StopRec(), 1);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{
                                  "Error writing WAVE file /dev/full: No space left on device"});
}

TEST_F(RecordTest, ExistingFileIsReplaced) {
    const std::string path = scratch.file("old.wav");
    writeFile(path, Bytes(100000, 0x55));
    const Bytes file = record(11025, 8, milliseconds(100), "old.wav");
    ASSERT_GE(file.size(), 46u);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
}

TEST_F(RecordTest, CaptureDeviceErrorIsReportedAndNoFileWritten) {
    const std::string path = scratch.file("nodevice.wav");
    {
        ScopedEnv device("MRQSND_CAPTURE_DEVICE", "no_such_capture_device");
        ASSERT_EQ(StartRec(11025, 8, path.c_str()), 1);
        ASSERT_TRUE(errors.waitForCount(1));
        EXPECT_EQ(IsRecording(), 1);
        EXPECT_EQ(StopRec(), 1);
    }
    const auto texts = errors.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(std::regex_match(texts[0], std::regex("WAVEIN:[0-9a-f]+:.+"))) << texts[0];
    EXPECT_EQ(texts[0].rfind("WAVEIN:2:", 0), 0u) << texts[0];
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RecordTest, RecordingAndPlaybackRunTogether) {
    const std::string played = scratch.file("played.wav");
    run("sox -n -r 11025 -b 16 -c 1 '" + played + "' synth 0.5 sine 440");
    const std::string path = scratch.file("both.wav");
    ASSERT_EQ(StartRec(22050, 16, path.c_str()), 1);
    ASSERT_EQ(StartPlay(played.c_str()), 1);
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(IsRecording(), 1);
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsRecording(), 1);
    EXPECT_EQ(StopRec(), 1);
    const Bytes file = readFile(path);
    ASSERT_GE(file.size(), 46u);
    EXPECT_EQ(le32(file, 42) % 2000, 0u);
    EXPECT_TRUE(errors.texts().empty());
}

}  // namespace
