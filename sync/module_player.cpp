// The player: songs rendered on the audio thread, their events queued lock-free with the
// output frame at which their row starts, and handed to the demo on the main thread
// once that frame is heard.
#include "sync/module_player.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "shell/host_path.h"
#include "shell/trace.h"
#include "sync/song_renderer.h"
#include "sync/sound_output.h"
#include "sync/spsc_queue.h"

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
    SyncHandler handler = nullptr;
    void* context = nullptr;
    bool playing = false;  // main thread

    // Audio thread while attached.
    bool started = false;
    uint64_t outputBase = 0;
    std::atomic<uint32_t> dropped{0};

    void onEvent(const SyncEvent& event) override {
        if (!queue.push({event, outputBase + event.frame}))
            dropped.fetch_add(1, std::memory_order_relaxed);
    }
};

namespace {

// The song the audio thread renders, and a flag it raises while it uses it: together
// they let the main thread take a song away without a lock on the audio side.
std::atomic<Song*> attached{nullptr};
std::atomic<bool> filling{false};

SyncDelivery delivery{};
bool delivering = false;

void fillOutput(float* out, size_t frames, uint64_t firstFrame) {
    filling.store(true);
    Song* song = attached.load();
    if (song) {
        if (!song->started) {
            song->started = true;
            song->outputBase = firstFrame;
        }
        song->renderer->render(out, frames, *song);
    } else if (out) {
        for (size_t i = 0; i < frames * 2; ++i) out[i] = 0.0f;
    }
    filling.store(false);
}

void detach(Song* song) {
    Song* expected = song;
    if (!attached.compare_exchange_strong(expected, nullptr)) return;
    while (filling.load()) std::this_thread::yield();
}

void dropQueued(Song* song) {
    while (song->queue.front()) song->queue.pop();
}

std::unique_ptr<SongRenderer> makeRenderer(const std::vector<uint8_t>& bytes, std::string& error) {
    return SongRenderer::create(bytes.data(), bytes.size(), 44100, true, error);
}

}  // namespace

bool openSoundOutput(int mixRate) {
    return openOutput(mixRate, fillOutput).kind == OutputKind::device;
}

Song* loadSongFromMemory(const uint8_t* data, size_t size) {
    if (!data) return nullptr;
    auto song = std::make_unique<Song>();
    song->bytes.assign(data, data + size);
    std::string error;
    song->renderer = makeRenderer(song->bytes, error);
    if (!song->renderer) return nullptr;
    return song.release();
}

Song* loadSong(const char* path) {
    char hostPath[4096];
    if (!path || !toHostPath(path, hostPath, sizeof hostPath)) return nullptr;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(hostPath, bytes)) return nullptr;
    return loadSongFromMemory(bytes.data(), bytes.size());
}

void setSyncHandler(Song* song, SyncHandler handler, void* context) {
    if (!song) return;
    song->handler = handler;
    song->context = context;
}

void playSong(Song* song) {
    if (!song || song->playing) return;
    if (outputInfo().kind == OutputKind::closed) openSoundOutput(44100);
    Song* other = attached.load();
    if (other) stopSong(other);
    if (song->renderer->framesRendered() > 0) {
        std::string error;
        auto fresh = makeRenderer(song->bytes, error);
        if (!fresh) return;
        song->renderer = std::move(fresh);
    }
    dropQueued(song);
    song->started = false;
    song->playing = true;
    attached.store(song);
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
    Song* song = attached.load();
    if (song) stopSong(song);
    closeOutput();
}

void deliverSyncEvents(Song* song) {
    if (!song || !song->playing || delivering) return;
    const int64_t heard = heardFrame();
    const int rate = outputInfo().rate;
    delivering = true;
    while (const QueuedEvent* queued = song->queue.front()) {
        if (int64_t(queued->outputFrame) > heard) break;
        const QueuedEvent event = *queued;
        song->queue.pop();
        const double now = traceNowMs();
        delivery = {event.outputFrame, event.event.frame,
                    now - double(heard - int64_t(event.outputFrame)) * 1000.0 / rate, now,
                    event.event.code};
        if (song->handler) song->handler(song->context, event.event.code);
        traceLine("sync Z%02X code %u frame %llu song %.3f s heard %.3f applied %.3f",
                  event.event.code, event.event.code, (unsigned long long)event.outputFrame,
                  double(event.event.frame) / rate, delivery.heardAtMs, delivery.appliedAtMs);
    }
    delivering = false;
    const uint32_t dropped = song->dropped.exchange(0, std::memory_order_relaxed);
    if (dropped) traceLine("sync queue full: %u events dropped", dropped);
}

const SyncDelivery* currentSyncDelivery() {
    return delivering ? &delivery : nullptr;
}
