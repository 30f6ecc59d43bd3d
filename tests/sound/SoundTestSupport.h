// Helpers for the sound library tests: a scratch folder, files as bytes,
// shell commands and a collector for the library's error texts.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

namespace soundtest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under /tmp, removed with the object.
using ScratchDir = korvex::test::TempDir;

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);
std::uint32_t le32(const Bytes& bytes, std::size_t offset);
std::uint16_t le16(const Bytes& bytes, std::size_t offset);

// Runs a shell command; returns its standard output, and its exit status in
// *status when given.
std::string run(const std::string& command, int* status = nullptr);

bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(3000));

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string m_name;
    bool m_hadValue = false;
    std::string m_oldValue;
};

// Reads a FIFO on a thread of its own and collects what arrives until the
// writer closes it. The FIFO is opened at once, so a writer's open returns;
// a held reader reads nothing until release(), so the writer stalls once the
// pipe is full.
class FifoReader {
public:
    // Creates the FIFO at path.
    FifoReader(const std::string& path, bool held);
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    void release();
    // Waits until the writer has closed the FIFO; what it wrote.
    Bytes wait();
    // Bytes the FIFO holds before a writer stalls.
    std::size_t capacity() const;

private:
    void readAll();

    int m_fd = -1;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held;
    bool m_stopping = false;
    Bytes m_bytes;
    std::thread m_thread;
};

// Collects what the library reports. Install with the library's setter
// function and the static callback.
class ErrorLog {
public:
    static void callback(const char* text, void* context);

    std::vector<std::string> texts();
    // Waits until at least count texts arrived.
    bool waitForCount(std::size_t count,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(3000));

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::string> m_texts;
};

// RIFF chunk builder for hand-made WAV files.
void appendTag(Bytes& out, const char* tag);
void append32(Bytes& out, std::uint32_t value);
void append16(Bytes& out, std::uint16_t value);
void appendChunk(Bytes& out, const char* id, const Bytes& body);
// The 16 bytes of a PCM format record.
Bytes pcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits);
// "RIFF" size "WAVE" followed by body; size is body + 4 unless given.
Bytes riffWave(const Bytes& body, std::int64_t riffSize = -1);

}  // namespace soundtest
