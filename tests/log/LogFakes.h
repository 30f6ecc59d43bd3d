#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "log/LogHost.h"
#include "log/LogThread.h"
#include "log/SoundControl.h"

namespace korvex::test {

// The sound library as a record of calls; recording and playing are flags.
class FakeSound : public SoundControl {
public:
    int startRec(int rate, int bits, const std::string& path) override {
        calls.push_back("StartRec " + std::to_string(rate) + " " + std::to_string(bits) + " " +
                        path);
        if (recording || refuseRec) {
            return 0;
        }
        recording = true;
        if (recordInto) {
            recordInto(path);
        }
        return 1;
    }
    int stopRec() override {
        calls.push_back("StopRec");
        const bool was = recording;
        recording = false;
        return was ? 1 : 0;
    }
    bool isRecording() override { return recording; }
    int startPlay(const std::string& path) override {
        calls.push_back("StartPlay " + path);
        if (playing || refusePlay) {
            return 0;
        }
        playing = true;
        return 1;
    }
    int stopPlay() override {
        calls.push_back("StopPlay");
        const bool was = playing;
        playing = false;
        return was ? 1 : 0;
    }
    bool isPlaying() override { return playing; }

    std::atomic<bool> recording{false};
    std::atomic<bool> playing{false};
    bool refuseRec = false;
    bool refusePlay = false;
    // What a started recording leaves at its path: a short WAV file of
    // samples unless a test says otherwise.
    std::function<void(const std::string&)> recordInto = [](const std::string& path) {
        writeWav(path, 2000);
    };

    // A WAV file of `dataBytes` samples as the library writes it.
    static void writeWav(const std::string& path, std::uint32_t dataBytes) {
        std::string bytes = "RIFF....WAVEfmt ";
        const auto put32 = [&bytes](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                bytes += static_cast<char>(v >> (8 * i));
            }
        };
        bytes.replace(4, 4, std::string(4, '\0'));
        put32(18);
        bytes += std::string("\x01\x00\x01\x00", 4);
        put32(11025);
        put32(11025);
        bytes += std::string("\x01\x00\x08\x00\x00\x00", 6);
        bytes += "data";
        put32(dataBytes);
        bytes += std::string(dataBytes, '\x80');
        const std::uint32_t riff = static_cast<std::uint32_t>(bytes.size() - 8);
        for (int i = 0; i < 4; ++i) {
            bytes[static_cast<std::size_t>(4 + i)] = static_cast<char>(riff >> (8 * i));
        }
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::vector<std::string> calls;
};

// Time that moves only when the loop sleeps; `onSleep` runs after every
// slice with the milliseconds passed since the start.
class FakeClock : public LogClock {
public:
    explicit FakeClock(std::time_t start) : m_start(start) {}
    std::time_t now() override { return m_start + static_cast<std::time_t>(elapsedMs / 1000); }
    void sleepMs(int ms) override {
        elapsedMs += ms;
        if (onSleep) {
            onSleep(elapsedMs);
        }
    }

    std::int64_t elapsedMs = 0;
    std::function<void(std::int64_t)> onSleep;

private:
    std::time_t m_start;
};

class FakeLogHost : public LogHost {
public:
    void showLogMessage(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + ": " + text);
    }
    bool confirmLog(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + "? " + text);
        return answerYes;
    }
    bool startExternalPlayer(const std::string& player, const std::string& file) override {
        players.push_back(player + " " + file);
        return playerStarts;
    }
    void logNotice(const LogNotice& notice) override { notices.push_back(notice); }

    bool answerYes = true;
    bool playerStarts = true;
    std::vector<std::string> messages;
    std::vector<std::string> players;
    std::vector<LogNotice> notices;
};

}  // namespace korvex::test
