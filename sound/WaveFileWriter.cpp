#include "WaveFileWriter.h"

#include <unistd.h>

#include <cstring>

namespace mrqsnd {

namespace {

// Largest data chunk whose RIFF size (data + header - 8 + pad) still fits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (WaveFileWriter::kHeaderSize - 8) - 1;

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

bool writeSizeAt(std::FILE* file, long offset, std::uint32_t value) {
    std::uint8_t bytes[4];
    put32(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
}

bool truncateFile(std::FILE* file, std::uint64_t size) {
    return ::ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

}  // namespace

WaveFileWriter::~WaveFileWriter() {
    close();
}

bool WaveFileWriter::open(const std::string& path, const WaveFormat& format) {
    close();
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file == nullptr) {
        return false;
    }
    m_dataBytes = 0;
    m_failed = false;

    std::uint8_t header[kHeaderSize] = {};
    std::memcpy(header + 0, "RIFF", 4);
    std::memcpy(header + 8, "WAVE", 4);
    std::memcpy(header + 12, "fmt ", 4);
    put32(header + 16, kWaveFormatSize);
    const auto record = encodeWaveFormat(format);
    std::memcpy(header + 20, record.data(), record.size());
    std::memcpy(header + 38, "data", 4);
    // The RIFF and data sizes stay 0 until close().
    if (std::fwrite(header, 1, sizeof header, m_file) != sizeof header) {
        std::fclose(m_file);
        m_file = nullptr;
        return false;
    }
    return true;
}

void WaveFileWriter::append(const std::uint8_t* data, std::size_t size) {
    if (m_file == nullptr || m_failed || size == 0) {
        return;
    }
    if (m_dataBytes + size > kMaxDataBytes || std::fwrite(data, 1, size, m_file) != size) {
        m_failed = true;
        return;
    }
    m_dataBytes += size;
}

void WaveFileWriter::close() {
    if (m_file == nullptr) {
        return;
    }
    std::uint64_t chunkEnd = kHeaderSize + m_dataBytes;
    // A failed block may have left part of itself behind: cut it off so the
    // file holds whole blocks only.
    std::fflush(m_file);
    if (m_failed) {
        truncateFile(m_file, chunkEnd);
    }
    if (m_dataBytes % 2 != 0) {
        const std::uint8_t pad = 0;
        if (std::fseek(m_file, static_cast<long>(chunkEnd), SEEK_SET) == 0 &&
            std::fwrite(&pad, 1, 1, m_file) == 1) {
            ++chunkEnd;
        }
    }
    writeSizeAt(m_file, 4, static_cast<std::uint32_t>(chunkEnd - 8));
    writeSizeAt(m_file, 42, static_cast<std::uint32_t>(m_dataBytes));
    std::fclose(m_file);
    m_file = nullptr;
}

}  // namespace mrqsnd
