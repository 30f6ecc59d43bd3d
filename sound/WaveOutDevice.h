// The playback service over ALSA: blocks are queued, written by a service
// thread of the device's own and handed back to the owner's queue as
// kOutputBufferDone messages once ALSA has taken them. Only the service
// thread touches the PCM while it runs.
#pragma once

#include <alsa/asoundlib.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MessageQueue.h"
#include "WaveFormat.h"

namespace mrqsnd {

class WaveOutDevice {
public:
    WaveOutDevice() = default;
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;
    ~WaveOutDevice();

    // Returns 0 or a negative ALSA error.
    int open(const std::string& name, const WaveFormat& format, QueuePtr notify);
    bool isOpen() const { return m_pcm != nullptr; }

    void write(std::unique_ptr<SoundBuffer> block);
    // Once every queued block has been written, lets the device play out
    // what it holds, then posts kDeviceDrained.
    void drain();
    // Discards what is queued and what the device holds; every block comes
    // back before this returns.
    void reset();
    // Ends the service thread and closes the device; blocks still queued are
    // freed.
    void close();

private:
    void serviceLoop();
    // One write from m_current; false when the device failed.
    bool writeSome();
    void returnAllBlocks();

    snd_pcm_t* m_pcm = nullptr;
    QueuePtr m_notify;
    unsigned m_frameBytes = 1;
    std::thread m_service;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<SoundBuffer>> m_queued;
    bool m_drainRequested = false;
    bool m_resetRequested = false;
    bool m_quit = false;

    // Owned by the service thread.
    std::unique_ptr<SoundBuffer> m_current;
    std::size_t m_currentOffset = 0;
    bool m_failed = false;
};

}  // namespace mrqsnd
