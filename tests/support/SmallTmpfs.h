#pragma once

// A small tmpfs of its own for a test, so a full disk and a read-only file
// system are real. It is mounted in a private mount namespace of the test
// process (as root, or as root of a new user namespace), so nothing outside
// the process sees it and nothing is left mounted after a crash. Where the
// system allows neither, ok() is false and the test skips.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

namespace korvex::test {

class SmallTmpfs {
public:
    // Mounts `bytes` of tmpfs on the (existing, empty) folder.
    SmallTmpfs(const std::filesystem::path& folder, std::size_t bytes) : m_folder(folder) {
        if (!privateMounts()) {
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        m_mounted = ::mount("korvex-test", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallTmpfs() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool ok() const { return m_mounted; }

    // Fills the file system with a file of that name until nothing is left.
    void fill(const std::string& name) const {
        const int fd = ::open((m_folder / name).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd < 0) {
            return;
        }
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        ::close(fd);
    }

    // Remounts the file system read-only or writable again.
    bool setReadOnly(bool readOnly) const {
        unsigned long flags = MS_REMOUNT;
        if (readOnly) {
            flags |= MS_RDONLY;
        }
        return ::mount("korvex-test", m_folder.c_str(), "tmpfs", flags, nullptr) == 0;
    }

private:
    static bool writeText(const char* path, const std::string& text) {
        std::ofstream out(path);
        out << text;
        out.flush();
        return static_cast<bool>(out);
    }

    // A mount namespace of the process's own, its mounts kept private.
    static bool privateMounts() {
        static const bool done = [] {
            if (::unshare(CLONE_NEWNS) != 0) {
                const uid_t uid = ::getuid();
                const gid_t gid = ::getgid();
                if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                    return false;
                }
                writeText("/proc/self/setgroups", "deny");
                if (!writeText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                    !writeText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
                    return false;
                }
            }
            return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        }();
        return done;
    }

    std::filesystem::path m_folder;
    bool m_mounted = false;
};

}  // namespace korvex::test
