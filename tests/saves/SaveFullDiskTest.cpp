// Each save on a full disk, past the file size limit and into a folder that
// is gone: it reports failure, the old file stays as it was, and no
// temporary file is left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "tests/saves/SaveCases.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

class SaveFullDiskTest : public ::testing::TestWithParam<SaveCase> {
protected:
    void TearDown() override {
        if (m_mounted) {
            ::umount2(m_root.c_str(), MNT_DETACH);
        }
    }

    // A small tmpfs on the test's folder, in a mount namespace of this
    // process alone so that nothing outside sees it. False where mounting
    // is not allowed.
    bool mountSmallDisk() {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("korvex-test", m_root.c_str(), "tmpfs", 0, "size=256k") != 0) {
            return false;
        }
        m_mounted = true;
        return true;
    }

    std::vector<std::optional<std::string>> contents(const fs::path& folder) const {
        std::vector<std::optional<std::string>> bytes;
        for (const fs::path& target : GetParam().targets) {
            bytes.push_back(readIfThere(folder / target));
        }
        return bytes;
    }

    void expectNoTemporaryFiles(const fs::path& folder) const {
        for (const fs::path& target : GetParam().targets) {
            EXPECT_TRUE(tempFilesIn((folder / target).parent_path()).empty()) << GetParam().name;
        }
    }

    TempDir m_temp{"korvex-save-full"};
    const fs::path& m_root = m_temp.folder();
    bool m_mounted = false;
};

// Fills the file system of `file` until nothing more fits.
void fillDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    // The last bytes of a partly filled block.
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

TEST_P(SaveFullDiskTest, FullDiskReportsFailureAndKeepsTheOldFile) {
    if (!mountSmallDisk()) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    const SaveCase& save = GetParam();
    const fs::path folder = m_root / "case";
    fs::create_directories(folder);
    save.setUp(folder, false);
    const auto before = contents(folder);
    fillDisk(m_root / "filler");

    EXPECT_FALSE(save.save(folder, false)) << save.name;
    EXPECT_EQ(contents(folder), before) << save.name;
    expectNoTemporaryFiles(folder);

    // With room again the same save goes through.
    fs::remove(m_root / "filler");
    EXPECT_TRUE(save.save(folder, false)) << save.name;
    EXPECT_NE(contents(folder), before) << save.name;
    expectNoTemporaryFiles(folder);
}

TEST_P(SaveFullDiskTest, FileSizeLimitReportsFailureAndKeepsTheOldFile) {
    const SaveCase& save = GetParam();
    const fs::path folder = m_root / "case";
    fs::create_directories(folder);
    save.setUp(folder, false);
    const auto before = contents(folder);

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = save.save(folder, false);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved) << save.name;
    EXPECT_EQ(contents(folder), before) << save.name;
    expectNoTemporaryFiles(folder);
}

TEST_P(SaveFullDiskTest, LostFolderReportsFailure) {
    // Settings and the database set-up only replace keys the file holds:
    // with the file gone they have nothing to write, and still fail.
    const SaveCase& save = GetParam();
    const fs::path folder = m_root / "case";
    fs::create_directories(folder);
    save.setUp(folder, false);
    fs::remove_all(folder);

    EXPECT_FALSE(save.save(folder, false)) << save.name;
    EXPECT_FALSE(fs::exists(folder)) << save.name;
}

INSTANTIATE_TEST_SUITE_P(EverySave, SaveFullDiskTest, ::testing::ValuesIn(allSaves()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvex::test
