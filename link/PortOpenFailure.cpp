#include "link/PortOpenFailure.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace korvex {

namespace {

constexpr const char* kNoDevice = "no such device";

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::to_string(gid);
    }
    return found->gr_name;
}

// Serial devices are usually opened through a group (dialout on Debian):
// name it, and how to join it, when the group may read and write.
std::string permissionText(const struct stat& st) {
    std::string text = "permission denied";
    const mode_t groupRw = S_IRGRP | S_IWGRP;
    if ((st.st_mode & groupRw) == groupRw && st.st_gid != 0) {
        const std::string group = groupName(st.st_gid);
        text += "; members of the group " + group +
                " may open it: add yourself with `sudo adduser $USER " + group +
                "`, then log in again";
    }
    return text;
}

}  // namespace

std::string describeOpenFailure(const std::string& device) {
    struct stat st {};
    if (stat(device.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return kNoDevice;
        }
        return std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return "a directory, not a serial device";
    }
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
            case EACCES:
            case EPERM:
                return permissionText(st);
            case EBUSY:
                return "busy: another program has the device open";
            case ENXIO:
            case ENODEV:
            case EIO:
                // A device file without a port behind it (/dev/ttyS3 on a
                // machine with two serial ports).
                return kNoDevice;
            default:
                return std::strerror(errno);
        }
    }
    const bool terminal = isatty(fd) != 0;
    close(fd);
    return terminal ? std::string() : "not a serial device";
}

}  // namespace korvex
