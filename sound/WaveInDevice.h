// The capture service over ALSA: buffers are queued, filled by a service
// thread of the device's own and handed back to the owner's queue as
// kInputBufferDone messages.
//
// A device that delivers samples faster than its clock (ALSA's null device
// does) is held back: the service never hands out more than the elapsed
// time's worth of samples plus one buffer.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "PcmService.h"

namespace mrqsnd {

class WaveInDevice final : public PcmService {
public:
    WaveInDevice() : PcmService(SND_PCM_STREAM_CAPTURE, kInputBufferDone) {}
    ~WaveInDevice();

    void addBuffer(std::unique_ptr<SoundBuffer> buffer);
    int start();
    void stop();

private:
    using Clock = std::chrono::steady_clock;

    void prepare(const WaveFormat& format) override;
    void afterDrop() override;
    void serviceStep(std::unique_lock<std::mutex>& lock) override;
    // One read into m_current; false when the device failed.
    bool readSome();

    std::uint32_t m_rate = 1;

    // Guarded by m_mutex.
    bool m_running = false;
    bool m_failed = false;
    Clock::time_point m_startTime;
    std::uint64_t m_framesDelivered = 0;
};

}  // namespace mrqsnd
