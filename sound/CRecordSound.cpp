#include "CRecordSound.h"

#include "ErrorReport.h"

namespace mrqsnd {

WorkerHandle CRecordSound::start(const WaveFormat& format, std::string path, std::string device) {
    auto queue = std::make_shared<MessageQueue>();
    std::unique_ptr<CRecordSound> worker(
        new CRecordSound(queue, format, std::move(path), std::move(device)));
    return startWorker(std::move(worker), queue);
}

CRecordSound::CRecordSound(QueuePtr queue, const WaveFormat& format, std::string path,
                           std::string device)
    : m_queue(std::move(queue)),
      m_format(format),
      m_path(std::move(path)),
      m_device(std::move(device)),
      m_maxBacklog((kBacklogSeconds * format.samplesPerSec + kBufferSamples - 1) / kBufferSamples) {
}

void CRecordSound::run() {
    while (true) {
        Message message = m_queue->wait();
        switch (message.id) {
            case kSetWriter:
                if (auto* writer = std::get_if<QueuePtr>(&message.param)) {
                    m_writer = std::move(*writer);
                }
                break;
            case kStartRecording:
                startRecording();
                break;
            case kStopRecording:
                stopRecording();
                break;
            case kInputBufferDone:
                if (auto* buffer = std::get_if<std::unique_ptr<SoundBuffer>>(&message.param)) {
                    bufferDone(std::move(*buffer));
                }
                break;
            case kQuitRecorder:
                stopRecording();
                m_waveIn.close();
                return;
            default:
                break;
        }
    }
}

void CRecordSound::queueBuffer() {
    auto buffer = std::make_unique<SoundBuffer>();
    buffer->data.resize(kBufferSamples * m_format.blockAlign);
    m_waveIn.addBuffer(std::move(buffer));
    ++m_buffersQueued;
}

void CRecordSound::startRecording() {
    if (m_isCapturing) {
        return;
    }
    int err = m_waveIn.open(m_device, m_format, m_queue);
    if (err < 0) {
        reportError(deviceErrorText("WAVEIN", err));
        return;
    }
    for (int i = 0; i < kBufferCount; ++i) {
        queueBuffer();
    }
    err = m_waveIn.start();
    if (err < 0) {
        reportError(deviceErrorText("WAVEIN", err));
        m_waveIn.close();
        return;
    }
    m_isCapturing = true;
    m_stallReported = false;
    if (m_writer) {
        m_writer->post(kOpenWaveFile,
                       std::make_unique<FileOpenBlock>(FileOpenBlock{m_path, m_format}));
    }
}

void CRecordSound::stopRecording() {
    if (!m_isCapturing) {
        return;
    }
    m_waveIn.stop();
    // Every buffer comes back now; they arrive after the close below and are
    // dropped, so the file holds whole buffers only.
    m_waveIn.reset();
    m_isCapturing = false;
    m_waveIn.close();
    if (m_writer) {
        m_writer->post(kCloseWaveFile);
    }
}

void CRecordSound::bufferDone(std::unique_ptr<SoundBuffer> buffer) {
    --m_buffersQueued;
    if (!m_isCapturing) {
        return;
    }
    if (m_writer) {
        if (m_writer->size() < m_maxBacklog) {
            m_writer->post(kWriteBlock, std::move(buffer));
        } else if (!m_stallReported) {
            m_stallReported = true;
            reportError("Error writing WAVE file " + m_path +
                        ": writing stalled, recorded audio is dropped");
        }
    }
    queueBuffer();
}

}  // namespace mrqsnd
