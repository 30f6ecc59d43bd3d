// The file-reader thread: opens a WAV file and runs a read loop on a thread
// of its own that feeds the player block by block, at most as many blocks
// ahead as the player's gate allows.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

#include "MessageQueue.h"
#include "WaveFileReader.h"
#include "WorkerThread.h"

namespace mrqsnd {

class CPlayMMSound {
public:
    static WorkerHandle start();

    void run();

    // Bytes per read for format: bits x block alignment x channels x 100,
    // at most dataSize and at most one mebibyte.
    static std::size_t blockSizeFor(const WaveFormat& format, std::uint32_t dataSize);

private:
    explicit CPlayMMSound(QueuePtr queue) : m_queue(std::move(queue)) {}

    void openPlayFile(const std::string& path);
    void stopReading();
    void readLoop();

    QueuePtr m_queue;
    PlayerLink m_player;
    WaveFileReader m_reader;
    std::atomic<bool> m_isReading{false};
    std::size_t m_blockSize = 0;
    std::thread m_readThread;
};

}  // namespace mrqsnd
