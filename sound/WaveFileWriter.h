// Writes a mono PCM WAV file: RIFF "WAVE", an 18-byte "fmt " chunk and a
// "data" chunk. The chunk sizes follow every block written and are fixed
// (with the pad byte) when the file is closed.
//
// Every block goes to the file with a write of its own, so the writer knows
// exactly which bytes the file holds: the sizes it fixes never claim more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

    // Creates or replaces the file and writes the header. False, with an
    // error to report, when the file cannot be created; a header that fails to write leaves the
    // file open, taking no samples, with an error to report.
    bool open(const std::string& path, const WaveFormat& format);
    bool isOpen() const { return m_fd >= 0; }

    // Appends samples and brings the header's sizes up to date. A block that fails to write, or
    // that would overflow the 32-bit chunk sizes, is dropped with everything after it; the failure
    // leaves an error to report.
    void append(const std::uint8_t* data, std::size_t size);

    // Cuts off a block that was only partly written, writes the final chunk
    // sizes and closes the file; a failure leaves an error to report.
    void close();

    // The failures not yet taken, oldest first: "Error creating WAVE file
    // PATH: REASON", "Error writing WAVE file PATH: REASON" and "Error
    // closing WAVE file PATH: REASON", at most one of each per file.
    std::vector<std::string> takeErrors();

    std::uint64_t dataBytes() const { return m_dataBytes; }

private:
    // Writes all of size bytes at the end of the file; 0 or an errno value.
    int writeAll(const std::uint8_t* data, std::size_t size);
    void writeFailed(int error);
    // Writes the RIFF and data sizes of the blocks written so far.
    void updateSizes();

    int m_fd = -1;
    std::string m_path;
    bool m_headerWritten = false;
    bool m_failed = false;
    bool m_sizesUpdatable = true;
    // Whole blocks in the data chunk, and every byte the file took.
    std::uint64_t m_dataBytes = 0;
    std::uint64_t m_bytesWritten = 0;
    std::vector<std::string> m_errors;
};

}  // namespace mrqsnd
