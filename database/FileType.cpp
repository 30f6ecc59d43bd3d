#include "database/FileType.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>

#include "database/Engine.h"

namespace korvex::db {

namespace {

constexpr std::size_t kHeadSize = 10;
constexpr const char* kOpenCaption = "File open error";

DbMessage openError(std::string text) {
    return DbMessage{std::move(text), kOpenCaption, DbMessage::Icon::Error};
}

// Reads up to `head.size()` bytes; the count read, or -errno.
long readHead(const std::string& path, std::array<unsigned char, kHeadSize>& head) {
    // Non-blocking, so a named pipe chosen by mistake is refused instead of
    // hanging the dialog.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return -errno;
    }
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int cause = errno;
            ::close(fd);
            return cause == EAGAIN ? static_cast<long>(got) : -cause;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return static_cast<long>(got);
}

}  // namespace

PathParts splitDatabasePath(std::string_view path) {
    PathParts parts;
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        parts.fileName = std::string(path);
    } else {
        parts.folder = std::string(path.substr(0, slash));
        parts.fileName = std::string(path.substr(slash + 1));
    }
    const std::size_t dot = parts.fileName.rfind('.');
    if (dot != std::string::npos) {
        parts.extension = parts.fileName.substr(dot + 1);
        for (char& c : parts.extension) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
    }
    return parts;
}

std::optional<std::string_view> dbaseTypeOfFirstByte(unsigned char firstByte) {
    switch (firstByte & 0x07) {
        case 3:
            return kConnectDbase3;
        case 4:
            return kConnectDbase4;
        case 5:
            return kConnectDbase5;
        default:
            return std::nullopt;
    }
}

FileTypeResult detectFileType(const std::string& path) {
    FileTypeResult result;
    std::array<unsigned char, kHeadSize> head{};
    const long got = readHead(path, head);
    if (got < 0) {
        result.message = openError("Could not open file. Cause: " + std::to_string(-got));
        return result;
    }
    if (static_cast<std::size_t>(got) < kHeadSize) {
        result.message = openError("Invalid file.");
        return result;
    }
    result.parts = splitDatabasePath(path);
    const std::string& ext = result.parts.extension;
    if (ext == "dbf") {
        const std::optional<std::string_view> type = dbaseTypeOfFirstByte(head[0]);
        if (!type) {
            result.message = DbMessage{"unknown dBASE format", "Error", DbMessage::Icon::Warning};
            return result;
        }
        result.type = std::string(*type);
    } else if (ext == "xls") {
        result.type = std::string(kConnectExcel);
    } else if (ext == "csv") {
        result.type = std::string(kConnectText);
    }
    result.ok = true;
    return result;
}

std::string databaseLocation(std::string_view type, const std::string& path) {
    if (type == kConnectExcel) {
        return path;
    }
    const std::string folder = splitDatabasePath(path).folder;
    // A file straight under "/" has the root as its folder.
    return folder.empty() && !path.empty() && path.front() == '/' ? std::string("/") : folder;
}

std::string tableName(std::string_view type, const std::string& path, const std::string& sheet) {
    return type == kConnectExcel ? sheet : splitDatabasePath(path).fileName;
}

}  // namespace korvex::db
