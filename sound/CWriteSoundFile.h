// The file-writer thread: creates the WAV file, appends the captured buffers
// and fixes the chunk sizes when told to close.
#pragma once

#include "MessageQueue.h"
#include "WaveFileWriter.h"
#include "WorkerThread.h"

namespace mrqsnd {

class CWriteSoundFile {
public:
    static WorkerHandle start();

    void run();

private:
    explicit CWriteSoundFile(QueuePtr queue) : m_queue(std::move(queue)) {}

    QueuePtr m_queue;
    WaveFileWriter m_file;
};

}  // namespace mrqsnd
