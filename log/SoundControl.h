#pragma once

#include <atomic>
#include <string>

namespace korvex {

// The sound library as the program uses it. Production goes to libmrqSnd
// (MrqSound); tests put a fake here.
class SoundControl {
public:
    virtual ~SoundControl() = default;
    // 1 when started, 0 when refused (a recording runs, bad format or path).
    virtual int startRec(int sampleRate, int bitsPerSample, const std::string& path) = 0;
    // 1 when a recording was stopped, 0 when none ran.
    virtual int stopRec() = 0;
    virtual bool isRecording() = 0;
    // 1 when started, 0 when an earlier playback has not ended.
    virtual int startPlay(const std::string& path) = 0;
    virtual int stopPlay() = 0;
    virtual bool isPlaying() = 0;
};

// The audio settings the log reads at every use, so a change in the Log
// Settings dialog reaches a running log; written by the window's thread.
struct LiveAudioSettings {
    std::atomic<unsigned> audioTime{60};  // seconds, longest automatic recording
    std::atomic<int> sampleRate{11025};
    std::atomic<int> bitsPerSample{8};
};

}  // namespace korvex
