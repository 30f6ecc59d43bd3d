#include "settings/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <system_error>

namespace korvex {

namespace {

// The length of the target's name kept in a temporary name, so that the
// whole name stays below the usual limit of 255 bytes.
constexpr std::size_t kKeptNameLength = 160;

// Creating and locking a named temporary file, and the sweep for stale ones,
// never overlap inside one process: a file is never seen unlocked by the
// sweep between its creation and its lock.
std::mutex& tempMutex() {
    static std::mutex mutex;
    return mutex;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int closeChecked(int fd) {
    // A close interrupted by a signal has still released the descriptor on
    // Linux; only a real error (such as a deferred write error) counts.
    if (::close(fd) != 0 && errno != EINTR) {
        return -1;
    }
    return 0;
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

std::string tempName(const std::string& targetName) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               (static_cast<std::uint64_t>(::getpid()) << 32)};
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, "%ld-%08x%08x", static_cast<long>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned>(random() & 0xffffffffu));
    return "." + targetName.substr(0, kKeptNameLength) + std::string(kSaveTempMarker) + suffix;
}

// The process number a temporary name carries, or 0.
pid_t pidOfTempName(std::string_view name) {
    const auto at = name.rfind(kSaveTempMarker);
    if (at == std::string_view::npos) {
        return 0;
    }
    const std::string_view rest = name.substr(at + kSaveTempMarker.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != '-' || pid <= 0) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

bool processGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

bool isSaveTempName(std::string_view name) {
    if (name.size() < 2 || name.front() != '.') {
        return false;
    }
    const auto at = name.rfind(kSaveTempMarker);
    if (at == std::string_view::npos || pidOfTempName(name) == 0) {
        return false;
    }
    const std::string_view rest = name.substr(name.find('-', at + kSaveTempMarker.size()) + 1);
    if (rest.size() != 16) {
        return false;
    }
    for (const char c : rest) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

struct PendingFile::State {
    std::filesystem::path folder;
    std::string targetName;
    int dirFd = -1;    // the folder, for relative names and its sync; -1 when unreadable
    std::string temp;  // the temporary file's name in the folder; empty when none
    int lockFd = -1;   // holds the temporary file's lock until it is renamed or removed
    bool ready = false;

    ~State() {
        dropTemp();
        if (dirFd >= 0) {
            ::close(dirFd);
        }
    }

    // A name as the *at() calls take it.
    int at() const { return dirFd >= 0 ? dirFd : AT_FDCWD; }
    std::string where(const std::string& name) const {
        return dirFd >= 0 ? name : (folder / name).string();
    }

    void dropTemp() {
        const int saved = errno;
        if (!temp.empty()) {
            ::unlinkat(at(), where(temp).c_str(), 0);
            temp.clear();
        }
        if (lockFd >= 0) {
            ::close(lockFd);
            lockFd = -1;
        }
        errno = saved;
    }

    // Removes temporary files of this writer left in the folder by a process
    // that ended before renaming them. One that is still locked belongs to a
    // save under way; one named after a live process other than this one may
    // be in the moment between its creation and its lock, and stays.
    void removeStaleTemps() const {
        const int listFd = dirFd >= 0 ? ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0)
                                      : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (listFd < 0) {
            return;
        }
        DIR* dir = ::fdopendir(listFd);
        if (dir == nullptr) {
            ::close(listFd);
            return;
        }
        const pid_t self = ::getpid();
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (!isSaveTempName(name)) {
                continue;
            }
            const pid_t owner = pidOfTempName(name);
            if (owner != self && !processGone(owner)) {
                continue;
            }
            const std::string path = where(std::string(name));
            const int fd = ::openat(at(), path.c_str(),
                                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
            if (fd < 0) {
                continue;
            }
            struct stat st {};
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                ::unlinkat(at(), path.c_str(), 0);
            }
            ::close(fd);
        }
        ::closedir(dir);
    }

    // An unnamed file in the folder, given a name only once it is complete.
    int openUnnamed() const {
        return ::openat(at(), where(".").c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    }

    // Gives the complete unnamed file `fd` a temporary name.
    bool linkUnnamed(int fd) {
        const std::string proc = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = tempName(targetName);
            if (::linkat(AT_FDCWD, proc.c_str(), at(), where(name).c_str(), AT_SYMLINK_FOLLOW) ==
                    0 ||
                ::linkat(fd, "", at(), where(name).c_str(), AT_EMPTY_PATH) == 0) {
                temp = name;
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
    }

    // A new named file, created exclusively (never through a link) and locked.
    int openNamed() {
        const std::lock_guard guard(tempMutex());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = tempName(targetName);
            const int fd =
                ::openat(at(), where(name).c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
            if (fd >= 0) {
                temp = name;
                ::flock(fd, LOCK_EX | LOCK_NB);
                return fd;
            }
            if (errno != EEXIST) {
                return -1;
            }
        }
        return -1;
    }

    // Writes, syncs and closes `fd`; keeps a duplicate that holds the lock.
    bool fill(int fd, const struct stat* old, std::string_view bytes) {
        bool ok = true;
        if (old != nullptr) {
            ok = ::fchmod(fd, old->st_mode & 07777) == 0;
            if (ok && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
                // Keeps the owner where this user may; otherwise the file
                // becomes this user's, as any new file would.
                if (::fchown(fd, old->st_uid, old->st_gid) == 0) {
                    ok = ::fchmod(fd, old->st_mode & 07777) == 0;
                }
            }
        }
        ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
        return ok;
    }

    bool finishFd(int fd) {
        lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        return closeChecked(fd) == 0;
    }

    bool prepare(const std::filesystem::path& target, std::string_view bytes) {
        const std::filesystem::path file = resolveTarget(target);
        folder = file.parent_path();
        if (folder.empty()) {
            folder = ".";
        }
        targetName = file.filename().string();
        if (targetName.empty() || targetName == "." || targetName == "..") {
            errno = EISDIR;
            return false;
        }
        dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 && errno != EACCES) {
            return false;
        }
        struct stat old {};
        const bool exists = ::fstatat(at(), where(targetName).c_str(), &old, 0) == 0;
        if (exists && S_ISDIR(old.st_mode)) {
            errno = EISDIR;
            return false;
        }
        {
            const std::lock_guard guard(tempMutex());
            removeStaleTemps();
        }
        const struct stat* keep = exists ? &old : nullptr;

        int fd = openUnnamed();
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            if (!fill(fd, keep, bytes)) {
                const int saved = errno;
                ::close(fd);
                errno = saved;
                return false;
            }
            if (linkUnnamed(fd)) {
                return finishFd(fd);
            }
            // Linking an unnamed file needs /proc or a privilege this
            // process may not have; write a named file instead.
            ::close(fd);
        }
        fd = openNamed();
        if (fd < 0) {
            return false;
        }
        if (!fill(fd, keep, bytes)) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        return finishFd(fd);
    }

    bool commit() {
        if (::renameat(at(), where(temp).c_str(), at(), where(targetName).c_str()) != 0) {
            return false;
        }
        temp.clear();
        if (lockFd >= 0) {
            ::close(lockFd);
            lockFd = -1;
        }
        // Makes the rename itself durable. A file system that cannot sync a
        // folder says EINVAL; that is no failure of the save.
        if (dirFd >= 0 && ::fsync(dirFd) != 0 && errno != EINVAL) {
            return false;
        }
        return true;
    }
};

PendingFile::PendingFile(const std::filesystem::path& target, std::string_view bytes)
    : m_state(std::make_unique<State>()) {
    m_state->ready = m_state->prepare(target, bytes);
    if (!m_state->ready) {
        m_state->dropTemp();
    }
}

PendingFile::~PendingFile() = default;
PendingFile::PendingFile(PendingFile&&) noexcept = default;
PendingFile& PendingFile::operator=(PendingFile&&) noexcept = default;

bool PendingFile::ok() const {
    return m_state && m_state->ready;
}

std::filesystem::path PendingFile::tempFile() const {
    if (!ok()) {
        return {};
    }
    return m_state->folder / m_state->temp;
}

bool PendingFile::commit() {
    if (!ok()) {
        errno = EINVAL;
        return false;
    }
    m_state->ready = false;
    const bool done = m_state->commit();
    m_state->dropTemp();
    return done;
}

void PendingFile::discard() {
    if (m_state) {
        m_state->ready = false;
        m_state->dropTemp();
    }
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const BeforeRenameHook& beforeRename) {
    PendingFile pending(target, bytes);
    if (!pending.ok()) {
        return false;
    }
    if (beforeRename && !beforeRename(pending.tempFile())) {
        pending.discard();
        errno = ECANCELED;
        return false;
    }
    return pending.commit();
}

}  // namespace korvex
