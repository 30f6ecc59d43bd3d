#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SoundTestSupport.h"

using namespace soundtest;

namespace {

// Unloading the library stops a recording and completes its file.
TEST(UnloadTest, UnloadCompletesTheRecording) {
    ScratchDir scratch;
    const std::string path = scratch.file("unload.wav");
    void* library = dlopen(MRQSND_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto startRec = reinterpret_cast<int (*)(int, int, const char*)>(dlsym(library, "StartRec"));
    auto startPlay = reinterpret_cast<int (*)(const char*)>(dlsym(library, "StartPlay"));
    auto isRecording = reinterpret_cast<int (*)()>(dlsym(library, "IsRecording"));
    ASSERT_NE(startRec, nullptr);
    ASSERT_NE(startPlay, nullptr);
    ASSERT_NE(isRecording, nullptr);

    ASSERT_EQ(startRec(11025, 16, path.c_str()), 1);
    ASSERT_EQ(startPlay("/nonexistent/file.wav"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(isRecording(), 1);
    EXPECT_EQ(dlclose(library), 0);

    const Bytes file = readFile(path);
    ASSERT_GT(file.size(), 46u);
    EXPECT_EQ(le32(file, 4), file.size() - 8);
    EXPECT_EQ(le32(file, 42), file.size() - 46);
    EXPECT_EQ(le32(file, 42) % 2000, 0u);
}

}  // namespace
