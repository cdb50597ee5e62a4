// A new module rebuilds the whole show state, since ticks, events and the random sequence
// from the start make the picture of any moment; a new image only replaces its texture.
#include "demo/data_reload.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "assets/tga_decode.h"
#include "assets/tga_upload.h"
#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "base/trace.h"
#include "demo/data_check.h"
#include "demo/demo_state.h"
#include "demo/live_jump.h"
#include "demo/maker_keys.h"
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

// No state of the show depends on an image's pixels: a new image replaces the texture in
// place, and the show goes on as it was.
bool replaceImage(TgaImage& image, const std::vector<uint8_t>& bytes) {
    TgaImage fresh;
    if (!decodeTga(bytes.data(), bytes.size(), fresh)) return false;
    uploadTga(fresh);
    if (image.texture != 0) glDeleteTextures(1, &image.texture);
    image = std::move(fresh);
    return true;
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

    const double startedMs = monotonicMs();
    std::vector<uint8_t> newModule;
    bool imageReplaced = false;
    for (size_t index : changed) {
        const DataFile& file = showDataFiles[index];
        const std::string path = std::string(dataFolder) + "/" + file.name;
        std::vector<uint8_t> bytes;
        std::string reason;
        if (!readWholeFile(path, bytes)) {
            reason = "cannot be read";
        } else if (checkDataBytes(file.kind, bytes, reason)) {
            DemoState& state = show.state();
            if (file.kind == DataKind::module)
                newModule = std::move(bytes);
            else
                imageReplaced |= replaceImage(
                    file.kind == DataKind::logo ? state.logo : state.warpScene.sprite, bytes);
            continue;
        }
        std::fprintf(stderr, "zuzor: %s: refused: %s; the show goes on with the one loaded\n",
                     path.c_str(), reason.c_str());
    }
    if (imageReplaced) {
        hooks.requestRedraw();
        traceLine("reload images at song %.3f s in %.1f ms",
                  double(heardNow(show.state().song.get(), 0)) / mixRate,
                  monotonicMs() - startedMs);
    }
    if (!newModule.empty()) rebuild(show, hooks, redraw, newModule);
}

void DataReload::rebuild(Show& show, ShellHooks& hooks, JumpRedraw& redraw,
                         std::vector<uint8_t>& newModule) {
    const double startedMs = monotonicMs();
    SongHandle song = std::move(show.state().song);
    SongHandle freshSong = loadSongFromMemory(newModule.data(), newModule.size());
    if (!freshSong) {  // changed again since the check: keep the old
        show.state().song = std::move(song);
        return;
    }
    module_ = std::move(newModule);

    beginAgainKeepingImages(show);
    DemoState& state = show.state();

    // The new show catches up with the sound without mixing it, while the old song plays on.
    std::string error;
    auto pass = SongRenderer::create(module_.data(), module_.size(), mixRate, true, error);
    pass->silence();
    SoundClockShow run(show, std::move(pass));
    run.draw(true);
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
    // The new module goes on from the moment reached, on the open output.
    stopSong(song.get());
    playSongFrom(freshSong.get(), audibleFrom(run.takeRenderer(), module_));
    state.song = std::move(freshSong);
    hooks.requestRedraw();
    traceLine("reload module at song %.3f s in %.1f ms", double(run.clock()) / mixRate,
              monotonicMs() - startedMs);
}

}  // namespace zuzor
