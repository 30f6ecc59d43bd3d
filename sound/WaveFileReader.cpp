#include "WaveFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace mrqsnd {

namespace {

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t paddedEnd(std::uint64_t start, std::uint32_t size) {
    return start + size + (size & 1u);
}

}  // namespace

const char* waveOpenMessage(WaveOpenResult result) {
    switch (result) {
        case WaveOpenResult::ok:
            return "";
        case WaveOpenResult::cannotOpen:
            return "unable to open Sound MM File";
        case WaveOpenResult::noWaveForm:
            return "Error descending into file";
        case WaveOpenResult::noFormatChunk:
            return "Error descending in file";
        case WaveOpenResult::formatUnreadable:
            return "Error ascending in File";
        case WaveOpenResult::noDataChunk:
            return "error reading data chunk";
    }
    return "";
}

WaveFileReader::~WaveFileReader() {
    close();
}

void WaveFileReader::close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_dataLeft = 0;
}

bool WaveFileReader::readChunkAt(std::uint64_t offset, Chunk& chunk) {
    std::uint8_t header[8];
    if (offset + sizeof header > m_fileSize ||
        std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(header, 1, sizeof header, m_file) != sizeof header) {
        return false;
    }
    std::memcpy(chunk.id, header, 4);
    chunk.size = get32(header + 4);
    chunk.start = offset + 8;
    return true;
}

bool WaveFileReader::findChunk(std::uint64_t from, std::uint64_t end, const char* id,
                               Chunk& chunk) {
    std::uint64_t offset = from;
    while (offset + 8 <= end && readChunkAt(offset, chunk)) {
        if (std::memcmp(chunk.id, id, 4) == 0) {
            return true;
        }
        offset = paddedEnd(chunk.start, chunk.size);
    }
    return false;
}

WaveOpenResult WaveFileReader::open(const std::string& path) {
    close();
    // Without blocking: a FIFO given as a recording answers at once and is
    // then refused as no regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return WaveOpenResult::cannotOpen;
    }
    m_file = ::fdopen(fd, "rb");
    if (m_file == nullptr) {
        ::close(fd);
        return WaveOpenResult::cannotOpen;
    }
    struct stat info {};
    if (fstat(fileno(m_file), &info) != 0 || !S_ISREG(info.st_mode)) {
        close();
        return WaveOpenResult::cannotOpen;
    }
    m_fileSize = static_cast<std::uint64_t>(info.st_size);

    // The RIFF chunk of form "WAVE" among the top-level chunks.
    Chunk riff{};
    std::uint64_t offset = 0;
    bool found = false;
    while (findChunk(offset, m_fileSize, "RIFF", riff)) {
        char form[4];
        if (riff.size >= 4 && std::fread(form, 1, 4, m_file) == 4 &&
            std::memcmp(form, "WAVE", 4) == 0) {
            found = true;
            break;
        }
        offset = paddedEnd(riff.start, riff.size);
    }
    if (!found) {
        close();
        return WaveOpenResult::noWaveForm;
    }
    const std::uint64_t riffEnd = std::min<std::uint64_t>(riff.start + riff.size, m_fileSize);

    Chunk fmt{};
    if (!findChunk(riff.start + 4, riffEnd, "fmt ", fmt)) {
        close();
        return WaveOpenResult::noFormatChunk;
    }
    std::uint8_t record[kWaveFormatSize] = {};
    const std::size_t wanted = std::min<std::size_t>(fmt.size, kWaveFormatSize);
    if (fmt.start + fmt.size > m_fileSize ||
        std::fseek(m_file, static_cast<long>(fmt.start), SEEK_SET) != 0 ||
        std::fread(record, 1, wanted, m_file) != wanted ||
        !decodeWaveFormat(record, wanted, m_format)) {
        close();
        return WaveOpenResult::formatUnreadable;
    }

    Chunk data{};
    if (!findChunk(paddedEnd(fmt.start, fmt.size), riffEnd, "data", data) ||
        std::fseek(m_file, static_cast<long>(data.start), SEEK_SET) != 0) {
        close();
        return WaveOpenResult::noDataChunk;
    }
    m_dataSize = data.size;
    m_dataLeft = data.size;
    return WaveOpenResult::ok;
}

long WaveFileReader::read(std::uint8_t* out, std::size_t size) {
    if (m_file == nullptr) {
        return 0;
    }
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_dataLeft));
    if (wanted == 0) {
        return 0;
    }
    const std::size_t got = std::fread(out, 1, wanted, m_file);
    if (got == 0 && std::ferror(m_file)) {
        return -1;
    }
    m_dataLeft -= got;
    if (got < wanted) {
        // The file ends before the chunk does.
        m_dataLeft = 0;
    }
    return static_cast<long>(got);
}

}  // namespace mrqsnd
