// mrqSnd: records mono PCM audio into WAV files and plays WAV files, each on
// worker threads of the library's own. Only integers and zero-terminated
// paths cross this interface.
#ifndef MRQSND_H
#define MRQSND_H

#if defined(MRQSND_BUILDING)
#define MRQSND_API __attribute__((visibility("default")))
#else
#define MRQSND_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Starts recording from the capture device into a new WAV file at path. The
// file's header follows the samples written, so a process killed while it
// records leaves a file that plays up to then.
// Returns 1 when started; 0 when rate is not 11025, 22050 or 44100, bits is
// not 8 or 16, path is null or 260 characters or longer, or a recording runs.
MRQSND_API int StartRec(int rate, int bits, const char* path);

// Stops the recording and completes its file. Returns 1 when a recording was
// stopped, 0 when none ran. Blocks for up to 10 s in the worst case.
MRQSND_API int StopRec(void);

// Starts playing the WAV file at path on the playback device. The path is
// copied before the call returns. Returns 1 when started (also when the file
// later turns out unreadable), 0 when an earlier playback did not end.
MRQSND_API int StartPlay(const char* path);

// Ends the playback. Returns 1 when a playback was stopped, 0 when none
// existed. Blocks for up to 10 s in the worst case.
MRQSND_API int StopPlay(void);

// 1 while a recording exists, else 0.
MRQSND_API int IsRecording(void);

// 1 while a playback exists (from StartPlay until StopPlay, also after the
// file has ended), else 0.
MRQSND_API int IsPlaying(void);

// Receives the library's error texts: "WAVEIN:%x:%s", "WAVEOUT:%x:%s", the
// messages about files it cannot play, and "Error creating WAVE file PATH:
// REASON" / "Error writing WAVE file PATH: REASON" / "Error closing WAVE
// file PATH: REASON" about a recording's file
// (a failure, or a stall, is reported once, not per buffer). It is called on
// one of the library's threads, one call at a time: it must return promptly,
// must not call StartRec, StopRec, StartPlay or StopPlay (they may be waiting
// for the thread that calls it), and must copy the text if it keeps it.
typedef void (*MrqSndErrorCallback)(const char* text, void* context);

// Sets the receiver of error texts; null restores the default, which writes
// them to standard error. When it returns, the previous callback is neither
// running nor called again, so its context may be freed; a callback that is
// running is waited for, so the caller must not be what it waits for. A
// callback may call it.
MRQSND_API void SetSoundErrorCallback(MrqSndErrorCallback callback, void* context);

#ifdef __cplusplus
}
#endif

#endif
