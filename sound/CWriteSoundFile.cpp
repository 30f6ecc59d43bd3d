#include "CWriteSoundFile.h"

#include <algorithm>

#include "ErrorReport.h"

namespace mrqsnd {

WorkerHandle CWriteSoundFile::start() {
    auto queue = std::make_shared<MessageQueue>();
    std::unique_ptr<CWriteSoundFile> worker(new CWriteSoundFile(queue));
    return startWorker(std::move(worker), queue);
}

void CWriteSoundFile::run() {
    while (true) {
        Message message = m_queue->wait();
        switch (message.id) {
            case kOpenWaveFile:
                if (auto* block = std::get_if<std::unique_ptr<FileOpenBlock>>(&message.param)) {
                    // A file that cannot be created is reported and leaves
                    // the writer without one: later blocks are dropped. A
                    // file that fails to take what is written is reported.
                    m_file.open((*block)->path, (*block)->format);
                }
                break;
            case kWriteBlock:
                if (auto* block = std::get_if<std::unique_ptr<SoundBuffer>>(&message.param)) {
                    const SoundBuffer& buffer = **block;
                    m_file.append(buffer.data.data(),
                                  std::min(buffer.bytesUsed, buffer.data.size()));
                }
                break;
            case kCloseWaveFile:
                m_file.close();
                break;
            case kQuitWriter:
                m_file.close();
                reportFileErrors();
                return;
            default:
                break;
        }
        reportFileErrors();
    }
}

void CWriteSoundFile::reportFileErrors() {
    for (const std::string& text : m_file.takeErrors()) {
        reportError(text);
    }
}

}  // namespace mrqsnd
