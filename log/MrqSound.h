#pragma once

#include <mutex>
#include <string>

#include "log/SoundControl.h"

namespace korvex {

// SoundControl on libmrqSnd. The library reads a playback's path after
// StartPlay has returned, so the last path is kept here until the next play.
class MrqSound : public SoundControl {
public:
    int startRec(int sampleRate, int bitsPerSample, const std::string& path) override;
    int stopRec() override;
    bool isRecording() override;
    int startPlay(const std::string& path) override;
    int stopPlay() override;
    bool isPlaying() override;

private:
    std::mutex m_playMutex;
    std::string m_playPath;
};

}  // namespace korvex
