// The playback service over ALSA: blocks are queued, written by a service
// thread of the device's own and handed back to the owner's queue as
// kOutputBufferDone messages once ALSA has taken them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "PcmService.h"

namespace mrqsnd {

class WaveOutDevice final : public PcmService {
public:
    WaveOutDevice() : PcmService(SND_PCM_STREAM_PLAYBACK, kOutputBufferDone) {}
    ~WaveOutDevice();

    void write(std::unique_ptr<SoundBuffer> block);
    // Once every queued block has been written, lets the device play out
    // what it holds, then posts kDeviceDrained. A device that has not
    // played everything by the time the frames still queued take, plus a
    // margin, is dropped (its blocks come back) and kDeviceDrained is
    // posted all the same: a stalled device never holds the player.
    void drain();

private:
    using Clock = std::chrono::steady_clock;

    void prepare(const WaveFormat& format) override;
    void afterDrop() override;
    void serviceStep(std::unique_lock<std::mutex>& lock) override;
    // One write from m_current; false when the device failed.
    bool writeSome();
    // The frames still queued here and in the device; m_mutex held.
    std::uint64_t framesPending();
    // One step of the drain once every block has been written.
    void drainStep(std::unique_lock<std::mutex>& lock);
    void endDrain();

    std::uint32_t m_rate = 1;
    snd_pcm_uframes_t m_bufferFrames = 0;

    // Guarded by m_mutex.
    bool m_drainRequested = false;

    // Owned by the service thread.
    std::size_t m_currentOffset = 0;
    bool m_failed = false;
    bool m_draining = false;
    bool m_drainStarted = false;
    Clock::time_point m_drainDeadline;
};

}  // namespace mrqsnd
