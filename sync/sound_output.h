// Where rendered audio goes, and the music clock that says which frame is being heard.
// Either an SDL device in callback mode, or, when there is none, a silent real-time
// clock: a thread of ours that renders at the pace of a device and discards the audio,
// so the show keeps the same course without sound.
#pragma once
#include <cstddef>
#include <cstdint>

enum class OutputKind { closed, device, silentClock };

// Fills `frames` stereo float frames (out may be null: discard) whose first frame is
// output frame `firstFrame`. Runs on the audio thread: no allocation, no locks.
using OutputFill = void (*)(float* out, size_t frames, uint64_t firstFrame);

struct OutputInfo {
    OutputKind kind = OutputKind::closed;
    int rate = 0;
    int deviceBufferFrames = 0;  // what the device reports; the silent clock's lead otherwise
    int latencyFrames = 0;       // ZUZOR_AUDIO_LATENCY_MS as frames, added to the device delay
    const char* driver = "";
};

// Opens the device, or the silent clock when there is no device, when SDL would only
// write the audio to a file (its "disk" driver), or when ZUZOR_AUDIO=off. Prints at
// most one line to stderr, for the fall-back. Keeps an already open output.
OutputInfo openOutput(int rate, OutputFill fill);
void closeOutput();
OutputInfo outputInfo();

// Frames handed to the device (or rendered by the silent clock) so far.
uint64_t handedFrames();
// Main thread: the output frame being heard now. Never runs backwards.
int64_t heardFrame();
