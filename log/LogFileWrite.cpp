#include "log/LogFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace korvex {

namespace {

constexpr int kAppendFlags = O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK;

// Closes the descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now; 0 or an errno value.
    int close() {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd;
};

int writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (put == 0) {
            return EIO;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return 0;
}

// The file's last byte is not a line end.
bool endsInsideALine(int fd, off_t size) {
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

// The line end of the file's last line: LF when it ends with a bare LF, else
// CR LF (also for a file without a line end near its end).
std::string_view lastLineEnd(int fd, off_t size) {
    // An entry line is at most a few KB: the last line end is within this.
    std::array<char, 8192> tail{};
    const off_t from = std::max<off_t>(0, size - static_cast<off_t>(tail.size()));
    const ssize_t got = ::pread(fd, tail.data(), static_cast<std::size_t>(size - from), from);
    for (ssize_t i = got - 1; i >= 0; --i) {
        if (tail[static_cast<std::size_t>(i)] == '\n') {
            return i > 0 && tail[static_cast<std::size_t>(i - 1)] == '\r' ? "\r\n" : "\n";
        }
    }
    return "\r\n";
}

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

int probeLogFile(const std::string& path) {
    Fd fd(::open(path.c_str(), kAppendFlags, 0644));
    if (fd.get() < 0) {
        return errno;
    }
    return fd.close();
}

int appendLogText(const std::string& path, std::string_view text) {
    return appendLogLines(path, [text](std::string_view) { return std::string(text); });
}

int appendLogLines(const std::string& path, const LogLines& lines) {
    Fd fd(::open(path.c_str(), kAppendFlags, 0644));
    if (fd.get() < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return errno;
    }
    const bool regular = S_ISREG(st.st_mode);
    const std::string_view lineEnd = regular ? lastLineEnd(fd.get(), st.st_size) : "\r\n";
    const std::string text = lines(lineEnd);
    int err = 0;
    if (regular && endsInsideALine(fd.get(), st.st_size)) {
        err = writeAll(fd.get(), lineEnd);
    }
    if (err == 0) {
        err = writeAll(fd.get(), text);
    }
    if (err == 0 && regular && ::fdatasync(fd.get()) != 0) {
        err = errno;
    }
    if (err != 0) {
        // Whatever part went in comes out again: the next append starts on a
        // line of its own.
        if (regular && ::ftruncate(fd.get(), st.st_size) == 0) {
            ::fdatasync(fd.get());
        }
        return err;
    }
    return fd.close();
}

std::string_view logLineEndOf(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return "\r\n";
    }
    // Reads no further than the size the file had, so a file that keeps
    // growing cannot hold this up.
    std::int64_t crlf = 0;
    std::int64_t lf = 0;
    std::array<char, 65536> chunk{};
    char previous = 0;
    off_t left = st.st_size;
    while (left > 0) {
        const ssize_t got = ::read(fd.get(), chunk.data(),
                                   static_cast<std::size_t>(std::min<off_t>(left, chunk.size())));
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[static_cast<std::size_t>(i)] == '\n') {
                ++(previous == '\r' ? crlf : lf);
            }
            previous = chunk[static_cast<std::size_t>(i)];
        }
        left -= got;
    }
    return lf > crlf ? "\n" : "\r\n";
}

bool usableRecording(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    constexpr std::size_t kHeaderSize = 46;
    std::array<unsigned char, kHeaderSize> header{};
    if (::pread(fd.get(), header.data(), header.size(), 0) != static_cast<ssize_t>(kHeaderSize) ||
        std::memcmp(header.data(), "RIFF", 4) != 0 ||
        std::memcmp(header.data() + 8, "WAVE", 4) != 0 ||
        std::memcmp(header.data() + 38, "data", 4) != 0) {
        return false;
    }
    const std::uint32_t dataBytes = le32(header.data() + 42);
    return dataBytes > 0 && static_cast<std::uint64_t>(st.st_size) >= kHeaderSize + dataBytes;
}

}  // namespace korvex
