#include "link/PortOpenFailure.h"

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace korvex {
namespace {

constexpr uid_t kNobody = 65534;

// A pseudo-terminal whose device stands in for a serial port.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        char name[128];
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0 &&
            ptsname_r(m_master, name, sizeof name) == 0) {
            path = name;
        }
    }
    ~Pty() {
        if (m_slave >= 0) {
            close(m_slave);
        }
        if (m_master >= 0) {
            close(m_master);
        }
    }
    // Holds the device open for exclusive use, as a serial program does.
    bool holdExclusively() {
        m_slave = open(path.c_str(), O_RDWR | O_NOCTTY);
        return m_slave >= 0 && ioctl(m_slave, TIOCEXCL) == 0;
    }

    std::string path;

private:
    int m_master = -1;
    int m_slave = -1;
};

// The description as an ordinary user sees it. Root passes every permission
// and exclusive-use check, so as root the question is asked in a child that
// has given up its privileges; nothing when that is not possible.
std::optional<std::string> describeAsOrdinaryUser(const std::string& device) {
    if (geteuid() != 0) {
        return describeOpenFailure(device);
    }
    int out[2];
    if (pipe(out) != 0) {
        return std::nullopt;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return std::nullopt;
    }
    if (pid == 0) {
        close(out[0]);
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(2);
        }
        const std::string text = describeOpenFailure(device);
        const bool written =
            write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(written ? 0 : 3);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

TEST(PortOpenFailure, MissingDevicesDirectoriesAndOtherFiles) {
    const std::filesystem::path dir = ::testing::TempDir();
    EXPECT_EQ(describeOpenFailure("/dev/korvex-no-such-tty"), "no such device");
    EXPECT_EQ(describeOpenFailure("/dev/null/ttyS0"), "no such device");
    EXPECT_EQ(describeOpenFailure(dir.string()), "a directory, not a serial device");
    EXPECT_EQ(describeOpenFailure("/dev/null"), "not a serial device");

    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    EXPECT_EQ(describeOpenFailure(pty.path), "") << "a device that opens has no failure";
}

TEST(PortOpenFailure, PermissionNamesTheGroupThatMayOpenTheDevice) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_EQ(chmod(pty.path.c_str(), 0), 0);
    const auto locked = describeAsOrdinaryUser(pty.path);
    if (!locked) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(*locked, "permission denied") << "no group may open it: none is named";

    // The usual serial device: root's, read and write for its group.
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving the device to another owner needs root";
    }
    const group* dialout = getgrnam("dialout");
    if (dialout == nullptr) {
        GTEST_SKIP() << "no group dialout on this system";
    }
    ASSERT_EQ(chown(pty.path.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(pty.path.c_str(), 0660), 0);
    EXPECT_EQ(describeAsOrdinaryUser(pty.path).value_or(""),
              "permission denied; members of the group dialout may open it: add yourself "
              "with `sudo adduser $USER dialout`, then log in again");
}

TEST(PortOpenFailure, DeviceHeldExclusivelyIsBusy) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_TRUE(pty.holdExclusively());
    ASSERT_EQ(chmod(pty.path.c_str(), 0666), 0);
    const auto busy = describeAsOrdinaryUser(pty.path);
    if (!busy) {
        GTEST_SKIP() << "cannot run as an ordinary user";
    }
    EXPECT_EQ(*busy, "busy: another program has the device open");
}

}  // namespace
}  // namespace korvex
