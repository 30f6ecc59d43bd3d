#include "database/TableFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvex::db {

TableFileLock::TableFileLock(const std::filesystem::path& file, bool exclusive) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            return;
        }
        while (::flock(fd, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(file.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            m_fd = fd;
            return;
        }
        // The file was replaced while this waited: the lock is on the old one.
        ::close(fd);
    }
}

TableFileLock::~TableFileLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

}  // namespace korvex::db
