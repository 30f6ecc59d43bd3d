#include "ui/settings/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace korvex {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file a write really replaces: the target of a symbolic link, so that a
// linked settings file stays linked.
std::filesystem::path resolveTarget(const std::filesystem::path& target) {
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) {
            return resolved;
        }
    }
    return target;
}

// Creates a temporary file beside `file` that no one else has. It is created
// with 0666 so that the umask gives a new file its usual mode.
int createTempFile(const std::filesystem::path& folder, const std::filesystem::path& file,
                   std::filesystem::path& temp) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            "." + file.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
            std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000u);
        temp = folder / name;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const BeforeRenameHook& beforeRename) {
    const std::filesystem::path file = resolveTarget(target);
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::filesystem::path temp;
    const int fd = createTempFile(folder, file, temp);
    if (fd < 0) {
        return false;
    }

    // An existing file keeps its mode; a new one has what open() gave it.
    struct stat old {};
    bool ok = ::stat(file.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && beforeRename) {
        ok = beforeRename(temp);
    }
    if (ok) {
        ok = ::rename(temp.c_str(), file.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }

    // Make the rename itself durable; failing here does not undo the write.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace korvex
