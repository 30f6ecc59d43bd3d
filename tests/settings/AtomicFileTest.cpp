// The one writer every save goes through: what it keeps of the old file, what
// it never touches, and the temporary files of killed saves.
#include "settings/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& file) {
    struct stat st {};
    ::lstat(file.c_str(), &st);
    return st.st_mode & 07777;
}

// The number of a process that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions) {
    TempDir folder;
    const fs::path file = folder.file("bank.mem");
    writeBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

    ASSERT_TRUE(writeFileAtomically(file, "new text"));
    EXPECT_EQ(readBytes(file), "new text");
    EXPECT_EQ(modeOf(file), 0640u);
    EXPECT_EQ(entryCount(folder.folder()), 1u);

    // A new file gets what the umask leaves of rw for everyone.
    const mode_t mask = ::umask(027);
    ASSERT_TRUE(writeFileAtomically(folder.file("new.mem"), "x"));
    ::umask(mask);
    EXPECT_EQ(modeOf(folder.file("new.mem")), 0640u);
}

TEST(AtomicFile, ALinkedTargetStaysLinkedAndPlantedLinksAreNeverFollowed) {
    TempDir folder;
    fs::create_directory(folder.file("real"));
    const fs::path real = folder.file("real") / "Korv.ini";
    writeBytes(real, "old");
    fs::create_symlink(real, folder.file("Korv.ini"));

    // Links planted where a writer with a fixed temporary name would write:
    // the file they point to must stay as it is.
    const fs::path outside = folder.file("outside");
    writeBytes(outside, "not yours");
    fs::create_symlink(outside,
                       folder.file("real") / ("Korv.ini.tmp" + std::to_string(::getpid())));
    fs::create_symlink(outside, folder.file("real") / ".Korv.ini.korvex-save-1-0000000000000000");

    ASSERT_TRUE(writeFileAtomically(folder.file("Korv.ini"), "new"));
    EXPECT_TRUE(fs::is_symlink(folder.file("Korv.ini")));
    EXPECT_EQ(readBytes(real), "new");
    EXPECT_EQ(readBytes(outside), "not yours");
}

TEST(AtomicFile, FailuresReportFalseAndLeaveNothing) {
    TempDir folder;
    EXPECT_FALSE(writeFileAtomically(folder.file("missing") / "x.csv", "x"));
    EXPECT_EQ(errno, ENOENT);

    fs::create_directory(folder.file("a folder"));
    EXPECT_FALSE(writeFileAtomically(folder.file("a folder"), "x"));
    EXPECT_TRUE(fs::is_directory(folder.file("a folder")));

    writeBytes(folder.file("kept.ini"), "old");
    EXPECT_FALSE(
        writeFileAtomically(folder.file("kept.ini"), "new", [](const fs::path&) { return false; }));
    EXPECT_EQ(readBytes(folder.file("kept.ini")), "old");
    EXPECT_EQ(entryCount(folder.folder()), 2u);
}

TEST(AtomicFile, TheNextSaveRemovesTemporaryFilesOfEndedProcessesOnly) {
    TempDir folder;
    const std::string ended = std::to_string(endedProcess());
    // Left by killed saves of any file in the folder, and by this process
    // under a number an earlier process had.
    const std::vector<std::string> stale = {
        ".bank.mem.korvex-save-" + ended + "-0000000100c0ffee",
        ".bank-A-20261209-151830-000.mem.korvex-save-" + ended + "-00000002deadbeef",
        ".bank.mem.korvex-save-" + std::to_string(::getpid()) + "-00000003deadbeef"};
    for (const auto& name : stale) {
        writeBytes(folder.file(name), "half");
    }
    // Not the writer's: kept.
    writeBytes(folder.file(".bank.mem.korvex-save-notes"), "mine");
    writeBytes(folder.file("bank.mem.tmp123"), "mine");

    // A save under way in another process holds its temporary file's lock.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string busy = ".other.csv.korvex-save-" + ended + "-0000000400000000";
    // Named after a live process (1) and not locked: it may be between its
    // creation and its lock.
    const std::string young = ".other.csv.korvex-save-1-0000000500000000";
    writeBytes(folder.file(young), "starting");
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(folder.file(busy).c_str(), O_WRONLY | O_CREAT, 0600);
        ::flock(fd, LOCK_EX);
        ::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    ASSERT_TRUE(writeFileAtomically(folder.file("bank.mem"), "new"));
    for (const auto& name : stale) {
        EXPECT_FALSE(fs::exists(folder.file(name))) << name;
    }
    EXPECT_TRUE(fs::exists(folder.file(busy)));
    EXPECT_TRUE(fs::exists(folder.file(".bank.mem.korvex-save-notes")));
    EXPECT_TRUE(fs::exists(folder.file("bank.mem.tmp123")));

    EXPECT_TRUE(fs::exists(folder.file(young)));

    // Once the save under way has ended, its file goes with the next save.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(writeFileAtomically(folder.file("bank.mem"), "newer"));
    EXPECT_FALSE(fs::exists(folder.file(busy)));
    EXPECT_TRUE(fs::exists(folder.file(young)));
}

TEST(AtomicFile, PendingFilesChangeNothingUntilCommitted) {
    TempDir folder;
    writeBytes(folder.file("a.csv"), "old a");
    writeBytes(folder.file("a.png"), "old b");
    {
        PendingFile a(folder.file("a.csv"), "new a");
        PendingFile b(folder.file("a.png"), "new b");
        ASSERT_TRUE(a.ok());
        ASSERT_TRUE(b.ok());
        EXPECT_TRUE(isSaveTempName(a.tempFile().filename().string()));
        EXPECT_EQ(readBytes(a.tempFile()), "new a");
        EXPECT_EQ(readBytes(folder.file("a.csv")), "old a");
        ASSERT_TRUE(b.commit());
        EXPECT_FALSE(b.commit());
    }
    // The one not committed is dropped with its temporary file.
    EXPECT_EQ(readBytes(folder.file("a.csv")), "old a");
    EXPECT_EQ(readBytes(folder.file("a.png")), "new b");
    EXPECT_EQ(entryCount(folder.folder()), 2u);
}

TEST(AtomicFile, TemporaryNamesAreRecognised) {
    EXPECT_TRUE(isSaveTempName(".Korv.ini.korvex-save-42-0000000012345678"));
    EXPECT_FALSE(isSaveTempName("Korv.ini.korvex-save-42-0000000012345678"));
    EXPECT_FALSE(isSaveTempName(".Korv.ini.korvex-save-42-00000000123456"));
    EXPECT_FALSE(isSaveTempName(".Korv.ini.korvex-save-x-0000000012345678"));
    EXPECT_FALSE(isSaveTempName(".Korv.ini.korvex-save-42-000000001234567G"));
    EXPECT_FALSE(isSaveTempName(".Korv.ini"));
}

}  // namespace
}  // namespace korvex::test
