#include "model/BoundedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvex {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

ssize_t readSome(int fd, char* to, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, to, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

}  // namespace

int openRegularFile(const std::filesystem::path& path, int access, ReadFailure& failure, int& error,
                    std::size_t& size) {
    const int fd = ::open(path.c_str(), access | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        failure = ReadFailure::Open;
        error = errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        failure = ReadFailure::Open;
        error = errno;
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        failure = ReadFailure::NotRegular;
        error = S_ISDIR(st.st_mode) ? EISDIR : 0;
        ::close(fd);
        return -1;
    }
    // A regular file never waits; the flag goes so that the descriptor
    // behaves as any other for the caller (stdio on top of it, locks).
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    size = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
    return fd;
}

BoundedFile readFileBounded(const std::filesystem::path& path, std::size_t limit) {
    BoundedFile file;
    std::size_t size = 0;
    const int fd = openRegularFile(path, O_RDONLY, file.failure, file.error, size);
    if (fd < 0) {
        return file;
    }
    if (size > limit) {
        file.failure = ReadFailure::TooLarge;
        ::close(fd);
        return file;
    }
    // The size may change while the file is read: room for what fstat saw,
    // then growth in chunks up to one byte past the limit.
    file.bytes.resize(size);
    std::size_t got = 0;
    for (;;) {
        if (got == file.bytes.size()) {
            file.bytes.resize(std::min(got + kChunk, limit + 1));
        }
        const ssize_t n = readSome(fd, file.bytes.data() + got, file.bytes.size() - got);
        if (n < 0) {
            file.failure = ReadFailure::Read;
            file.error = errno;
            break;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
        if (got > limit) {
            file.failure = ReadFailure::TooLarge;
            break;
        }
    }
    ::close(fd);
    if (file.failure != ReadFailure::None) {
        file.bytes = std::string();
    } else {
        file.bytes.resize(got);
    }
    return file;
}

std::string byteCountText(std::size_t bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) {
        return countText(bytes / (1024 * 1024)) + " MB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return countText(bytes / 1024) + " KB";
    }
    return countText(bytes) + " bytes";
}

std::string countText(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

LineReader::LineReader(const std::filesystem::path& path, std::size_t fileLimit,
                       std::size_t lineLimit)
    : m_fileLimit(fileLimit), m_lineLimit(lineLimit) {
    std::size_t size = 0;
    m_fd = openRegularFile(path, O_RDONLY, m_failure, m_error, size);
    if (m_fd >= 0 && size > fileLimit) {
        m_failure = ReadFailure::TooLarge;
    }
}

LineReader::~LineReader() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool LineReader::fill() {
    if (m_fd < 0 || m_eof || m_failure != ReadFailure::None) {
        return false;
    }
    m_buffer.resize(kChunk);
    const ssize_t n = readSome(m_fd, m_buffer.data(), m_buffer.size());
    if (n < 0) {
        m_failure = ReadFailure::Read;
        m_error = errno;
        return false;
    }
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_total += static_cast<std::size_t>(n);
    if (m_total > m_fileLimit) {
        m_failure = ReadFailure::TooLarge;
        return false;
    }
    m_start = 0;
    m_end = static_cast<std::size_t>(n);
    return true;
}

bool LineReader::next(std::string_view& line) {
    m_line.clear();
    m_cut = false;
    bool any = false;
    for (;;) {
        if (m_start >= m_end && !fill()) {
            if (m_failure != ReadFailure::None || !any) {
                return false;
            }
            line = m_line;
            return true;
        }
        const char* begin = m_buffer.data() + m_start;
        const std::size_t available = m_end - m_start;
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
        const std::size_t take = lf != nullptr ? static_cast<std::size_t>(lf - begin) : available;
        if (lf != nullptr && !any && take <= m_lineLimit) {
            // The whole line is in the buffer: no copy.
            line = std::string_view(begin, take);
            m_start += take + 1;
            return true;
        }
        any = true;
        const std::size_t room = m_lineLimit - std::min(m_line.size(), m_lineLimit);
        if (take > room) {
            m_cut = true;
        }
        m_line.append(begin, std::min(take, room));
        m_start += take;
        if (lf != nullptr) {
            ++m_start;
            line = m_line;
            return true;
        }
    }
}

}  // namespace korvex
