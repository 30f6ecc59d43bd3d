// The squelch loop driven by a fake clock: when entries begin and end, what
// they hold, recording, and a real thread's start and stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include "link/CommandQueue.h"
#include "log/LogFakes.h"
#include "log/LogFile.h"
#include "log/LogThread.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kStart = 1079359351;  // 2004-03-15 14:02:31 UTC

class LogThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        doc.resetLog();
        audio.audioTime = 60;
        audio.sampleRate = 22050;
        audio.bitsPerSample = 16;
        rx.logActive = true;
        rx.squelchEvents.publish("145.500000", "123");
        settings.logFilePath = (folder.folder() / "air.log").string();
    }

    LogThreadContext context() {
        LogThreadContext c;
        c.rx = &rx;
        c.doc = &doc;
        c.queue = &queue;
        c.audio = &audio;
        c.sound = &sound;
        c.clock = &clock;
        c.message = [this](const std::string& text) { messages.push_back(text); };
        c.notice = [this](const LogNotice& notice) { notices.push_back(notice); };
        return c;
    }

    // Runs the loop on this thread: at each listed time (ms) a squelch report
    // arrives, and the loop is stopped at stopMs.
    void runLoop(CLogThread& thread, std::map<std::int64_t, int> reports, std::int64_t stopMs) {
        clock.onSleep = [&, reports](std::int64_t ms) {
            if (const auto it = reports.find(ms); it != reports.end()) {
                rx.squelchEvents.push(it->second);
            }
            if (ms >= stopMs) {
                thread.setRunning(false);
            }
        };
        thread.setRunning(true);
        thread.openLogFile();
        thread.squelchLoop();
        thread.closeLogFile();
    }

    std::string logText() {
        std::ifstream in(settings.logFilePath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempDir folder;
    CReceiver rx;
    CZelDoc doc;
    CommandQueue queue;
    LiveAudioSettings audio;
    FakeSound sound;
    FakeClock clock{kStart};
    LogRunSettings settings{2, 2, false, ""};
    std::vector<std::string> messages;
    std::vector<LogNotice> notices;
};

TEST_F(LogThreadTest, AnOpenSquelchHeldForTheEntryDelayMakesOneEntry) {
    CLogThread thread(context(), settings);
    // Open at 0.2 s, closed at 5.2 s; the entry begins 2 s after the open
    // report is taken and ends 2 s after the close report is taken.
    runLoop(thread, {{200, 1}, {5200, 0}}, 10'000);
    const auto entries = doc.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].date, "2004-03-15");
    EXPECT_EQ(entries[0].time, "14:02:34") << "the time the entry began";
    EXPECT_EQ(entries[0].duration, "00:00:05") << "the closing delay is included";
    EXPECT_EQ(entries[0].frequency, "145.500000");
    EXPECT_EQ(entries[0].level, "123");
    EXPECT_EQ(entries[0].audioFile, EMPTY_FIELD) << "recording is off";
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_EQ(logText(), "2004-03-15\t14:02:34\t00:00:05\t145.500000\t123\t\xB0\xB0\xB0\r\n");
    EXPECT_EQ(queue.text(), "NL\r");
}

TEST_F(LogThreadTest, ASquelchClosedWithinTheEntryDelayMakesNoEntry) {
    CLogThread thread(context(), settings);
    runLoop(thread, {{200, 1}, {1200, 0}}, 8000);
    EXPECT_EQ(doc.entryCount(), 0u);
    EXPECT_EQ(logText(), "");
    EXPECT_TRUE(queue.empty());
}

TEST_F(LogThreadTest, EveryFurtherOpenReportRestartsTheCount) {
    CLogThread thread(context(), settings);
    // Open reports every second never leave two quiet seconds.
    runLoop(thread, {{200, 1}, {1200, 1}, {2200, 1}, {3200, 1}}, 5000);
    EXPECT_EQ(doc.entryCount(), 0u);
}

TEST_F(LogThreadTest, StopLogDuringAnEntryFinishesAndWritesIt) {
    settings.recordAudio = true;
    CLogThread thread(context(), settings);
    runLoop(thread, {{200, 1}}, 6200);
    const auto entries = doc.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].time, "14:02:34");
    EXPECT_EQ(entries[0].duration, "00:00:03") << "ended at the stop";
    EXPECT_EQ(entries[0].audioFile, "air040315_140234.wav");
    EXPECT_NE(logText().find("air040315_140234.wav\r\n"), std::string::npos);
    ASSERT_EQ(sound.calls.size(), 2u);
    EXPECT_EQ(sound.calls[0], "StartRec 22050 16 " + folder.path() + "/air040315_140234.wav");
    EXPECT_EQ(sound.calls[1], "StopRec");
}

TEST_F(LogThreadTest, TheAudioCounterWrapsInQuietTimeAndCutsTheFirstRecordingShort) {
    settings.recordAudio = true;
    settings.tentry = 1;
    audio.audioTime = 5;
    CLogThread thread(context(), settings);
    std::int64_t recordingStoppedAt = -1;
    bool wasRecording = false;
    clock.onSleep = [&](std::int64_t ms) {
        if (ms == 6200) {
            rx.squelchEvents.push(1);
        }
        if (wasRecording && !sound.recording && recordingStoppedAt < 0) {
            recordingStoppedAt = ms;
        }
        wasRecording = sound.recording;
        if (ms >= 20'000) {
            thread.setRunning(false);
        }
    };
    thread.setRunning(true);
    thread.squelchLoop();
    // Counted 1..6 while quiet, wrapped to 0 at 6 s; the entry began at 8 s
    // with the counter at 2, so the limit stops the recording at 12 s.
    EXPECT_EQ(recordingStoppedAt, 12'200);
    ASSERT_EQ(doc.entryCount(), 1u) << "the entry goes on after its recording stopped";
    EXPECT_EQ(doc.entries()[0].audioFile, "air040315_140239.wav");
    EXPECT_EQ(doc.entries()[0].duration, "00:00:12");
}

TEST_F(LogThreadTest, ARewriteDuringARunKeepsTheLinesThatFollowIt) {
    CLogThread thread(context(), settings);
    // The first entry ends at 8 s; the window rewrites the file at 9 s (a
    // deleted recording); the second entry ends at 18 s.
    std::map<std::int64_t, int> reports{{200, 1}, {5200, 0}, {10'200, 1}, {15'200, 0}};
    clock.onSleep = [&](std::int64_t ms) {
        if (const auto it = reports.find(ms); it != reports.end()) {
            rx.squelchEvents.push(it->second);
        }
        if (ms == 9000) {
            ASSERT_TRUE(doc.writeLogFile(settings.logFilePath));
        }
        if (ms >= 20'000) {
            thread.setRunning(false);
        }
    };
    thread.setRunning(true);
    thread.openLogFile();
    thread.squelchLoop();
    thread.closeLogFile();
    ASSERT_EQ(doc.entryCount(), 2u);
    EXPECT_EQ(parseLogText(logText()), doc.entries());
    const std::string text = logText();
    EXPECT_EQ(text.find("\r\n"), text.find('\n') - 1) << "the rewrite keeps the CR LF";
    EXPECT_EQ(text.rfind("\r\n"), text.size() - 2);
}

TEST_F(LogThreadTest, ALogPathWithoutAFolderNamesFilesAfterItsFirstDot) {
    settings.logFilePath = "air.2004.log";
    CLogThread thread(context(), settings);
    EXPECT_EQ(thread.audioFileName(kStart), "air040315_140231.wav");
    settings.logFilePath = "/var/log/my.logs/night.log";
    CLogThread other(context(), settings);
    EXPECT_EQ(other.audioFileName(kStart), "night040315_140231.wav");
}

TEST_F(LogThreadTest, AnUnopenableLogFileIsToldAtOnceAndStillMakesEntries) {
    settings.logFilePath = (folder.folder() / "no-such-folder" / "air.log").string();
    CLogThread thread(context(), settings);
    runLoop(thread, {{200, 1}, {5200, 0}}, 10'000);
    EXPECT_EQ(doc.entryCount(), 1u);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].kind, LogNotice::LogFile);
    EXPECT_TRUE(notices[0].failed);
    EXPECT_EQ(notices[0].text.rfind("Unable to open the log file\n" + settings.logFilePath, 0), 0u)
        << notices[0].text;
    EXPECT_TRUE(notices[1].failed) << "the entry's line could not be written";
    EXPECT_EQ(doc.unwrittenLines(), 1u);
}

// The log's folder is gone for the first entry and back for the second: the
// first line is written before the second, and the window hears both.
TEST_F(LogThreadTest, ALineThatCouldNotBeWrittenFollowsWithTheNextEntry) {
    const fs::path sub = folder.folder() / "sub";
    settings.logFilePath = (sub / "air.log").string();
    CLogThread thread(context(), settings);
    std::map<std::int64_t, int> reports{{200, 1}, {5200, 0}, {10'200, 1}, {15'200, 0}};
    clock.onSleep = [&](std::int64_t ms) {
        if (const auto it = reports.find(ms); it != reports.end()) {
            rx.squelchEvents.push(it->second);
        }
        if (ms == 9000) {
            fs::create_directory(sub);
        }
        if (ms >= 20'000) {
            thread.setRunning(false);
        }
    };
    thread.setRunning(true);
    thread.openLogFile();
    thread.squelchLoop();
    thread.closeLogFile();
    ASSERT_EQ(doc.entryCount(), 2u);
    EXPECT_EQ(parseLogText(logText()), doc.entries());
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_TRUE(notices[1].failed);
    EXPECT_NE(notices[1].text.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(notices[2].failed);
}

// A recording that left no samples (a full disk, a folder gone) is not
// offered for playing: its entry says so with a "-" before the name, and an
// empty file is not left behind.
TEST_F(LogThreadTest, AnEntryWithoutAUsableRecordingIsMarked) {
    settings.recordAudio = true;
    struct Case {
        const char* what;
        std::function<void(const std::string&)> recordInto;
        bool fileRemains;
    };
    const Case cases[] = {
        {"empty file", [](const std::string& path) { writeBytes(path, ""); }, false},
        {"header only", [](const std::string& path) { FakeSound::writeWav(path, 0); }, false},
        {"no file", [](const std::string&) {}, false},
        {"samples", [](const std::string& path) { FakeSound::writeWav(path, 2000); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc.resetLog();
        notices.clear();
        clock.elapsedMs = 0;
        sound.recordInto = c.recordInto;
        CLogThread thread(context(), settings);
        runLoop(thread, {{200, 1}, {5200, 0}}, 10'000);
        ASSERT_EQ(doc.entryCount(), 1u);
        const std::string name = "air040315_140234.wav";
        EXPECT_EQ(doc.entries()[0].audioFile, c.fileRemains ? name : "-" + name);
        EXPECT_EQ(doc.entries()[0].hasAudio(), c.fileRemains);
        EXPECT_EQ(fs::exists(folder.folder() / name), c.fileRemains);
        ASSERT_FALSE(notices.empty());
        const LogNotice& recording = notices[notices.size() - 2];
        EXPECT_EQ(recording.kind, LogNotice::Recording);
        EXPECT_EQ(recording.failed, !c.fileRemains);
        fs::remove(folder.folder() / name);
        fs::remove(settings.logFilePath);
    }
}

TEST(DurationTextTest, KeepsTheHoursOfTheDayOnly) {
    EXPECT_EQ(durationText(0), "00:00:00");
    EXPECT_EQ(durationText(3 * 3600 + 4 * 60 + 5), "03:04:05");
    EXPECT_EQ(durationText(25 * 3600 + 1), "01:00:01") << "a whole day is lost";
}

// Time that runs 200 times faster than real time.
class FastClock : public LogClock {
public:
    std::time_t now() override { return kStart + static_cast<std::time_t>(m_ms.load() / 1000); }
    void sleepMs(int ms) override {
        std::this_thread::sleep_for(std::chrono::microseconds(ms * 5));
        m_ms += ms;
    }
    std::int64_t elapsedMs() const { return m_ms.load(); }

private:
    std::atomic<std::int64_t> m_ms{0};
};

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(LogThreadTest, ARealThreadLogsAndStopsWithoutWaitingOnTheWindow) {
    FastClock fast;
    LogThreadContext c = context();
    c.clock = &fast;
    settings.tentry = 1;
    settings.tdelay = 1;
    settings.recordAudio = true;
    CLogThread thread(c, settings);
    thread.start();
    // Reports that came before the loop began are dropped by it.
    ASSERT_TRUE(waitFor([&] { return fast.elapsedMs() > 0; }));
    for (int n = 0; n < 3; ++n) {
        rx.squelchEvents.push(1);
        ASSERT_TRUE(waitFor([&] { return sound.isRecording(); })) << n;
        rx.squelchEvents.push(0);
        ASSERT_TRUE(waitFor([&] { return doc.entryCount() == static_cast<std::size_t>(n + 1); }));
        rx.squelchEvents.publish("118.100000", "0" + std::to_string(n) + "5");
    }
    thread.requestStop();
    ASSERT_TRUE(waitFor([&] { return thread.finished(); }));
    thread.join();
    EXPECT_EQ(queue.text(), "NL\rNL\rNL\r");
    const std::string text = logText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_NE(text.find("118.100000\t005\t"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
