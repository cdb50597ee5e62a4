// Pausing stops the song where it is heard; playing on is a jump to that moment, so pause,
// moves and the reload all go through one way to reach a moment of the show.
#include "demo/maker_keys.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "base/constants.h"
#include "demo/demo_state.h"
#include "demo/live_jump.h"
#include "demo/shell_hooks.h"
#include "demo/show.h"
#include "sync/module_player.h"

namespace zuzor {

namespace {

void sayMoment(const char* what, uint64_t frame) {
    const uint64_t tenths = frame * 10 / mixRate;
    std::fprintf(stderr, "zuzor: %s %u:%02u.%u\n", what, unsigned(tenths / 600),
                 unsigned(tenths / 10 % 60), unsigned(tenths % 10));
}

uint64_t heardNow(const Show& show) {
    uint64_t frame = 0;
    heardSongFrame(show.state().song.get(), frame);
    return frame;
}

}  // namespace

void beginAgainKeepingImages(Show& show) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    TgaImage logo = std::move(show.state().logo);
    TgaImage sprite = std::move(show.state().warpScene.sprite);
    SceneStart start;
    start.onSongClock = true;
    start.warmUp = false;  // the GL built its variants at the demo's start
    start.viewportWidth = viewport[2];
    start.viewportHeight = viewport[3];
    start.music = false;
    show.begin(start);
    // The images in use stay: the sprite the scene's start loaded again goes.
    DemoState& state = show.state();
    state.logo = std::move(logo);
    if (state.warpScene.sprite.texture != 0) glDeleteTextures(1, &state.warpScene.sprite.texture);
    state.warpScene.sprite = std::move(sprite);
}

bool beginAgainWithModule(Show& show, const std::vector<uint8_t>& module) {
    SongHandle song = loadSongFromMemory(module.data(), module.size());
    if (!song) return false;
    beginAgainKeepingImages(show);
    show.state().song = std::move(song);
    return true;
}

void MakerKeys::press(MakerKey key, Show& show, ShellHooks& hooks, JumpRedraw& redraw,
                      const std::vector<uint8_t>& module) {
    if (module.empty()) return;
    const uint64_t now = paused_ ? pausedAt_ : heardNow(show);
    if (key == MakerKey::pause && !paused_) {
        stopSong(show.state().song.get());
        paused_ = true;
        pausedAt_ = now;
        sayMoment("paused at", now);
        return;
    }
    const int64_t step = int64_t(moveSeconds * mixRate);
    uint64_t target = now;
    if (key == MakerKey::forward) target = now + uint64_t(step);
    if (key == MakerKey::back) target = uint64_t(std::max<int64_t>(0, int64_t(now) - step));
    if (key == MakerKey::start) target = 0;
    paused_ = false;
    stopSong(show.state().song.get());
    if (!beginAgainWithModule(show, module) || !startShowAt(show, module, target, redraw)) {
        hooks.shutdown();  // the show ends before that moment, as a --from past its end
        return;
    }
    sayMoment(key == MakerKey::pause ? "playing from" : "at", target);
    hooks.requestRedraw();
}

}  // namespace zuzor
