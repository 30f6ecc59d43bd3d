#include "log/MrqSound.h"

#include "mrqSnd.h"

namespace korvex {

int MrqSound::startRec(int sampleRate, int bitsPerSample, const std::string& path) {
    return StartRec(sampleRate, bitsPerSample, path.c_str());
}

int MrqSound::stopRec() {
    return StopRec();
}

bool MrqSound::isRecording() {
    return IsRecording() != 0;
}

int MrqSound::startPlay(const std::string& path) {
    std::lock_guard lock(m_playMutex);
    m_playPath = path;
    return StartPlay(m_playPath.c_str());
}

int MrqSound::stopPlay() {
    return StopPlay();
}

bool MrqSound::isPlaying() {
    return IsPlaying() != 0;
}

}  // namespace korvex
