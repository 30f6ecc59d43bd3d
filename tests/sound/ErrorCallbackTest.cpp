#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "SoundTestSupport.h"
#include "mrqSnd.h"

using namespace soundtest;
using std::chrono::milliseconds;

namespace {

// A callback that holds on until released, then takes itself out.
struct HeldCallback {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
    std::atomic<bool> left{false};

    static void callback(const char*, void* context) {
        auto* self = static_cast<HeldCallback*>(context);
        {
            std::unique_lock lock(self->mutex);
            self->entered = true;
            self->changed.notify_all();
            self->changed.wait(lock, [self] { return self->released; });
        }
        SetSoundErrorCallback(nullptr, nullptr);
        self->left = true;
    }
};

// Once SetSoundErrorCallback returns, the old callback has finished, so its
// context may be freed; a callback may itself set the callback.
TEST(ErrorCallbackTest, SettingWaitsForTheCallbackInFlight) {
    HeldCallback held;
    SetSoundErrorCallback(&HeldCallback::callback, &held);
    ASSERT_EQ(StartPlay("/nonexistent/file.wav"), 1);
    {
        std::unique_lock lock(held.mutex);
        ASSERT_TRUE(held.changed.wait_for(lock, milliseconds(3000), [&] { return held.entered; }));
    }
    bool leftWhenSet = false;
    std::thread setter([&] {
        SetSoundErrorCallback(nullptr, nullptr);
        leftWhenSet = held.left;
    });
    // Gives a setter that does not wait the time to return early.
    std::this_thread::sleep_for(milliseconds(100));
    {
        std::lock_guard lock(held.mutex);
        held.released = true;
    }
    held.changed.notify_all();
    setter.join();
    EXPECT_TRUE(leftWhenSet);
    EXPECT_EQ(StopPlay(), 1);
}

}  // namespace
