// SongRenderer: one module's audio and its script in step, driven by a frame count and
// never by a clock. The sound device, the silent clock and the offline tools all render
// through it, so each sees the same events stamped at the same frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/constants.h"
#include "sync/xm_script.h"

struct openmpt_module;
struct openmpt_module_ext;

namespace zuzor {

// One Zxx cell that playback reached.
struct SyncEvent {
    uint64_t frame;  // the frame at which the event's row starts, counted from the song's start
    uint16_t order;
    uint16_t pattern;
    uint16_t row;
    uint8_t channel;
    uint8_t code;
};

// Receives events as rows are reached. Called from whatever thread renders; it must not
// block or allocate when that is the audio thread.
struct SyncEventSink {
    virtual void onEvent(const SyncEvent& event) = 0;

  protected:
    ~SyncEventSink() = default;
};

class SongRenderer {
  public:
    // Rows can be no shorter than one tick at the fastest tempo (255 BPM: 432 frames at
    // 44.1 kHz). Rendering in chunks well below that finds every row change.
    static constexpr size_t chunkFrames = 32;
    // Without sound a chunk may be longer: still shorter than any row (432 frames), so a chunk
    // never holds two row starts, and the stamps come from the row lengths, not the chunks.
    static constexpr size_t silentChunkFrames = 256;

    // Null, with a reason in `error`, when the data is not an XM module we can read or
    // the mixer refuses it. `repeat`: start again at the end, forever.
    static std::unique_ptr<SongRenderer> create(const uint8_t* data, size_t size, int sampleRate,
                                                bool repeat, std::string& error);
    ~SongRenderer();
    SongRenderer(const SongRenderer&) = delete;
    SongRenderer& operator=(const SongRenderer&) = delete;

    // Renders up to `frames` interleaved stereo float frames into `out` (null: render
    // and discard) and hands every event reached to `sink`. Returns the frames rendered;
    // fewer than asked only when a song without repeat has reached its end (the rest of
    // `out` is silence). Without repeat, rendering ends at the song's length.
    size_t render(float* out, size_t frames, SyncEventSink& sink);

    // From now on the song is rendered without sound, at a fraction of the cost: the rows,
    // the events and the song's end come exactly as when it is heard. For passes that only
    // need the script's course (a jump through the show).
    void silence();
    bool silent() const { return silent_; }
    // The frames rendered at a time: chunkFrames, silentChunkFrames once silent.
    size_t chunkLength() const { return silent_ ? silentChunkFrames : chunkFrames; }

    // A renderer that goes on from here with sound: the same frame, row and script state,
    // and the mixer playing what sounds at this moment of the song. Null where the mixer
    // cannot be placed here exactly (inside a row played again in place, for one); the
    // caller then renders the way here with sound.
    std::unique_ptr<SongRenderer> audibleCopy() const;

    uint64_t framesRendered() const { return framesRendered_; }
    bool ended() const { return ended_; }
    int sampleRate() const { return sampleRate_; }
    const SongScript& script() const { return script_; }

  private:
    SongRenderer() = default;
    void noteRow(uint64_t chunkStart, size_t chunkLength, SyncEventSink& sink);
    // The current row's length from its speed and tempo, in frames; 0 while unknown.
    uint64_t rowLength() const;

    openmpt_module_ext* mixer_ = nullptr;
    openmpt_module* module_ = nullptr;  // the mixer's module
    std::vector<uint8_t> mixerCopy_;    // what the mixer was made from, for audibleCopy
    SongScript script_;
    int sampleRate_ = mixRate;
    bool repeat_ = false;
    bool silent_ = false;
    uint64_t framesRendered_ = 0;
    int lastOrder_ = -1;
    int lastRow_ = -1;
    bool ended_ = false;
    static constexpr uint64_t noRow = ~uint64_t(0);
    // The first and the last frame the current row (or its latest replay) may have begun at.
    uint64_t rowStart_ = noRow;
    uint64_t rowLatest_ = noRow;
    int lastSpeed_ = 0;
    int lastTempo_ = 0;
    float scratch_[silentChunkFrames * 2];
};

}  // namespace zuzor
