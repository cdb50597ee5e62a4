// A reload rebuilds the whole show state, since ticks, events and the random sequence from
// the start make the picture of any moment; images that no longer load are carried over.
#include "demo/data_reload.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "base/trace.h"
#include "demo/data_check.h"
#include "demo/demo_state.h"
#include "demo/live_jump.h"
#include "demo/shell_hooks.h"
#include "demo/show.h"
#include "demo/show_seek.h"
#include "demo/sync_events.h"
#include "sync/module_player.h"
#include "sync/song_renderer.h"

namespace zuzor {

namespace {

std::vector<std::string> watchedPaths() {
    std::vector<std::string> paths;
    for (const DataFile& file : showDataFiles)
        paths.push_back(std::string(dataFolder) + "/" + file.name);
    return paths;
}

// The fresh state's image when it loaded, else the old one; the loser's texture goes.
void keepLoadedImage(TgaImage& fresh, TgaImage& old) {
    if (fresh.texture == 0 && old.texture != 0) {
        fresh = std::move(old);
        return;
    }
    if (old.texture != 0) glDeleteTextures(1, &old.texture);
}

uint64_t heardNow(Song* song, uint64_t otherwise) {
    uint64_t frame = otherwise;
    heardSongFrame(song, frame);
    return frame;
}

}  // namespace

DataReload::DataReload(std::vector<uint8_t> module)
    : watch_(watchedPaths()), module_(std::move(module)) {}

void DataReload::poll(Show& show, ShellHooks& hooks, JumpRedraw& redraw) {
    const std::vector<size_t> changed = watch_.poll();
    if (changed.empty()) return;

    bool accepted = false;
    std::vector<uint8_t> newModule;
    for (size_t index : changed) {
        const DataFile& file = showDataFiles[index];
        const std::string path = std::string(dataFolder) + "/" + file.name;
        std::vector<uint8_t> bytes;
        std::string reason;
        if (!readWholeFile(path, bytes)) {
            reason = "cannot be read";
        } else if (checkDataBytes(file.kind, bytes, reason)) {
            accepted = true;
            if (file.kind == DataKind::module) newModule = std::move(bytes);
            continue;
        }
        std::fprintf(stderr, "zuzor: %s: refused: %s; the show goes on with the one loaded\n",
                     path.c_str(), reason.c_str());
    }
    if (accepted) rebuild(show, hooks, redraw, newModule.empty() ? nullptr : &newModule);
}

void DataReload::rebuild(Show& show, ShellHooks& hooks, JumpRedraw& redraw,
                         std::vector<uint8_t>* newModule) {
    const double startedMs = monotonicMs();
    const bool moduleChanged = newModule != nullptr;
    SongHandle song = std::move(show.state().song);
    SongHandle freshSong;
    if (newModule) {
        freshSong = loadSongFromMemory(newModule->data(), newModule->size());
        if (!freshSong) newModule = nullptr;  // changed again since the check: keep the old
    }
    if (newModule) module_ = std::move(*newModule);
    if (module_.empty()) {
        show.state().song = std::move(song);
        return;
    }

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    TgaImage oldLogo = std::move(show.state().logo);
    TgaImage oldSprite = std::move(show.state().warpScene.sprite);
    SceneStart start;
    start.onSongClock = true;
    start.warmUp = false;  // the GL built its variants at the demo's start
    start.viewportWidth = viewport[2];
    start.viewportHeight = viewport[3];
    start.music = false;
    start.logo = true;
    show.begin(start);
    DemoState& state = show.state();
    keepLoadedImage(state.logo, oldLogo);
    keepLoadedImage(state.warpScene.sprite, oldSprite);

    std::string error;
    SoundClockShow run(show,
                       SongRenderer::create(module_.data(), module_.size(), mixRate, true, error));
    run.draw(true);
    // The sound plays on while the show catches up with it.
    bool running = true;
    for (uint64_t heard = heardNow(song.get(), 0);
         running && heard > run.clock() + SoundClockShow::chunkFrames;
         heard = heardNow(song.get(), heard))
        running = run.fastForward(heard);
    if (!running) {
        state.song = std::move(song);
        hooks.shutdown();
        return;
    }
    state.timer.continueOn(nullptr);
    redraw = {true, run.randomBeforeLastDraw()};

    if (freshSong) {
        // The new module goes on from the moment reached, on the open output.
        stopSong(song.get());
        song = std::move(freshSong);
        playSongFrom(song.get(), run.takeRenderer());
    } else {
        // The same song plays on: what it has queued and is heard by now, the fast-forward
        // has applied already.
        HeardEvent event;
        while (pollHeardEvent(song.get(), event))
            if (event.songFrame >= run.clock()) onSyncEvent(state, hooks, event.code);
    }
    state.song = std::move(song);
    hooks.requestRedraw();
    traceLine("reload %s at song %.3f s in %.1f ms", moduleChanged ? "module" : "images",
              double(run.clock()) / mixRate, monotonicMs() - startedMs);
}

}  // namespace zuzor
