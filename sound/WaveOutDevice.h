// The playback service over ALSA: blocks are queued, written by a service
// thread of the device's own and handed back to the owner's queue as
// kOutputBufferDone messages once ALSA has taken them.
#pragma once

#include <cstddef>
#include <memory>

#include "PcmService.h"

namespace mrqsnd {

class WaveOutDevice final : public PcmService {
public:
    WaveOutDevice() : PcmService(SND_PCM_STREAM_PLAYBACK, kOutputBufferDone) {}
    ~WaveOutDevice();

    void write(std::unique_ptr<SoundBuffer> block);
    // Once every queued block has been written, lets the device play out
    // what it holds, then posts kDeviceDrained.
    void drain();

private:
    void prepare(const WaveFormat& format) override;
    void afterDrop() override;
    void serviceStep(std::unique_lock<std::mutex>& lock) override;
    // One write from m_current; false when the device failed.
    bool writeSome();

    // Guarded by m_mutex.
    bool m_drainRequested = false;

    // Owned by the service thread.
    std::size_t m_currentOffset = 0;
    bool m_failed = false;
};

}  // namespace mrqsnd
