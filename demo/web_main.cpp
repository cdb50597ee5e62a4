// The show in a web page. The page's event loop calls the window edge back, as GLUT does
// natively, but nothing here waits: the opening scene is drawn at once and stays until the
// viewer's first click (the browser lets no sound start before one), the click starts the
// music and the ticks, and the end (Escape, the music's end event) stops the music and
// hands back to the page, which offers to play again. With `still` the page asks for
// pictures of the show at given moments instead, drawn on the sound's own clock as the
// offline capture draws them.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "base/host_path.h"
#include "base/trace.h"
#include "demo/demo_options.h"
#include "demo/demo_state.h"
#include "demo/effects_warm_up.h"
#include "demo/frame_loop.h"
#include "demo/live_jump.h"
#include "demo/screen_fit.h"
#include "demo/shell_hooks.h"
#include "demo/show.h"
#include "demo/show_seek.h"
#include "demo/start_up.h"
#include "platform/sound_output.h"
#include "platform/web/web_window.h"
#include "platform/window.h"
#include "sync/module_player.h"
#include "sync/song_renderer.h"

using namespace zuzor;

namespace {

constexpr unsigned char escapeKey = 27;
// The longest the idle callback waits for its next call between animation frames.
constexpr double longestWaitMs = 10.0;
// How often the start looks whether the sound output has opened.
constexpr double startUpPollMs = 2.0;

struct PageHooks final : ShellHooks {
    bool endRequested = false;
    void requestRedraw() override { requestRedisplay(); }
    // The end is taken once the tick that asked for it is over.
    void shutdown() override { endRequested = true; }
};

struct PageRun {
    DemoOptions options;
    Show show;
    PageHooks hooks;
    JumpRedraw jumpRedraw;
    ScreenFit screen;
    bool starting = false;  // the viewer clicked: the sound output is opening
    bool started = false;   // the music and the ticks run
    bool ended = false;
    bool pictureShown = false;
    // With --from: the song's renderer where the fast-forward left it, for the click.
    std::unique_ptr<SongRenderer> jumped;
};

PageRun run;

EM_JS(void, tellPage, (const char* what), {
    if (Module.zuzorPage) Module.zuzorPage(UTF8ToString(what));
});

std::vector<uint8_t> moduleBytes() {
    char path[4096];
    std::vector<uint8_t> bytes;
    if (toHostPath(moduleFile, path, sizeof path)) readWholeFile(path, bytes);
    return bytes;
}

// The jump to --from, before the click: the show run from its start with hidden draws up
// to the moment, as startShowAt does, its last frame to be drawn again as the first
// picture; the song starts from there with the click. The fast-forward takes seconds on
// the page's one thread, which the sound output must not spend waiting for it.
void fastForwardToFrom() {
    const std::vector<uint8_t> module = moduleBytes();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    if (!renderer) return;
    renderer->silence();
    SoundClockShow jump(run.show, std::move(renderer));
    jump.draw(true);
    const uint64_t frame = uint64_t(run.options.fromSeconds * mixRate + 0.5);
    if (!jump.fastForward(frame)) return;
    run.jumpRedraw = {true, jump.randomBeforeLastDraw()};
    run.jumped = audibleFrom(jump.takeRenderer(), module);
}

// A fresh show up to its first picture: the state, the fixed GL state, the song and the
// logo, and the start-up line (or the failure message) on the console.
void prepareShow() {
    run.hooks = {};
    run.jumpRedraw = {};
    run.jumped.reset();
    SceneStart start;
    start.warmUp = false;
    start.onSongClock = run.options.hasFrom;
    run.show.begin(start);
    if (run.options.hasFrom && run.show.state().song) fastForwardToFrom();
    run.ended = false;
    requestRedisplay();
}

void endShow() {
    stopMusic(run.show.state());
    closeWindow();
    run.started = false;
    run.ended = true;
    tellPage("ended");
}

// The rest of the start once the sound output has opened: the music from the start of the
// song, or the jump to --from, and with them the ticks.
void finishStarting() {
    run.starting = false;
    DemoState& state = run.show.state();
    if (run.options.hasFrom) {
        // The ticks go on from the song clock's phase, on the run's clock.
        state.timer.continueOn(nullptr);
        if (!run.jumped) {
            // The show ends before --from, or there is no song.
            if (state.song) {
                endShow();
                return;
            }
            playSong(state.song.get());
        } else {
            playSongFrom(state.song.get(), std::move(run.jumped));
        }
    } else {
        finishStartUp(state);
    }
    run.started = true;
    requestRedisplay();
}

void onIdle() {
    serviceSoundOutput();
    if (run.starting) {
        // The opening is background work on this same thread: look again shortly.
        if (soundOutputOpening()) {
            wakeIdleIn(startUpPollMs);
            return;
        }
        finishStarting();
    }
    if (!run.started) return;
    if (run.hooks.endRequested) {
        endShow();
        return;
    }
    idleStep(run.show.state(), run.hooks);
    if (run.hooks.endRequested) {
        endShow();
        return;
    }
    wakeIdleIn(idleWaitMs(run.show.state(), longestWaitMs));
}

void onDisplay() {
    run.screen.beginFrame();
    DemoState& state = run.show.state();
    if (!drawAfterJump(state, run.jumpRedraw)) displayStep(state, run.hooks);
    run.screen.endFrame();
    if (!run.pictureShown) {
        run.pictureShown = true;
        tellPage("first picture");
    }
}

void onReshape(int width, int height) {
    run.screen.resize(width, height);
}

void onKeyboard(unsigned char key) {
    if (key == escapeKey && run.started) run.hooks.endRequested = true;
}

// Pictures of the show at the given moments (seconds), each handed to the page as soon as
// it is drawn: the show on the sound's clock, fast-forwarded from one moment to the next.
void beginOnSongClock() {
    SceneStart start;
    start.onSongClock = true;
    start.viewportWidth = webCanvasWidth;
    start.viewportHeight = webCanvasHeight;
    run.show.begin(start);
}

void drawStills(const std::vector<double>& moments, int timedDraws) {
    beginOnSongClock();
    const std::vector<uint8_t> module = moduleBytes();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, false, error);
    if (!renderer) {
        tellPage("stills failed");
        return;
    }
    SoundClockShow show(run.show, std::move(renderer));
    show.draw(false);
    for (double seconds : moments) {
        if (!show.fastForward(uint64_t(seconds * mixRate + 0.5))) break;
        if (show.lastDrawHidden()) show.redrawLast();
        showDrawnPicture();
        char what[64];
        std::snprintf(what, sizeof what, "still %g", seconds);
        tellPage(what);
        if (timedDraws > 0) {
            // The same frame again, each draw waited for: the draw time of this scene.
            waitForDrawnPicture();
            const double startMs = monotonicMs();
            for (int i = 0; i < timedDraws; ++i) {
                show.redrawLast();
                waitForDrawnPicture();
            }
            std::snprintf(what, sizeof what, "draw %g %.3f", seconds,
                          (monotonicMs() - startMs) / timedDraws);
            tellPage(what);
        }
    }
    tellPage("stills done");
}

// The whole show on the sound's clock with every frame drawn in full and waited for, as
// the capture's --profile runs it: the draw time per frame, handed to the page.
void profileShow() {
    beginOnSongClock();
    const std::vector<uint8_t> module = moduleBytes();
    std::string error;
    auto renderer = SongRenderer::create(module.data(), module.size(), mixRate, false, error);
    if (!renderer) {
        tellPage("profile failed");
        return;
    }
    SoundClockShow show(run.show, std::move(renderer));
    std::vector<float> drawMs;
    drawMs.reserve(4096);
    auto timedDraw = [&] {
        const double startMs = monotonicMs();
        show.draw(false);
        waitForDrawnPicture();
        drawMs.push_back(float(monotonicMs() - startMs));
    };
    timedDraw();
    for (bool over = false; !over;) {
        show.renderChunk();
        while (show.clock() < show.chunkEnd()) {
            const SoundClockShow::Step step = show.advance();
            if (step.quit) {
                over = true;
                break;
            }
            if (step.redraw) timedDraw();
        }
    }
    std::sort(drawMs.begin(), drawMs.end());
    double sum = 0.0;
    for (float ms : drawMs) sum += ms;
    char what[160];
    std::snprintf(what, sizeof what, "profile %zu frames p50 %.2f p99 %.2f max %.2f mean %.2f",
                  drawMs.size(), drawMs[drawMs.size() / 2], drawMs[drawMs.size() * 99 / 100],
                  drawMs.back(), sum / double(drawMs.size()));
    tellPage(what);
}

}  // namespace

// The page's `profile` mode.
extern "C" EMSCRIPTEN_KEEPALIVE void zuzor_web_profile() {
    profileShow();
}

// The viewer's click (or the page's "play again"): the music and the ticks start.
extern "C" EMSCRIPTEN_KEEPALIVE void zuzor_web_start() {
    if (run.started || run.starting) return;
    if (run.ended) prepareShow();
    DemoState& state = run.show.state();
    if (run.options.hasFrom) {
        beginOpeningSoundOutput(mixRate);
    } else {
        // The ticks start with the music, however long the page waited for the click.
        state.timer.start();
        beginStartUp(state);
    }
    run.starting = true;
    onIdle();
}

// The page saw the viewer leave (full screen left): the show ends as on Escape.
extern "C" EMSCRIPTEN_KEEPALIVE void zuzor_web_stop() {
    if (run.started) run.hooks.endRequested = true;
}

// The page's `still` mode: comma-separated seconds; with `timedDraws`, each still is drawn
// that many times more and the mean draw time handed to the page.
extern "C" EMSCRIPTEN_KEEPALIVE void zuzor_web_stills(const char* list, int timedDraws) {
    std::vector<double> moments;
    for (const char* p = list; *p;) {
        char* end = nullptr;
        const double seconds = std::strtod(p, &end);
        if (end == p) break;
        moments.push_back(seconds);
        p = *end == ',' ? end + 1 : end;
    }
    drawStills(moments, timedDraws);
}

int main(int argc, char** argv) {
    std::string error;
    if (!parseDemoOptions(argc, argv, run.options, error)) {
        std::fprintf(stderr, "zuzor: %s\n", error.c_str());
        run.options = {};
    }
    openTraceFromEnvironment();
    OutputOptions sound = outputOptionsFromEnvironment();
    sound.mute = run.options.mute;
    configureSoundOutput(sound);
    int windowArgc = 1;
    openWindow(windowArgc, argv, {onDisplay, onIdle, onKeyboard, onReshape}, true);
    if (EM_ASM_INT({ return Module.zuzorStillMode ? 1 : 0; })) {
        tellPage("ready");
        return 0;
    }
    prepareShow();
    tellPage("ready");
    runMainLoop();
}
