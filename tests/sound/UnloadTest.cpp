#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "SoundTestSupport.h"
#include "support/Process.h"

using namespace soundtest;

namespace {

std::string runHelper(const std::string& scenario, const std::string& path, int* status) {
    return run(std::string("'") + MRQSND_UNLOAD_HELPER + "' " + scenario + " '" + path + "'",
               status);
}

// Once loaded the library stays (dlclose does not unload it); the end of
// the process stops a recording and completes its file.
TEST(UnloadTest, ProcessEndCompletesTheRecording) {
    ScratchDir scratch;
    const std::string path = scratch.file("unload.wav");
    int status = -1;
    runHelper("record", path, &status);
    EXPECT_EQ(status, 0);

    const Bytes file = readFile(path);
    ASSERT_GT(file.size(), 46u);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
    EXPECT_EQ(le32(file, 42), file.size() - 46);
    EXPECT_EQ(le32(file, 42) % 2000, 0u);
}

// A recording killed with its process plays up to about then: the header's
// sizes follow the samples on disk.
TEST(UnloadTest, RecordingKilledWithItsProcessHasCurrentSizes) {
    ScratchDir scratch;
    const std::string path = scratch.file("killed.wav");
    korvex::test::Process child;
    ASSERT_TRUE(child.start({MRQSND_UNLOAD_HELPER, "hold", path}, {}, scratch.file("out.txt")));
    // Killed once the header counts some samples.
    ASSERT_TRUE(waitUntil(
        [&] {
            const Bytes grown = readFile(path);
            return grown.size() > 46 && le32(grown, 42) > 0;
        },
        std::chrono::milliseconds(10000)));
    child.kill(SIGKILL);

    const Bytes file = readFile(path);
    ASSERT_GT(file.size(), 46u);
    const std::size_t onDisk = file.size() - 46;
    const std::size_t secondOfSamples = 11025 * 2;
    EXPECT_GT(le32(file, 42), 0u);
    EXPECT_LE(le32(file, 42), onDisk);
    EXPECT_GE(le32(file, 42) + secondOfSamples, onDisk);
    EXPECT_EQ(le32(file, 4), le32(file, 42) + 38);
    EXPECT_EQ(le32(file, 42) % 2000, 0u);
}

// A writer stuck past StopRec's wait is forgotten by the library; when it
// runs on after dlclose, its code is still there.
TEST(UnloadTest, WorkerStuckPastStopRecRunsOnAfterDlclose) {
    ScratchDir scratch;
    int status = -1;
    const std::string output = runHelper("stuck", scratch.file("stuck.wav"), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.rfind("RIFF ", 0), 0u) << output;
}

}  // namespace
