// The output thread: owns the playback device and gives it the blocks the
// file reader posts; every block that comes back frees one count of the gate.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "MessageQueue.h"
#include "PlaybackGate.h"
#include "WaveOutDevice.h"
#include "WorkerThread.h"

namespace mrqsnd {

class CPlaySound {
public:
    static constexpr int kBlocksInFlight = 10;

    // Starts the thread; playing is cleared when the thread ends. gate is
    // the semaphore the file reader waits on.
    static WorkerHandle start(std::string device, std::atomic<int>* playing,
                              std::shared_ptr<PlaybackGate> gate);

    void run();

private:
    CPlaySound(QueuePtr queue, std::string device, std::atomic<int>* playing,
               std::shared_ptr<PlaybackGate> gate);

    void openDevice(const WaveFormat& format);
    void closeDevice(bool drain);
    void closeNow();
    void playBlock(std::unique_ptr<SoundBuffer> block);

    QueuePtr m_queue;
    std::string m_device;
    std::atomic<int>* m_playing;
    std::shared_ptr<PlaybackGate> m_gate;
    WaveFormat m_format = monoPcmFormat(11025, 16);
    WaveOutDevice m_waveOut;
    bool m_isOpen = false;
    bool m_draining = false;
    long m_blocksWritten = 0;
};

}  // namespace mrqsnd
