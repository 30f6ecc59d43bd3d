// A FIFO put in the place of a checked .dbf table (between the listing and
// the reading, or by hand): every reader and the append refuse it at once
// instead of waiting for a writer that never comes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

#include "database/DbaseFile.h"
#include "database/DbaseLayout.h"
#include "tests/database/DbaseTestSupport.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

// Runs `call` on its own thread; when it is still waiting after a while, a
// writer opens and closes the FIFO so that it ends, and the test fails.
void expectNoWait(const std::filesystem::path& fifo, const std::function<void()>& call,
                  const char* what) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(5s) == std::future_status::ready) {
        done.get();
        return;
    }
    ADD_FAILURE() << what << " waited on the FIFO";
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
    }
    done.get();
}

TEST(DbaseFifoTest, AFifoInATablesPlaceIsRefusedWithoutWaiting) {
    TempDir folder;
    copyFixture(folder, "freqs.dbf");
    std::string error;
    const auto layout = db::readDbaseLayout(folder.file("freqs.dbf"), error);
    ASSERT_TRUE(layout) << error;

    const std::filesystem::path fifo = folder.file("pipe.dbf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    expectNoWait(
        fifo,
        [&] {
            std::string why;
            EXPECT_FALSE(db::readDbaseLayout(fifo, why));
            EXPECT_EQ(why, "The file pipe.dbf is no regular file.");
        },
        "reading the layout");
    expectNoWait(
        fifo,
        [&] {
            std::string why;
            EXPECT_EQ(db::DbaseReader::open(fifo, *layout, why), nullptr);
            EXPECT_EQ(why, "The file pipe.dbf cannot be opened: it is no regular file");
        },
        "opening the records");
    expectNoWait(
        fifo,
        [&] {
            std::string why;
            const std::string record(layout->recordLength, ' ');
            EXPECT_FALSE(db::appendDbaseRecord(fifo, *layout, record, why));
            EXPECT_FALSE(why.empty());
        },
        "appending a record");
}

}  // namespace
}  // namespace korvex::test
