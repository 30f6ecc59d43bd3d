#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <thread>

#include "SoundTestSupport.h"
#include "mrqSnd.h"

using namespace soundtest;
using std::chrono::milliseconds;

namespace {

class PlayTest : public ::testing::Test {
protected:
    void SetUp() override { SetSoundErrorCallback(&ErrorLog::callback, &errors); }
    void TearDown() override {
        StopPlay();
        SetSoundErrorCallback(nullptr, nullptr);
    }

    // ALSA's file device writes what is played into a raw file.
    std::string fileDevice(const std::string& raw) const {
        return "file:FILE=" + raw + ",FORMAT=raw";
    }

    // Plays path on a file device and returns the bytes that reached it, once
    // expected bytes arrived or the playback went quiet.
    Bytes playToFile(const std::string& path, std::size_t expected) {
        const std::string raw = scratch.file("played-" + std::to_string(++plays) + ".raw");
        ScopedEnv device("MRQSND_PLAYBACK_DEVICE", fileDevice(raw));
        EXPECT_EQ(StartPlay(path.c_str()), 1);
        waitUntil([&] {
            std::error_code ec;
            return std::filesystem::file_size(raw, ec) >= expected && !ec;
        });
        EXPECT_EQ(IsPlaying(), 1);
        EXPECT_EQ(StopPlay(), 1);
        EXPECT_EQ(IsPlaying(), 0);
        return readFile(raw);
    }

    ScratchDir scratch;
    ErrorLog errors;
    int plays = 0;
};

TEST_F(PlayTest, StopPlayWithoutPlaybackReturnsZero) {
    EXPECT_EQ(StopPlay(), 0);
}

struct SoxFile {
    const char* options;
    double seconds;

    friend void PrintTo(const SoxFile& c, std::ostream* os) {
        *os << c.options << ", " << c.seconds << " s";
    }
};

class PlaysSoxFile : public PlayTest, public ::testing::WithParamInterface<SoxFile> {};

// Every sample reaches the device, the last blocks too.
TEST_P(PlaysSoxFile, ToTheLastSample) {
    const std::string path = scratch.file("sox.wav");
    int status = 0;
    run(std::string("sox -n ") + GetParam().options + " '" + path + "' synth " +
            std::to_string(GetParam().seconds) + " sine 300-3000",
        &status);
    ASSERT_EQ(status, 0);
    const Bytes wav = readFile(path);
    ASSERT_GE(wav.size(), 44u);
    ASSERT_EQ(le32(wav, 16), 16u) << "sox wrote a 16-byte fmt chunk";
    const std::string samples = run("sox '" + path + "' -t raw -");
    const Bytes expected(samples.begin(), samples.end());

    EXPECT_EQ(playToFile(path, expected.size()), expected);
    EXPECT_TRUE(errors.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, PlaysSoxFile,
                         ::testing::Values(SoxFile{"-r 11025 -b 16 -c 1", 1.0},
                                           SoxFile{"-r 8000 -b 8 -c 1", 1.0},
                                           SoxFile{"-r 44100 -b 16 -c 2", 0.5},
                                           SoxFile{"-r 22050 -b 8 -c 1", 0.01},
                                           SoxFile{"-r 11025 -b 16 -c 1", 0.001}));

TEST_F(PlayTest, PlaysWhatItRecorded) {
    const std::string path = scratch.file("rec.wav");
    ASSERT_EQ(StartRec(22050, 16, path.c_str()), 1);
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_EQ(StopRec(), 1);
    const Bytes wav = readFile(path);
    ASSERT_GT(wav.size(), 46u);
    const Bytes expected(wav.begin() + 46, wav.end());
    EXPECT_EQ(playToFile(path, expected.size()), expected);
}

TEST_F(PlayTest, TextFileReportsAndStaysPlayingUntilStopPlay) {
    const std::string path = scratch.file("notes.txt");
    const std::string text = "This is not a sound file.\nIt has two lines.\n";
    writeFile(path, Bytes(text.begin(), text.end()));
    ASSERT_EQ(StartPlay(path.c_str()), 1);
    ASSERT_TRUE(errors.waitForCount(1));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_EQ(StopPlay(), 0);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"Error descending into file"});
}

TEST_F(PlayTest, StartPlayWhilePlayingStopsTheOldPlayback) {
    const std::string first = scratch.file("first.wav");
    const std::string second = scratch.file("second.wav");
    run("sox -n -r 11025 -b 16 -c 1 '" + first + "' synth 0.5 sine 440");
    run("sox -n -r 8000 -b 8 -c 1 '" + second + "' synth 0.3 sine 880");
    const std::string firstRaw = scratch.file("first.raw");
    const std::string secondRaw = scratch.file("second.raw");
    {
        ScopedEnv device("MRQSND_PLAYBACK_DEVICE", fileDevice(firstRaw));
        ASSERT_EQ(StartPlay(first.c_str()), 1);
        ASSERT_EQ(IsPlaying(), 1);
    }
    // The first playback's device was named when it started.
    ScopedEnv device("MRQSND_PLAYBACK_DEVICE", fileDevice(secondRaw));
    ASSERT_EQ(StartPlay(second.c_str()), 1);
    EXPECT_EQ(IsPlaying(), 1);
    const std::string samples = run("sox '" + second + "' -t raw -");
    EXPECT_TRUE(waitUntil([&] { return readFile(secondRaw).size() >= samples.size(); }));
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_EQ(readFile(secondRaw), Bytes(samples.begin(), samples.end()));
    EXPECT_TRUE(errors.texts().empty());
}

TEST_F(PlayTest, PlaybackDeviceErrorIsReported) {
    const std::string path = scratch.file("tone.wav");
    run("sox -n -r 11025 -b 16 -c 1 '" + path + "' synth 0.5 sine 440");
    ScopedEnv device("MRQSND_PLAYBACK_DEVICE", "no_such_playback_device");
    ASSERT_EQ(StartPlay(path.c_str()), 1);
    ASSERT_TRUE(errors.waitForCount(1));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsPlaying(), 0);
    const auto texts = errors.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("WAVEOUT:2:", 0), 0u) << texts[0];
}

// A device that takes samples but never plays them never drains. The player
// gives it up after a bounded time, StopPlay ends the playback, whether it
// comes before or after that, and the next playback plays every sample.
class StalledDevice : public PlayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StalledDevice, DoesNotHoldThePlayer) {
    const bool waitForTheBound = GetParam();
    const std::string stalled = scratch.file("stalled.wav");
    run("sox -n -r 11025 -b 16 -c 1 '" + stalled + "' synth 0.2 sine 440");
    const std::string closed = scratch.file("device-closed");
    {
        ScopedEnv device("MRQSND_PLAYBACK_DEVICE", "korvexstall:CLOSED=" + closed);
        ASSERT_EQ(StartPlay(stalled.c_str()), 1);
    }
    if (waitForTheBound) {
        // The device is let go at the end of the file; the playback stays.
        EXPECT_TRUE(
            waitUntil([&] { return std::filesystem::exists(closed); }, milliseconds(10000)));
        EXPECT_EQ(IsPlaying(), 1);
    } else {
        // Every sample is in the device and the drain under way.
        std::this_thread::sleep_for(milliseconds(400));
    }
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_TRUE(std::filesystem::exists(closed));

    const std::string next = scratch.file("next.wav");
    run("sox -n -r 8000 -b 8 -c 1 '" + next + "' synth 0.3 sine 880");
    const std::string samples = run("sox '" + next + "' -t raw -");
    EXPECT_EQ(playToFile(next, samples.size()), Bytes(samples.begin(), samples.end()));
    EXPECT_TRUE(errors.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(StopPlay, StalledDevice, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "AfterTheBound" : "WhileDraining");
                         });

// Hand-made and damaged files: what is reported and what reaches the device.
struct DamagedFile {
    const char* name;
    std::function<Bytes()> make;
    const char* message;  // empty when the file plays
    std::size_t playedBytes;

    friend void PrintTo(const DamagedFile& c, std::ostream* os) { *os << c.name; }
};

Bytes samples(std::size_t count) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>(i * 7);
    }
    return out;
}

Bytes fmtAndData(const Bytes& format, const Bytes& data) {
    Bytes body;
    appendChunk(body, "fmt ", format);
    appendChunk(body, "data", data);
    return body;
}

Bytes withExtraSize(Bytes format, std::uint16_t extra, std::size_t padding) {
    append16(format, extra);
    format.resize(format.size() + padding, 0xAA);
    return format;
}

const DamagedFile damagedFiles[] = {
    {"Empty", [] { return Bytes{}; }, "Error descending into file", 0},
    {"RiffTagOnly",
     [] {
         return Bytes{'R', 'I', 'F', 'F'};
     },
     "Error descending into file", 0},
    {"OtherForm",
     [] {
         Bytes out;
         appendTag(out, "RIFF");
         append32(out, 4);
         appendTag(out, "AVI ");
         return out;
     },
     "Error descending into file", 0},
    {"Garbage", [] { return samples(5000); }, "Error descending into file", 0},
    {"NoFormatChunk",
     [] {
         Bytes body;
         appendChunk(body, "data", samples(100));
         return riffWave(body);
     },
     "Error descending in file", 0},
    {"FormatChunkTooShort", [] { return riffWave(fmtAndData(Bytes(10, 1), samples(100))); },
     "Error ascending in File", 0},
    {"FileEndsInFormatChunk",
     [] {
         Bytes body;
         appendTag(body, "fmt ");
         append32(body, 16);
         append32(body, 0x00010001);
         return riffWave(body);
     },
     "Error ascending in File", 0},
    {"NoDataChunk",
     [] {
         Bytes body;
         appendChunk(body, "fmt ", pcmFormat(1, 8000, 8));
         appendChunk(body, "LIST", samples(21));
         return riffWave(body);
     },
     "error reading data chunk", 0},
    {"DataCutShort",
     [] {
         Bytes body;
         appendChunk(body, "fmt ", pcmFormat(1, 8000, 8));
         appendTag(body, "data");
         append32(body, 100000);
         const Bytes data = samples(500);
         body.insert(body.end(), data.begin(), data.end());
         return riffWave(body);
     },
     "", 500},
    {"RiffSizeTooLarge",
     [] { return riffWave(fmtAndData(pcmFormat(1, 8000, 8), samples(900)), 0xFFFFFFF0); }, "", 900},
    {"EighteenByteFormat",
     [] {
         return riffWave(fmtAndData(withExtraSize(pcmFormat(1, 11025, 16), 0, 0), samples(4000)));
     },
     "", 4000},
    {"LongFormatChunk",
     [] {
         return riffWave(fmtAndData(withExtraSize(pcmFormat(1, 11025, 16), 22, 22), samples(3000)));
     },
     "", 3000},
    {"OddChunkBeforeData",
     [] {
         Bytes body;
         appendChunk(body, "fmt ", pcmFormat(1, 8000, 8));
         appendChunk(body, "LIST", samples(13));
         appendChunk(body, "data", samples(777));
         return riffWave(body);
     },
     "", 777},
    {"ChunkAfterDataIsNotPlayed",
     [] {
         Bytes body = fmtAndData(pcmFormat(1, 8000, 8), samples(1200));
         appendChunk(body, "LIST", Bytes(400, 0xEE));
         return riffWave(body);
     },
     "", 1200},
    {"EmptyDataChunk", [] { return riffWave(fmtAndData(pcmFormat(1, 8000, 8), Bytes{})); }, "", 0},
    {"TwelveBitSamples", [] { return riffWave(fmtAndData(pcmFormat(1, 8000, 12), samples(600))); },
     "WAVEOUT:16:Invalid argument", 0},
    {"NoChannels", [] { return riffWave(fmtAndData(pcmFormat(0, 8000, 16), samples(600))); },
     "WAVEOUT:16:Invalid argument", 0},
    {"HugeFormatFields",
     [] {
         Bytes format;
         append16(format, 1);
         append16(format, 0xFFFF);
         append32(format, 0xFFFFFFFF);
         append32(format, 0xFFFFFFFF);
         append16(format, 0xFFFF);
         append16(format, 0xFFFF);
         return riffWave(fmtAndData(format, samples(600)));
     },
     "WAVEOUT:16:Invalid argument", 0},
};

class PlaysDamagedFile : public PlayTest, public ::testing::WithParamInterface<DamagedFile> {};

TEST_P(PlaysDamagedFile, WithoutHarm) {
    const DamagedFile& c = GetParam();
    const std::string path = scratch.file(std::string(c.name) + ".wav");
    writeFile(path, c.make());

    const std::string raw = scratch.file("out.raw");
    ScopedEnv device("MRQSND_PLAYBACK_DEVICE", fileDevice(raw));
    ASSERT_EQ(StartPlay(path.c_str()), 1);
    if (*c.message != '\0') {
        ASSERT_TRUE(errors.waitForCount(1));
    } else {
        waitUntil([&] { return readFile(raw).size() >= c.playedBytes; });
    }
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(IsPlaying(), 0);

    if (*c.message != '\0') {
        EXPECT_EQ(errors.texts(), std::vector<std::string>{c.message});
    } else {
        EXPECT_TRUE(errors.texts().empty());
        // Every playing case's data chunk holds samples(playedBytes).
        EXPECT_EQ(readFile(raw), samples(c.playedBytes));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlaysDamagedFile, ::testing::ValuesIn(damagedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayTest, MissingFileReportsUnableToOpen) {
    const std::string path = scratch.file("absent.wav");
    ASSERT_EQ(StartPlay(path.c_str()), 1);
    ASSERT_TRUE(errors.waitForCount(1));
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"unable to open Sound MM File"});
}

TEST_F(PlayTest, FolderReportsUnableToOpen) {
    ASSERT_EQ(StartPlay(scratch.path().c_str()), 1);
    ASSERT_TRUE(errors.waitForCount(1));
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"unable to open Sound MM File"});
}

TEST_F(PlayTest, NullPathReportsUnableToOpen) {
    ASSERT_EQ(StartPlay(nullptr), 1);
    ASSERT_TRUE(errors.waitForCount(1));
    EXPECT_EQ(StopPlay(), 1);
    EXPECT_EQ(errors.texts(), std::vector<std::string>{"unable to open Sound MM File"});
}

}  // namespace
