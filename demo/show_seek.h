// The show on the sound's own clock, and the fast-forward through it. The module is rendered
// chunk by chunk; the clock then moves one audio frame at a time: the events whose row has
// started apply, the idle body runs, and a requested redraw draws one frame, as GLUT draws
// once for any number of requests. The offline capture runs the whole show this way; a
// fast-forward (the demo's --from and its reload, the capture before --from) runs it with
// hidden draws, so ticks, events and the random sequence advance exactly as in a full run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/random_sequence.h"
#include "demo/shell_hooks.h"
#include "sync/song_renderer.h"

namespace zuzor {

class Show;

class SoundClockShow final : SyncEventSink {
  public:
    static constexpr size_t chunkFrames = SongRenderer::chunkFrames;
    static constexpr size_t longestChunk = SongRenderer::silentChunkFrames;
    // Within this distance of a fast-forward's target every draw is made in full. Every tick
    // draws, and ticks come at most one tick length (2207 frames) apart, so the last frame
    // drawn before the target is always a full one.
    static constexpr uint64_t fullDrawSpan = 2 * 2207;

    // `show` as begun on its song clock; `renderer` at the song's start, playing it over and
    // over as the player does. The clock moves the show's song clock.
    SoundClockShow(Show& show, std::unique_ptr<SongRenderer> renderer);

    // Renders the next `frames` (at most the renderer's chunk length) of sound; the clock
    // then moves through them.
    void renderChunk(size_t frames = chunkFrames);
    const float* chunkSound() const { return chunk_; }
    uint64_t chunkStart() const { return chunkStart_; }
    uint64_t chunkEnd() const { return chunkEnd_; }
    uint64_t clock() const { return clock_; }
    // A quit event (Z64) has been applied.
    bool quitEventSeen() const { return quitEventSeen_; }

    struct Step {
        bool ticked = false;
        bool quit = false;    // the tick acted on the quit event: the show ends here
        bool redraw = false;  // a frame is due now
    };
    // One audio frame on, inside the rendered chunk.
    Step advance();

    // Draws the frame, in full or hidden.
    void draw(bool hidden);
    bool lastDrawHidden() const { return lastDrawHidden_; }
    // The random sequence as it stood when the last frame was drawn.
    const RandomSequence& randomBeforeLastDraw() const { return randomBeforeLastDraw_; }
    // The last frame drawn, drawn again in full with the random numbers it took: for the
    // window's first picture after a jump.
    void redrawLast();

    // Runs the show with hidden draws up to `frame`, the last chunk cut to end there. False
    // when the show ends before.
    bool fastForward(uint64_t frame);

    // The renderer, standing at chunkEnd(), for the player to go on from.
    std::unique_ptr<SongRenderer> takeRenderer() { return std::move(renderer_); }

  private:
    struct Hooks final : ShellHooks {
        bool redraw = false;
        bool quit = false;
        // The demo ends inside the tick, before its redraw request.
        void requestRedraw() override { redraw = !quit; }
        void shutdown() override { quit = true; }
    };
    void onEvent(const SyncEvent& event) override { events_.push_back(event); }
    // The next frame, up to `limit`, at which the show can change.
    uint64_t nextBusyFrame(uint64_t limit) const;
    // A tick is due once more than 50 ms of the song have passed since the last (2205
    // frames); a few frames less are certainly quiet.
    static constexpr uint64_t quietFramesAfterTick = 2200;

    Show& show_;
    std::unique_ptr<SongRenderer> renderer_;
    Hooks hooks_;
    std::vector<SyncEvent> events_;  // of the chunk, in the order playback reached them
    size_t nextEvent_ = 0;
    float chunk_[longestChunk * 2] = {};
    uint64_t chunkStart_ = 0;
    uint64_t chunkEnd_ = 0;
    uint64_t clock_ = 0;
    uint64_t lastTickClock_ = 0;  // the show's timer starts with the song clock at 0
    bool quitEventSeen_ = false;
    bool lastDrawHidden_ = false;
    RandomSequence randomBeforeLastDraw_;
};

}  // namespace zuzor
