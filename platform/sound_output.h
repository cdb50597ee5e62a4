// The sound output edge: where rendered audio goes, and the music clock that says which
// frame is being heard. A platform provides it over its sound system; where no device
// opens, the portable silent clock (platform/silent_clock.h) stands in, so the show keeps
// the same course without sound.
//
// One output per process. openOutput and closeOutput, outputInfo and heardFrame are for
// the main thread (or one thread at a time that the main thread waits for: the player opens
// the output on a thread of its own at start-up); the fill function runs on the output's
// own thread.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zuzor {

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

// Opens the device, or the silent clock when there is no device, when the sound system
// would only write the audio to a file, or when ZUZOR_AUDIO=off. Prints at most one line
// to stderr, for the fall-back. Keeps an already open output. The output is closed when
// the process ends, however it ends, if nobody closed it before.
OutputInfo openOutput(int rate, OutputFill fill);
// From now on the output opens as the silent clock without trying a device, and says
// nothing about it: the viewer asked for no sound.
void keepOutputSilent();
void closeOutput();
OutputInfo outputInfo();

// Frames handed to the device (or rendered by the silent clock) so far.
uint64_t handedFrames();
// Main thread: the output frame being heard now. Never runs backwards. Below 0 until the
// first frame is heard.
int64_t heardFrame();

}  // namespace zuzor
