// The capture service over ALSA: buffers are queued, filled by a service
// thread of the device's own and handed back to the owner's queue as
// kInputBufferDone messages. Only the service thread touches the PCM while it
// runs.
//
// A device that delivers samples faster than its clock (ALSA's null device
// does) is held back: the service never hands out more than the elapsed
// time's worth of samples plus one buffer.
#pragma once

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MessageQueue.h"
#include "WaveFormat.h"

namespace mrqsnd {

class WaveInDevice {
public:
    WaveInDevice() = default;
    WaveInDevice(const WaveInDevice&) = delete;
    WaveInDevice& operator=(const WaveInDevice&) = delete;
    ~WaveInDevice();

    // Returns 0 or a negative ALSA error.
    int open(const std::string& name, const WaveFormat& format, QueuePtr notify);
    bool isOpen() const { return m_pcm != nullptr; }

    void addBuffer(std::unique_ptr<SoundBuffer> buffer);
    int start();
    void stop();
    // Stops and hands every buffer back, the one being filled with the bytes
    // it holds; returns when all of them are posted.
    void reset();
    // Ends the service thread and closes the device; buffers still queued
    // are freed.
    void close();

private:
    using Clock = std::chrono::steady_clock;

    void serviceLoop();
    // One read into m_current; false when the device failed.
    bool readSome();
    void returnAllBuffers();

    snd_pcm_t* m_pcm = nullptr;
    QueuePtr m_notify;
    unsigned m_frameBytes = 1;
    std::uint32_t m_rate = 1;
    std::thread m_service;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<SoundBuffer>> m_queued;
    bool m_running = false;
    bool m_failed = false;
    bool m_resetRequested = false;
    bool m_quit = false;
    Clock::time_point m_startTime;
    std::uint64_t m_framesDelivered = 0;

    // Owned by the service thread.
    std::unique_ptr<SoundBuffer> m_current;
};

}  // namespace mrqsnd
