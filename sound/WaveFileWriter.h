// Writes a mono PCM WAV file: RIFF "WAVE", an 18-byte "fmt " chunk and a
// "data" chunk whose sizes are fixed when the file is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "WaveFormat.h"

namespace mrqsnd {

class WaveFileWriter {
public:
    // Offset of the first sample: RIFF header, "fmt " chunk, "data" header.
    static constexpr std::size_t kHeaderSize = 46;

    WaveFileWriter() = default;
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;
    ~WaveFileWriter();

    // Creates or replaces the file and writes the header; false on failure.
    bool open(const std::string& path, const WaveFormat& format);
    bool isOpen() const { return m_file != nullptr; }

    // Appends samples. A block that fails to write, or that would overflow
    // the 32-bit chunk sizes, is dropped with everything after it.
    void append(const std::uint8_t* data, std::size_t size);

    // Writes the final chunk sizes and closes the file.
    void close();

    std::uint64_t dataBytes() const { return m_dataBytes; }

private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_dataBytes = 0;
    bool m_failed = false;
};

}  // namespace mrqsnd
