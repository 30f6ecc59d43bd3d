// The file-writer thread: creates the WAV file, appends the captured buffers
// and keeps the chunk sizes current. A file that cannot be created, fails to
// write or fails to close is reported once for each.
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

    // Hands what went wrong with the file to the error callback.
    void reportFileErrors();

    QueuePtr m_queue;
    WaveFileWriter m_file;
};

}  // namespace mrqsnd
