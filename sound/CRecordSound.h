// The capture thread: owns the input device, keeps 25 buffers of 1000
// samples queued on it and passes every filled buffer to the file writer.
// A writer that falls more than a few seconds of buffers behind (a stalled
// disk) is reported once, and the buffers it cannot take are dropped, so
// memory stays bounded.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "MessageQueue.h"
#include "WaveFormat.h"
#include "WaveInDevice.h"
#include "WorkerThread.h"

namespace mrqsnd {

class CRecordSound {
public:
    static constexpr int kBufferCount = 25;
    static constexpr std::size_t kBufferSamples = 1000;
    // How far, in seconds of sound, the writer may fall behind.
    static constexpr std::size_t kBacklogSeconds = 4;

    // Starts the thread. path is where the writer will create the file,
    // device the ALSA capture device.
    static WorkerHandle start(const WaveFormat& format, std::string path, std::string device);

    void run();

private:
    CRecordSound(QueuePtr queue, const WaveFormat& format, std::string path, std::string device);

    void startRecording();
    void stopRecording();
    void bufferDone(std::unique_ptr<SoundBuffer> buffer);
    void queueBuffer();

    QueuePtr m_queue;
    WaveFormat m_format;
    std::string m_path;
    std::string m_device;
    WaveInDevice m_waveIn;
    bool m_isCapturing = false;
    int m_buffersQueued = 0;
    QueuePtr m_writer;
    // Buffers the writer may have waiting; whether its stall was reported.
    std::size_t m_maxBacklog;
    bool m_stallReported = false;
};

}  // namespace mrqsnd
