// The Excel engine reads a workbook in a forked child. The child is a copy of
// the program, signal handlers included: a Ctrl+C in the program's terminal
// reaches the child too, and must end it rather than run the program's own
// handler (which would tell the program, a second time, to quit).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "database/Engine.h"
#include "model/CloseRequest.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvex::db;

int gHandlerOut = -1;

void noteSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(gHandlerOut, &c, 1);
}

// Reads a small /proc file into `out` without allocating: the thread that
// watches the child must hold no allocator lock when the reader forks, or the
// child of an allocator that does not guard fork() waits for it for ever.
std::size_t readSmall(const char* file, char* out, std::size_t size) {
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const ssize_t n = ::read(fd, out, size - 1);
    ::close(fd);
    const std::size_t got = n > 0 ? static_cast<std::size_t>(n) : 0;
    out[got] = '\0';
    return got;
}

// The first child of this process's main thread, 0 while there is none.
pid_t firstChild(const char* childrenFile) {
    char text[64];
    readSmall(childrenFile, text, sizeof text);
    return static_cast<pid_t>(std::strtol(text, nullptr, 10));
}

bool waitsForAWriter(pid_t child) {
    char file[64];
    std::snprintf(file, sizeof file, "/proc/%d/wchan", static_cast<int>(child));
    char text[64];
    readSmall(file, text, sizeof text);
    return std::strcmp(text, "wait_for_partner") == 0;
}

TEST(ExcelChildTest, SignalEndsTheReaderWithoutTheProgramsHandler) {
    const std::string self = std::to_string(::getpid());
    const std::string childrenFile = "/proc/" + self + "/task/" + self + "/children";
    if (::access(childrenFile.c_str(), R_OK) != 0) {
        GTEST_SKIP() << "this kernel does not list a process's children";
    }
    korvex::test::TempDir folder;
    // A named pipe without a writer: the child waits in open() until
    // signalled, and the test knows where it is.
    const std::filesystem::path fifo = folder.file("waits.xls");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    int handlerPipe[2];
    ASSERT_EQ(::pipe2(handlerPipe, O_CLOEXEC | O_NONBLOCK), 0);
    gHandlerOut = handlerPipe[1];
    struct sigaction handler {};
    struct sigaction before {};
    handler.sa_handler = &noteSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    ASSERT_EQ(::sigaction(SIGINT, &handler, &before), 0);

    bool signalled = false;
    std::thread signaller([&] {
        for (int tries = 0; tries < 3000 && !signalled; ++tries) {
            const pid_t child = firstChild(childrenFile.c_str());
            if (child != 0 && waitsForAWriter(child)) {
                ::kill(child, SIGINT);
                signalled = true;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        // Lets a child that survived the signal go on, so the read ends.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) {
            ::close(writer);
        }
    });
    std::string error;
    const auto database = openDatabase(kConnectExcel, fifo, true, error);
    signaller.join();
    ::sigaction(SIGINT, &before, nullptr);

    EXPECT_TRUE(signalled);
    EXPECT_FALSE(database);
    EXPECT_FALSE(error.empty());
    char c = 0;
    EXPECT_EQ(::read(handlerPipe[0], &c, 1), -1) << "the program's handler ran in the child";
    EXPECT_EQ(firstChild(childrenFile.c_str()), 0) << "the child was not collected";
    ::close(handlerPipe[0]);
    ::close(handlerPipe[1]);
    gHandlerOut = -1;
}

// A stop signal while a workbook is read: before, the close waited for the
// child's time-out of a minute.
TEST(ExcelChildTest, AStopSignalEndsTheReadAndTheChildAtOnce) {
    const std::string self = std::to_string(::getpid());
    const std::string childrenFile = "/proc/" + self + "/task/" + self + "/children";
    korvex::test::TempDir folder;
    const std::filesystem::path fifo = folder.file("waits.xls");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread signal([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        korvex::requestClose();  // what the handler of SIGINT and SIGTERM does
    });
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    const auto database = openDatabase(kConnectExcel, fifo, true, error);
    const auto took = std::chrono::steady_clock::now() - start;
    signal.join();
    EXPECT_FALSE(database);
    EXPECT_NE(error.find("the program is closing."), std::string::npos) << error;
    EXPECT_LT(took, std::chrono::seconds(5));
    if (::access(childrenFile.c_str(), R_OK) == 0) {
        EXPECT_EQ(firstChild(childrenFile.c_str()), 0) << "the child was not collected";
    }
    // Once closing, a further read does not even start.
    const auto again = openDatabase(kConnectExcel, fifo, true, error);
    EXPECT_FALSE(again);
    korvex::clearCloseRequest();
}

}  // namespace
