#pragma once

// The layout of a .dbf file as its header describes it, checked against the
// file's size before any other code reads the file: a header that promises
// more bytes than the file holds, fields that overrun the record or a record
// length of zero would make a reader run past its buffers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex::db {

struct DbaseFieldLayout {
    std::string name;  // raw bytes of the stored name, up to the first NUL
    char type = 'C';
    int width = 0;
    int decimals = 0;
    int offset = 0;  // in the record; byte 0 is the deletion flag
};

struct DbaseLayout {
    std::uint8_t version = 0;         // byte 0
    std::uint8_t languageDriver = 0;  // byte 29: the code page
    std::uint32_t recordCount = 0;
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::uint64_t fileSize = 0;
    std::vector<DbaseFieldLayout> fields;

    std::uint64_t recordOffset(std::uint64_t record) const {
        return headerLength + record * recordLength;
    }
};

// Whether the first byte names a dBASE III, IV or 5 table (the low three bits
// 3, 4 or 5), the family this engine reads and writes.
bool isDbaseVersion(std::uint8_t firstByte);

// Checks the header bytes (the first `headerLength` bytes of the file, or all
// of a shorter file) against the file's size. On failure: nullopt and a
// sentence for the user in `error`.
std::optional<DbaseLayout> parseDbaseLayout(const unsigned char* head, std::size_t headSize,
                                            std::uint64_t fileSize, std::string& error);

// Reads and checks the header of a .dbf file.
std::optional<DbaseLayout> readDbaseLayout(const std::filesystem::path& file, std::string& error);

// Opens a table's file (O_RDONLY or O_RDWR) without waiting: a FIFO or a
// device put in a table's place is refused at once instead of holding the
// caller until a writer or an end comes. -1 with a sentence in `error` when
// the file cannot be opened or is no regular file; `size` is its size.
int openDbaseFile(const std::filesystem::path& file, int access, std::string& error,
                  std::uint64_t& size);

// Up to `size` bytes of the open file from `offset`, fewer at its end; false
// on a read error.
bool readDbaseBytes(int fd, std::uint64_t offset, std::size_t size, std::string& bytes);

}  // namespace korvex::db
