// The player: songs rendered on the audio thread, their events queued lock-free with the
// output frame at which their row starts, and pulled by the main thread once that frame
// is heard.
#include "sync/module_player.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "base/host_path.h"
#include "base/trace.h"
#include "platform/sound_output.h"
#include "sync/song_renderer.h"
#include "sync/spsc_queue.h"

namespace zuzor {

namespace {

constexpr size_t queueCapacity = 4096;

struct QueuedEvent {
    SyncEvent event;
    uint64_t outputFrame;
};

}  // namespace

struct Song final : SyncEventSink {
    std::vector<uint8_t> bytes;  // kept to start again from scratch on a later play
    std::unique_ptr<SongRenderer> renderer;
    SpscQueue<QueuedEvent> queue{queueCapacity};
    bool playing = false;  // main thread

    uint64_t startFrame = 0;  // the song frame playback starts from

    // Audio thread while attached; `based` tells the main thread that outputBase is set.
    bool started = false;
    uint64_t outputBase = 0;  // the output frame of song frame 0 (wraps below F)
    std::atomic<bool> based{false};
    std::atomic<uint32_t> dropped{0};

    void onEvent(const SyncEvent& event) override {
        if (!queue.push({event, outputBase + event.frame}))
            dropped.fetch_add(1, std::memory_order_relaxed);
    }
};

namespace {

// The song the audio thread renders, and a flag it raises while it uses it: together
// they let the main thread take a song away without a lock on the audio side.
struct Player {
    std::atomic<Song*> attached{nullptr};
    std::atomic<bool> filling{false};
    OutputOptions options;  // main thread
};

Player player;

void fillOutput(float* out, size_t frames, uint64_t firstFrame) {
    player.filling.store(true);
    Song* song = player.attached.load();
    if (song) {
        if (!song->started) {
            song->started = true;
            song->outputBase = firstFrame - song->startFrame;
            song->based.store(true, std::memory_order_release);
        }
        song->renderer->render(out, frames, *song);
    } else if (out) {
        for (size_t i = 0; i < frames * 2; ++i) out[i] = 0.0f;
    }
    player.filling.store(false);
}

void detach(Song* song) {
    Song* expected = song;
    if (!player.attached.compare_exchange_strong(expected, nullptr)) return;
    while (player.filling.load()) std::this_thread::yield();
}

void dropQueued(Song* song) {
    while (song->queue.front()) song->queue.pop();
}

std::unique_ptr<SongRenderer> makeRenderer(const std::vector<uint8_t>& bytes, std::string& error) {
    return SongRenderer::create(bytes.data(), bytes.size(), mixRate, true, error);
}

}  // namespace

void SongRelease::operator()(Song* song) const {
    freeSong(song);
}

bool openSoundOutput(int rate) {
    awaitSoundOutput();
    return openOutput(rate, fillOutput, player.options).kind == OutputKind::device;
}

void configureSoundOutput(const OutputOptions& options) {
    player.options = options;
}

void beginOpeningSoundOutput(int rate) {
    beginOpeningOutput(rate, fillOutput, player.options);
}

bool soundOutputOpening() {
    serviceOutput();
    return outputOpening();
}

void awaitSoundOutput() {
    while (outputOpening()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        serviceOutput();
    }
}

void serviceSoundOutput() {
    serviceOutput();
}

SongHandle loadSongFromMemory(const uint8_t* data, size_t size) {
    if (!data) return nullptr;
    SongHandle song(new Song());
    song->bytes.assign(data, data + size);
    std::string error;
    song->renderer = makeRenderer(song->bytes, error);
    if (!song->renderer) return nullptr;
    return song;
}

SongHandle loadSong(const char* path) {
    char hostPath[4096];
    if (!path || !toHostPath(path, hostPath, sizeof hostPath)) return nullptr;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(hostPath, bytes)) return nullptr;
    return loadSongFromMemory(bytes.data(), bytes.size());
}

namespace {

void attach(Song* song, std::unique_ptr<SongRenderer> renderer) {
    awaitSoundOutput();
    if (outputInfo().kind == OutputKind::closed) openSoundOutput(mixRate);
    Song* other = player.attached.load();
    if (other) stopSong(other);
    if (renderer) song->renderer = std::move(renderer);
    dropQueued(song);
    song->startFrame = song->renderer->framesRendered();
    song->started = false;
    song->based.store(false);
    song->playing = true;
    player.attached.store(song);
}

}  // namespace

void playSong(Song* song) {
    if (!song || song->playing) return;
    std::unique_ptr<SongRenderer> fresh;
    if (song->renderer->framesRendered() > 0) {
        std::string error;
        fresh = makeRenderer(song->bytes, error);
        if (!fresh) return;
    }
    attach(song, std::move(fresh));
}

void playSongFrom(Song* song, std::unique_ptr<SongRenderer> positioned) {
    if (!song || !positioned) return;
    stopSong(song);
    attach(song, std::move(positioned));
}

bool heardSongFrame(Song* song, uint64_t& frame) {
    if (!song || !song->playing || !song->based.load(std::memory_order_acquire)) return false;
    // Before the first handed-over frame is heard the song still stands at its start.
    const int64_t heard = heardFrame() - int64_t(song->outputBase);
    frame = std::max<uint64_t>(song->startFrame, uint64_t(std::max<int64_t>(heard, 0)));
    return true;
}

void stopSong(Song* song) {
    if (!song || !song->playing) return;
    detach(song);
    dropQueued(song);
    song->playing = false;
}

void freeSong(Song* song) {
    if (!song) return;
    stopSong(song);
    delete song;
}

void closeSoundOutput() {
    Song* song = player.attached.load();
    if (song) stopSong(song);
    closeOutput();
}

double msUntilNextEvent(Song* song) {
    constexpr double nothingQueued = 1e9;
    if (!song || !song->playing) return nothingQueued;
    const QueuedEvent* queued = song->queue.front();
    if (!queued) return nothingQueued;
    const int64_t ahead = int64_t(queued->outputFrame) - heardFrame();
    return ahead <= 0 ? 0.0 : double(ahead) * 1000.0 / outputInfo().rate;
}

bool pollHeardEvent(Song* song, HeardEvent& heard) {
    if (!song || !song->playing) return false;
    // Serviced on every poll, also with nothing queued: the output notices here that its
    // stream stopped, which is exactly when nothing new is queued any more.
    serviceOutput();
    const int64_t heardFrameNow = heardFrame();
    const QueuedEvent* queued = song->queue.front();
    if (!queued) {
        const uint32_t dropped = song->dropped.exchange(0, std::memory_order_relaxed);
        if (dropped) traceLine("sync queue full: %u events dropped", dropped);
        return false;
    }
    if (int64_t(queued->outputFrame) > heardFrameNow) return false;
    const double now = monotonicMs();
    const double rate = outputInfo().rate;
    heard = {queued->event.code, queued->outputFrame, queued->event.frame,
             now - double(heardFrameNow - int64_t(queued->outputFrame)) * 1000.0 / rate, now};
    song->queue.pop();
    return true;
}

}  // namespace zuzor
