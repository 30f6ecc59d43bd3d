#include "SoundTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace soundtest {

namespace {

// The tests need no sound card: ALSA's null device unless the caller chose.
// Where the tests bring devices of their own, their ALSA configuration adds
// them to the system's, whatever the caller's environment says.
const bool devicesChosen = [] {
    setenv("MRQSND_CAPTURE_DEVICE", "null", 0);
    setenv("MRQSND_PLAYBACK_DEVICE", "null", 0);
#ifdef MRQSND_TEST_ALSA_CONFIG
    setenv("ALSA_CONFIG_PATH", MRQSND_TEST_ALSA_CONFIG, 1);
#endif
    return true;
}();

}  // namespace

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t le32(const Bytes& bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(bytes[offset]) | (bytes[offset + 1] << 8) |
           (bytes[offset + 2] << 16) | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::uint16_t le16(const Bytes& bytes, std::size_t offset) {
    if (offset + 2 > bytes.size()) {
        return 0xFFFF;
    }
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::string run(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr) {
            *status = -1;
        }
        return output;
    }
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        output.append(chunk, got);
    }
    const int result = pclose(pipe);
    if (status != nullptr) {
        *status = result;
    }
    return output;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_hadValue = true;
        m_oldValue = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_hadValue) {
        setenv(m_name.c_str(), m_oldValue.c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

FifoReader::FifoReader(const std::string& path, bool held) : m_held(held) {
    if (mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("mkfifo failed");
    }
    // Non-blocking, so the open does not wait for a writer.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        throw std::runtime_error("opening the FIFO failed");
    }
    m_thread = std::thread([this] { readAll(); });
}

FifoReader::~FifoReader() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ::close(m_fd);
}

void FifoReader::release() {
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

Bytes FifoReader::wait() {
    release();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

std::size_t FifoReader::capacity() const {
    const int size = fcntl(m_fd, F_GETPIPE_SZ);
    return size > 0 ? static_cast<std::size_t>(size) : 0;
}

void FifoReader::readAll() {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_held || m_stopping; });
    }
    std::uint8_t chunk[65536];
    while (true) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
        }
        // Until a writer has come, the FIFO shows no events at all.
        pollfd poller{m_fd, POLLIN, 0};
        if (poll(&poller, 1, 100) <= 0) {
            continue;
        }
        const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
        if (got > 0) {
            std::lock_guard lock(m_mutex);
            m_bytes.insert(m_bytes.end(), chunk, chunk + got);
        } else if (got == 0 || errno != EAGAIN) {
            return;
        }
    }
}

void ErrorLog::callback(const char* text, void* context) {
    auto* log = static_cast<ErrorLog*>(context);
    {
        std::lock_guard lock(log->m_mutex);
        log->m_texts.emplace_back(text);
    }
    log->m_arrived.notify_all();
}

std::vector<std::string> ErrorLog::texts() {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

bool ErrorLog::waitForCount(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, limit, [&] { return m_texts.size() >= count; });
}

void appendTag(Bytes& out, const char* tag) {
    // One byte at a time: GCC 12 warns falsely about a range insert here.
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

void append32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void append16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendChunk(Bytes& out, const char* id, const Bytes& body) {
    appendTag(out, id);
    append32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        out.push_back(0);
    }
}

Bytes pcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    Bytes out;
    const auto align = static_cast<std::uint16_t>(channels * (bits / 8));
    append16(out, 1);
    append16(out, channels);
    append32(out, rate);
    append32(out, rate * align);
    append16(out, align);
    append16(out, bits);
    return out;
}

Bytes riffWave(const Bytes& body, std::int64_t riffSize) {
    Bytes out;
    appendTag(out, "RIFF");
    append32(out, static_cast<std::uint32_t>(riffSize >= 0 ? riffSize : body.size() + 4));
    appendTag(out, "WAVE");
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace soundtest
