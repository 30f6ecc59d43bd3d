#include "database/DbaseLayout.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <unistd.h>

#include "model/BoundedFile.h"

namespace korvex::db {

namespace {

constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr unsigned char kHeaderEnd = 0x0D;

std::uint32_t le16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t le32(const unsigned char* p) {
    return le16(p) | le16(p + 2) << 16;
}

std::string hexByte(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[(value >> 4) & 0xF] + digits[value & 0xF];
}

}  // namespace

bool isDbaseVersion(std::uint8_t firstByte) {
    const int level = firstByte & 0x07;
    return level == 3 || level == 4 || level == 5;
}

std::optional<DbaseLayout> parseDbaseLayout(const unsigned char* head, std::size_t headSize,
                                            std::uint64_t fileSize, std::string& error) {
    if (fileSize < kFileHeaderSize || headSize < kFileHeaderSize) {
        error = "The file is too short for a dBASE table.";
        return std::nullopt;
    }
    DbaseLayout layout;
    layout.version = head[0];
    layout.recordCount = le32(head + 4);
    layout.headerLength = le16(head + 8);
    layout.recordLength = le16(head + 10);
    layout.languageDriver = head[29];
    layout.fileSize = fileSize;
    if (!isDbaseVersion(layout.version)) {
        error = "The file is no dBASE III, IV or 5 table (unknown dBASE format, first byte " +
                hexByte(layout.version) + ").";
        return std::nullopt;
    }
    if (layout.headerLength < kFileHeaderSize + kDescriptorSize) {
        error = "The table header is damaged: it is only " + std::to_string(layout.headerLength) +
                " bytes long.";
        return std::nullopt;
    }
    if (layout.headerLength > fileSize || layout.headerLength > headSize) {
        error = "The file is cut short: its header needs " + std::to_string(layout.headerLength) +
                " bytes, the file holds " + std::to_string(fileSize) + ".";
        return std::nullopt;
    }
    if (layout.recordLength == 0) {
        error = "The table header is damaged: the record length is 0.";
        return std::nullopt;
    }
    // The descriptors follow the file header up to the end mark or the end
    // of the header, whichever comes first; offsets are the running sum of
    // the widths after the deletion flag.
    int offset = 1;
    for (std::size_t pos = kFileHeaderSize;
         pos + kDescriptorSize <= layout.headerLength && head[pos] != kHeaderEnd;
         pos += kDescriptorSize) {
        const unsigned char* d = head + pos;
        DbaseFieldLayout field;
        std::size_t nameLength = 0;
        while (nameLength < 11 && d[nameLength] != 0) {
            ++nameLength;
        }
        field.name.assign(reinterpret_cast<const char*>(d), nameLength);
        field.type = static_cast<char>(d[11]);
        field.width = d[16];
        field.decimals = (field.type == 'N' || field.type == 'F') ? d[17] : 0;
        field.offset = offset;
        const std::string number = std::to_string(layout.fields.size() + 1);
        if (nameLength == 0) {
            error = "The table header is damaged: field " + number + " has no name.";
            return std::nullopt;
        }
        if (field.width == 0) {
            error = "The table header is damaged: field " + number + " has no width.";
            return std::nullopt;
        }
        offset += field.width;
        layout.fields.push_back(std::move(field));
    }
    if (layout.fields.empty()) {
        error = "The table has no fields.";
        return std::nullopt;
    }
    if (static_cast<std::uint32_t>(offset) != layout.recordLength) {
        error = "The table header is damaged: the fields take " + std::to_string(offset) +
                " bytes of a record, the header says " + std::to_string(layout.recordLength) + ".";
        return std::nullopt;
    }
    const std::uint64_t needed =
        layout.headerLength + std::uint64_t{layout.recordCount} * layout.recordLength;
    if (layout.recordCount > static_cast<std::uint32_t>(INT_MAX) || needed > fileSize) {
        error = "The file is cut short: its header counts " + std::to_string(layout.recordCount) +
                " records of " + std::to_string(layout.recordLength) +
                " bytes, but the file holds only " + std::to_string(fileSize) + " bytes.";
        return std::nullopt;
    }
    return layout;
}

int openDbaseFile(const std::filesystem::path& file, int access, std::string& error,
                  std::uint64_t& size) {
    ReadFailure failure = ReadFailure::None;
    int errorNumber = 0;
    std::size_t bytes = 0;
    const int fd = openRegularFile(file, access, failure, errorNumber, bytes);
    if (fd < 0) {
        error = "The file " + file.filename().string() +
                (failure == ReadFailure::NotRegular && errorNumber == 0 ? " is no regular file."
                                                                        : " cannot be read.");
        return -1;
    }
    size = bytes;
    return fd;
}

bool readDbaseBytes(int fd, std::uint64_t offset, std::size_t size, std::string& bytes) {
    bytes.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            bytes.clear();
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return true;
}

std::optional<DbaseLayout> readDbaseLayout(const std::filesystem::path& file, std::string& error) {
    std::uint64_t size = 0;
    const int fd = openDbaseFile(file, O_RDONLY, error, size);
    if (fd < 0) {
        return std::nullopt;
    }
    // The header length is a 16-bit number: 64 KiB always hold the header.
    std::string head;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, 65536));
    const bool read = readDbaseBytes(fd, 0, want, head);
    ::close(fd);
    if (!read || head.size() != want) {
        error = "The file " + file.filename().string() + " cannot be read.";
        return std::nullopt;
    }
    return parseDbaseLayout(reinterpret_cast<const unsigned char*>(head.data()), head.size(), size,
                            error);
}

}  // namespace korvex::db
