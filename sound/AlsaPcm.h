// Opening and closing ALSA PCM devices in the wave format of a WAV file.
#pragma once

#include <alsa/asoundlib.h>

#include <string>

#include "WaveFormat.h"

namespace mrqsnd {

// The device name from environment variable, or "default" when it is unset
// or empty.
std::string deviceNameFromEnvironment(const char* variable);

// Opens name non-blocking for stream and sets it to format, interleaved, with
// half a second of buffering. Returns 0 or a negative ALSA error number;
// *pcm is null on failure.
int openPcm(const std::string& name, snd_pcm_stream_t stream, const WaveFormat& format,
            snd_pcm_t** pcm);
void closePcm(snd_pcm_t* pcm);

// Bytes per frame of format as ALSA sees it (0 when unusable).
unsigned frameBytes(const WaveFormat& format);

}  // namespace mrqsnd
