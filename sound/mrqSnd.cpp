// The six exported functions and the library-wide state behind them.
#include "mrqSnd.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "AlsaPcm.h"
#include "CPlayMMSound.h"
#include "CPlaySound.h"
#include "CRecordSound.h"
#include "CWriteSoundFile.h"
#include "ErrorReport.h"
#include "PlaybackGate.h"

namespace mrqsnd {

namespace {

constexpr std::chrono::milliseconds kThreadEndWait{5000};
// The path buffer holds 259 characters and the terminator.
constexpr std::size_t kMaxPathLength = 259;

class Library {
public:
    ~Library() {
        // The end of the process stops what still runs; dlclose never
        // unloads the library, so this is the only unload.
        stopPlay();
        stopRec();
    }

    int startRec(int rate, int bits, const char* path) {
        std::lock_guard lock(m_recordMutex);
        if (!isRecordableFormat(rate, bits) || path == nullptr ||
            strnlen(path, kMaxPathLength + 1) > kMaxPathLength || m_recording.load() != 0) {
            return 0;
        }
        const WaveFormat format =
            monoPcmFormat(static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(bits));
        m_recorder =
            CRecordSound::start(format, path, deviceNameFromEnvironment("MRQSND_CAPTURE_DEVICE"));
        m_writer = CWriteSoundFile::start();
        m_recorder.queue->post(kSetWriter, m_writer.queue);
        m_recorder.queue->post(kStartRecording);
        m_recording.store(1);
        return 1;
    }

    int stopRec() {
        std::lock_guard lock(m_recordMutex);
        if (m_recording.load() == 0) {
            return 0;
        }
        m_recorder.queue->post(kStopRecording);
        m_recording.store(0);
        stopWorker(m_recorder, kQuitRecorder);
        stopWorker(m_writer, kQuitWriter);
        return 1;
    }

    int startPlay(const char* path) {
        std::lock_guard lock(m_playMutex);
        if (m_playing.load() != 0) {
            stopPlayLocked();
            if (m_playing.load() != 0) {
                return 0;
            }
        }
        auto gate = std::make_shared<PlaybackGate>(CPlaySound::kBlocksInFlight);
        m_fileReader = CPlayMMSound::start();
        m_player = CPlaySound::start(deviceNameFromEnvironment("MRQSND_PLAYBACK_DEVICE"),
                                     &m_playing, gate);
        m_playing.store(1);
        m_fileReader.queue->post(kSetPlayer, PlayerLink{m_player.queue, gate});
        m_fileReader.queue->post(kOpenPlayFile, std::string(path != nullptr ? path : ""));
        return 1;
    }

    int stopPlay() {
        std::lock_guard lock(m_playMutex);
        return stopPlayLocked();
    }

    int isRecording() const { return m_recording.load(); }
    int isPlaying() const { return m_playing.load(); }

private:
    int stopPlayLocked() {
        if (m_playing.load() == 0) {
            return 0;
        }
        if (m_fileReader) {
            m_fileReader.queue->post(kStopReading);
        }
        stopWorker(m_fileReader, kQuitReader);
        stopWorker(m_player, kQuitPlayer);
        return 1;
    }

    // Tells the worker to end and waits for it; a worker that does not end in
    // time is forgotten all the same.
    static void stopWorker(WorkerHandle& worker, std::uint32_t quitMessage) {
        if (worker) {
            worker.queue->post(quitMessage);
            worker.thread.waitForEnd(kThreadEndWait);
        }
        worker = WorkerHandle{};
    }

    std::mutex m_recordMutex;
    std::mutex m_playMutex;
    std::atomic<int> m_recording{0};
    std::atomic<int> m_playing{0};
    WorkerHandle m_recorder;
    WorkerHandle m_writer;
    WorkerHandle m_fileReader;
    WorkerHandle m_player;
};

Library library;

}  // namespace

}  // namespace mrqsnd

extern "C" {

int StartRec(int rate, int bits, const char* path) {
    return mrqsnd::library.startRec(rate, bits, path);
}

int StopRec(void) {
    return mrqsnd::library.stopRec();
}

int StartPlay(const char* path) {
    return mrqsnd::library.startPlay(path);
}

int StopPlay(void) {
    return mrqsnd::library.stopPlay();
}

int IsRecording(void) {
    return mrqsnd::library.isRecording();
}

int IsPlaying(void) {
    return mrqsnd::library.isPlaying();
}

void SetSoundErrorCallback(MrqSndErrorCallback callback, void* context) {
    mrqsnd::setErrorCallback(callback, context);
}
}
