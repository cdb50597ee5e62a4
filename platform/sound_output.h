// The sound output edge: where rendered audio goes, and the music clock that says which
// frame is being heard. A platform provides it over its sound system; where no device
// opens, the portable silent clock (platform/silent_clock.h) stands in, so the show keeps
// the same course without sound.
//
// One output per process, called from the main thread; the fill function runs on the
// output's own audio thread (or in the service step, on the silent clock). The output has
// no thread of its own: what must not hold up the main loop (searching for a device,
// opening one again) runs as background work (platform/background_work.h), and the main
// loop calls serviceOutput, which watches the stream and collects what the work opened.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zuzor {

enum class OutputKind { closed, device, silentClock };

// Fills `frames` stereo float frames (out may be null: discard) whose first frame is
// output frame `firstFrame`. Runs on the audio thread: no allocation, no locks.
using OutputFill = void (*)(float* out, size_t frames, uint64_t firstFrame);

// The output's settings, read once at start (outputOptionsFromEnvironment); zero is the
// default for each.
struct OutputOptions {
    // The viewer asked for no sound: the silent clock without trying a device, and no word.
    bool mute = false;
    // ZUZOR_AUDIO=off: the silent clock without trying a device, said in one stderr line.
    bool deviceOff = false;
    // ZUZOR_AUDIO_LATENCY_MS: added to the device's delay when deciding which frame is heard,
    // for outputs that hold more audio than they say (may be negative).
    double latencyMs = 0.0;
};

OutputOptions outputOptionsFromEnvironment();

struct OutputInfo {
    OutputKind kind = OutputKind::closed;
    int rate = 0;
    int deviceBufferFrames = 0;  // what the device reports; the silent clock's lead otherwise
    int latencyFrames = 0;       // the options' latency as frames, added to the device delay
    const char* driver = "";
};

// Opens the device, or the silent clock when there is no device, when the sound system
// would only write the audio to a file, or when the options say so, and waits for it.
// Prints at most one line to stderr, for the fall-back. Keeps an already open output. The
// output is closed when the process ends, however it ends, if nobody closed it before.
OutputInfo openOutput(int rate, OutputFill fill, const OutputOptions& options = {});
// The same as background work: returns at once; outputOpening() is true until the service
// step has collected the result (the output is closed until then). Nothing while the output
// is open or opening.
void beginOpeningOutput(int rate, OutputFill fill, const OutputOptions& options = {});
bool outputOpening();
// Main loop, often (every few milliseconds while the music plays): collects an opening,
// notices a stream that stopped and falls back to the silent clock (one stderr line),
// tries to open a stream again and swaps it in (one line), and advances the silent clock.
void serviceOutput();
// Closes the output at once; an opening still under way is abandoned, not waited for.
void closeOutput();
OutputInfo outputInfo();

// Frames handed to the device (or rendered by the silent clock) so far.
uint64_t handedFrames();
// The output frame being heard now. Never runs backwards. Below 0 until the first frame is
// heard.
int64_t heardFrame();

}  // namespace zuzor
