#include "WaveFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace mrqsnd {

namespace {

// Largest data chunk whose RIFF size (data + header - 8 + pad) still fits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (WaveFileWriter::kHeaderSize - 8) - 1;

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Writes size bytes at offset; 0 or an errno value.
int writeAt(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (put == 0) {
            return EIO;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return 0;
}

int writeSizeAt(int fd, std::uint64_t offset, std::uint32_t value) {
    std::uint8_t bytes[4];
    put32(bytes, value);
    return writeAt(fd, bytes, sizeof bytes, offset);
}

std::string failureText(const char* what, const std::string& path, int error) {
    return std::string("Error ") + what + " WAVE file " + path + ": " + std::strerror(error);
}

}  // namespace

WaveFileWriter::~WaveFileWriter() {
    close();
}

bool WaveFileWriter::open(const std::string& path, const WaveFormat& format) {
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        const int error = errno;
        m_errors.push_back(failureText("creating", path, error));
        return false;
    }
    m_path = path;
    m_headerWritten = false;
    m_failed = false;
    m_dataBytes = 0;
    m_bytesWritten = 0;
    m_sizesUpdatable = true;

    std::uint8_t header[kHeaderSize] = {};
    std::memcpy(header + 0, "RIFF", 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    put32(header + 16, kWaveFormatSize);
    const auto record = encodeWaveFormat(format);
    std::memcpy(header + 20, record.data(), record.size());
    std::memcpy(header + 38, "data", 4);
    // The RIFF and data sizes are 0 until the first block.
    if (const int err = writeAll(header, sizeof header); err != 0) {
        writeFailed(err);
        return true;
    }
    m_headerWritten = true;
    return true;
}

int WaveFileWriter::writeAll(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(m_fd, data, size);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (put == 0) {
            return EIO;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        m_bytesWritten += static_cast<std::uint64_t>(put);
    }
    return 0;
}

void WaveFileWriter::writeFailed(int error) {
    m_failed = true;
    m_errors.push_back(failureText("writing", m_path, error));
}

void WaveFileWriter::append(const std::uint8_t* data, std::size_t size) {
    if (m_fd < 0 || m_failed || size == 0) {
        return;
    }
    if (m_dataBytes + size > kMaxDataBytes) {
        writeFailed(EFBIG);
        return;
    }
    if (const int err = writeAll(data, size); err != 0) {
        writeFailed(err);
        return;
    }
    m_dataBytes += size;
    updateSizes();
}

void WaveFileWriter::updateSizes() {
    if (!m_headerWritten || !m_sizesUpdatable) {
        return;
    }
    // The sizes of what the file holds now, so that a process killed before
    // close() leaves a file that plays up to its last block. A file that
    // cannot seek (a pipe) keeps its zeros; close() reports that once.
    if (writeSizeAt(m_fd, 4, static_cast<std::uint32_t>(kHeaderSize - 8 + m_dataBytes)) != 0 ||
        writeSizeAt(m_fd, 42, static_cast<std::uint32_t>(m_dataBytes)) != 0) {
        m_sizesUpdatable = false;
    }
}

void WaveFileWriter::close() {
    if (m_fd < 0) {
        return;
    }
    int err = 0;
    const auto keep = [&err](int result) {
        if (err == 0) {
            err = result;
        }
    };
    if (m_headerWritten) {
        std::uint64_t chunkEnd = kHeaderSize + m_dataBytes;
        // A failed block may have left part of itself behind: cut it off so
        // the file holds whole blocks only. Should that fail, the sizes
        // still claim only the whole blocks.
        if (m_bytesWritten > chunkEnd && ::ftruncate(m_fd, static_cast<off_t>(chunkEnd)) != 0) {
            keep(errno);
        }
        if (m_dataBytes % 2 != 0) {
            const std::uint8_t pad = 0;
            const int padErr = writeAt(m_fd, &pad, 1, chunkEnd);
            keep(padErr);
            if (padErr == 0) {
                ++chunkEnd;
            }
        }
        keep(writeSizeAt(m_fd, 4, static_cast<std::uint32_t>(chunkEnd - 8)));
        keep(writeSizeAt(m_fd, 42, static_cast<std::uint32_t>(m_dataBytes)));
    }
    if (::close(m_fd) != 0 && errno != EINTR) {
        keep(errno);
    }
    m_fd = -1;
    if (err != 0) {
        m_errors.push_back(failureText("closing", m_path, err));
    }
}

std::vector<std::string> WaveFileWriter::takeErrors() {
    return std::exchange(m_errors, {});
}

}  // namespace mrqsnd
