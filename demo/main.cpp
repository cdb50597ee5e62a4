// The demo's entry point: the window edge's callbacks run the tick and frame bodies, and
// every way out (Escape, the music's end event, the window closed) leaves the same way.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/constants.h"
#include "base/file_bytes.h"
#include "base/host_path.h"
#include "base/trace.h"
#include "demo/data_reload.h"
#include "demo/demo_options.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/live_jump.h"
#include "demo/module_preload.h"
#include "demo/screen_fit.h"
#include "demo/shell_hooks.h"
#include "demo/show_clock.h"
#include "demo/start_up.h"
#include "platform/window.h"
#include "sync/module_player.h"

using namespace zuzor;

namespace {

constexpr unsigned char escapeKey = 27;

// Between ticks the main loop waits instead of spinning: it sleeps until shortly before the
// next tick or heard event is due and lets the toolkit's loop come round for the rest, so
// neither is late for the wait. Never longer than this, so keys are answered at once.
constexpr double longestWaitMs = 10.0;
constexpr double wakeEarlyMs = 0.5;
// A frame holds the main thread for its whole draw and swap (milliseconds on a software
// renderer), and an event heard meanwhile waits for it. So a frame is held back while an
// event is due before the frame would be done, and drawn right after the event: held at
// most this long, and never so long that the frame runs into the next tick.
constexpr double longestHoldMs = 15.0;
constexpr double tickRoomMs = 45.0;

[[noreturn]] void shutdownDemo();

struct WindowHooks final : ShellHooks {
    bool redrawPending = false;    // asked for and not drawn yet
    bool redisplayPosted = false;  // the toolkit was asked for it
    double redrawAskedAtMs = 0.0;
    void requestRedraw() override {
        if (!redrawPending) redrawAskedAtMs = monotonicMs();
        redrawPending = true;
    }
    void shutdown() override { shutdownDemo(); }
};

// The demo's one run.
struct DemoRun {
    DemoState state;
    WindowHooks hooks;
    JumpRedraw jumpRedraw;
    ScreenFit screen;
    std::unique_ptr<DataReload> reload;  // with --watch
    bool firstFrameShown = false;
    bool started = false;           // the start-up is complete (finishStartUp after a plain start)
    double displayStartedMs = 0.0;  // until the first idle call after the frame
    double frameMs = 0.0;           // recent frames' longest draw and swap, decaying
};

DemoRun run;

void shutdownDemo() {
    stopMusic(run.state);
    closeWindow();
    std::exit(0);
}

// Whether the pending frame waits for an event due before it would be done.
bool frameWaitsForEvent() {
    const double untilEvent = msUntilNextEvent(run.state.song.get());
    const double heldMs = monotonicMs() - run.hooks.redrawAskedAtMs;
    const double holdAtMostMs = std::min(longestHoldMs, tickRoomMs - run.frameMs);
    return untilEvent < run.frameMs && heldMs + untilEvent <= holdAtMostMs;
}

void onIdle() {
    if (run.displayStartedMs > 0.0) {
        const double lastMs = monotonicMs() - run.displayStartedMs;
        run.frameMs = std::max(lastMs, run.frameMs * 0.9);
        run.displayStartedMs = 0.0;
    }
    // A plain start puts its first frame on screen before the rest of its start-up.
    if (!run.started) {
        if (!run.firstFrameShown) return;
        finishStartUp(run.state);
        run.started = true;
    }
    if (run.reload) run.reload->poll(run.state, run.hooks, run.jumpRedraw);
    const bool ticked = idleStep(run.state, run.hooks);
    WindowHooks& hooks = run.hooks;
    if (hooks.redrawPending && !hooks.redisplayPosted) {
        if (!frameWaitsForEvent()) {
            hooks.redisplayPosted = true;
            requestRedisplay();
            return;
        }
    } else if (ticked || hooks.redrawPending) {
        return;
    }
    const double waitMs = idleWaitMs(run.state, longestWaitMs) - wakeEarlyMs;
    if (waitMs > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(waitMs));
}

void onDisplay() {
    run.hooks.redrawPending = false;
    run.hooks.redisplayPosted = false;
    run.displayStartedMs = monotonicMs();
    run.screen.beginFrame();
    if (!drawAfterJump(run.state, run.jumpRedraw)) displayStep(run.state, run.hooks);
    run.screen.endFrame();
    run.firstFrameShown = true;
}

void onReshape(int width, int height) {
    run.screen.resize(width, height);
}

void onKeyboard(unsigned char key) {
    if (key == escapeKey) shutdownDemo();
}

std::vector<uint8_t> moduleBytes() {
    char path[4096];
    std::vector<uint8_t> bytes;
    if (toHostPath(moduleFile, path, sizeof path)) readWholeFile(path, bytes);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    std::string error;
    if (!parseDemoOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zuzor: %s\n%s", error.c_str(), demoUsage);
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? demoUsage : demoVersionLine, stdout);
        return 0;
    }
    openTraceFromEnvironment();
    if (options.mute) muteSoundOutput();
    traceLine("start process");
    // The module loads while the window opens; initScene takes it.
    beginLoadingModule();
    int windowArgc = 1;
    openWindow(windowArgc, argv, {onDisplay, onIdle, onKeyboard, onReshape}, !options.window);
    traceLine("start window");
    // A jump runs the show from its start on the show clock before the run's clock takes over.
    SceneStart start;
    if (options.hasFrom) {
        setShowClock(0);
        start.clock = &showTimeSource();
    } else {
        // The first frame comes first; the warm-up and the music follow it (onIdle).
        start.warmUp = false;
    }
    initScene(run.state, start);
    std::vector<uint8_t> module = run.state.song && (options.hasFrom || options.watch)
                                      ? moduleBytes()
                                      : std::vector<uint8_t>{};
    if (options.hasFrom && run.state.song) {
        const uint64_t frame = uint64_t(options.fromSeconds * mixRate + 0.5);
        if (!startShowAt(run.state, module, frame, run.jumpRedraw)) shutdownDemo();
        run.started = true;
    } else if (options.hasFrom) {
        keepPhaseOnRunClock(run.state.timer);
        playSong(run.state.song.get());
        run.started = true;
    }
    if (options.watch) run.reload = std::make_unique<DataReload>(std::move(module));
    runMainLoop();
    // The window was closed from outside.
    shutdownDemo();
}
