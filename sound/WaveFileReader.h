// Reads a WAV file: finds the RIFF "WAVE" form, its "fmt " chunk (16, 18 or
// more bytes) and its "data" chunk, then hands out the samples of the data
// chunk. Sizes in a damaged file are never trusted beyond the file's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "WaveFormat.h"

namespace mrqsnd {

enum class WaveOpenResult {
    ok,
    cannotOpen,        // "unable to open Sound MM File"
    noWaveForm,        // "Error descending into file"
    noFormatChunk,     // "Error descending in file"
    formatUnreadable,  // "Error ascending in File"
    noDataChunk,       // "error reading data chunk"
};

// The message shown for a failed open; empty for ok.
const char* waveOpenMessage(WaveOpenResult result);

class WaveFileReader {
public:
    WaveFileReader() = default;
    WaveFileReader(const WaveFileReader&) = delete;
    WaveFileReader& operator=(const WaveFileReader&) = delete;
    ~WaveFileReader();

    WaveOpenResult open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    void close();

    const WaveFormat& format() const { return m_format; }
    // The size the "data" chunk declares.
    std::uint32_t dataSize() const { return m_dataSize; }

    // Reads up to size bytes of the data chunk. Returns the bytes read, 0 at
    // the end of the chunk or the file, -1 on a read error.
    long read(std::uint8_t* out, std::size_t size);

private:
    struct Chunk {
        char id[4];
        std::uint64_t start;  // first byte after the 8-byte header
        std::uint32_t size;
    };

    bool readChunkAt(std::uint64_t offset, Chunk& chunk);
    bool findChunk(std::uint64_t from, std::uint64_t end, const char* id, Chunk& chunk);

    std::FILE* m_file = nullptr;
    std::uint64_t m_fileSize = 0;
    WaveFormat m_format;
    std::uint32_t m_dataSize = 0;
    std::uint64_t m_dataLeft = 0;
};

}  // namespace mrqsnd
