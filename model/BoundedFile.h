#pragma once

// Reading files whose size nobody promised: every reader opens without
// blocking (a FIFO or a device answers at once), takes only regular files and
// stops at a limit it checks while it reads, so a file that grows while it is
// read is refused as well.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

enum class ReadFailure { None, Open, NotRegular, TooLarge, Read };

struct BoundedFile {
    ReadFailure failure = ReadFailure::None;
    int error = 0;  // errno when opening or reading failed; EISDIR for a folder
    std::string bytes;

    explicit operator bool() const { return failure == ReadFailure::None; }
};

// Opens `path` with `access` (O_RDONLY or O_RDWR) without waiting for a
// writer, and keeps it only when it is a regular file: the descriptor, or -1
// with `failure` and `error` set (EISDIR for a folder). `size` is the file's
// size when it was opened.
int openRegularFile(const std::filesystem::path& path, int access, ReadFailure& failure, int& error,
                    std::size_t& size);

// The whole file when it is a regular file of at most `limit` bytes.
BoundedFile readFileBounded(const std::filesystem::path& path, std::size_t limit);

// A byte count as the messages give it: "16 MB", "64 KB" or "100 bytes".
std::string byteCountText(std::size_t bytes);

// A count with thousands separated: "1,000,000".
std::string countText(std::size_t count);

// Reads a regular file line by line through a fixed buffer. A line longer
// than `lineLimit` is given cut to that length, with cut() set; the rest of
// it is skipped without being kept.
class LineReader {
public:
    LineReader(const std::filesystem::path& path, std::size_t fileLimit, std::size_t lineLimit);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its LF (a CR before it stays); false at the end
    // of the file or on a failure (see failure()).
    bool next(std::string_view& line);
    bool cut() const { return m_cut; }

    ReadFailure failure() const { return m_failure; }
    int error() const { return m_error; }

private:
    bool fill();

    int m_fd = -1;
    std::size_t m_fileLimit;
    std::size_t m_lineLimit;
    std::size_t m_total = 0;
    std::string m_buffer;     // one chunk of the file
    std::size_t m_start = 0;  // first unread byte in m_buffer
    std::size_t m_end = 0;    // end of the bytes read into m_buffer
    std::string m_line;
    bool m_cut = false;
    bool m_eof = false;
    ReadFailure m_failure = ReadFailure::None;
    int m_error = 0;
};

}  // namespace korvex
