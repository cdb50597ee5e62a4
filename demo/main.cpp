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
#include "demo/maker_keys.h"
#include "demo/module_preload.h"
#include "demo/screen_fit.h"
#include "demo/shell_hooks.h"
#include "demo/show.h"
#include "demo/start_up.h"
#include "platform/window.h"
#include "sync/module_player.h"

using namespace zuzor;

namespace {

constexpr unsigned char escapeKey = 27;
// The start-up goes on without its first frame this long after the main loop's first turn:
// the toolkit draws no window that is not visible (iconified, unmapped).
constexpr double firstFrameWaitMs = 250.0;
// While the start-up waits for the search for a sound device, the loop looks this often.
constexpr double startUpPollMs = 2.0;

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
    Show show;
    WindowHooks hooks;
    JumpRedraw jumpRedraw;
    ScreenFit screen;
    std::unique_ptr<DataReload> reload;  // with --watch
    MakerKeys keys;                      // with --watch
    double windowOpenedMs = -1.0;        // the main loop's first turn
    bool firstFrameShown = false;
    bool startUpBegun = false;      // beginStartUp ran
    bool started = false;           // the start-up is complete (finishStartUp after a plain start)
    double displayStartedMs = 0.0;  // until the first idle call after the frame
    double frameMs = 0.0;           // recent frames' longest draw and swap, decaying
};

DemoRun run;

void shutdownDemo() {
    stopMusic(run.show.state());
    closeWindow();
    std::exit(0);
}

void pauseMs(double ms) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

// A plain start puts its first frame on screen (or waits a little for it) before the rest
// of its start-up; the music waits for the search for a sound device, Escape does not.
bool startUpDone() {
    if (run.windowOpenedMs < 0.0) run.windowOpenedMs = monotonicMs();
    if (!run.firstFrameShown && monotonicMs() - run.windowOpenedMs < firstFrameWaitMs) {
        pauseMs(startUpPollMs);
        return false;
    }
    if (!run.startUpBegun) {
        beginStartUp(run.show.state());
        run.startUpBegun = true;
    }
    if (soundOutputOpening()) {
        pauseMs(startUpPollMs);
        return false;
    }
    finishStartUp(run.show.state());
    run.started = true;
    return true;
}

// Whether the pending frame waits for an event due before it would be done.
bool frameWaitsForEvent() {
    const double untilEvent = msUntilNextEvent(run.show.state().song.get());
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
    serviceSoundOutput();
    if (!run.started && !startUpDone()) return;
    if (run.keys.paused()) {
        pauseMs(longestWaitMs);
        return;
    }
    if (run.reload) run.reload->poll(run.show, run.hooks, run.jumpRedraw);
    const bool ticked = idleStep(run.show.state(), run.hooks);
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
    const double waitMs = idleWaitMs(run.show.state(), longestWaitMs) - wakeEarlyMs;
    if (waitMs > 0.0) pauseMs(waitMs);
}

void onDisplay() {
    run.hooks.redrawPending = false;
    run.hooks.redisplayPosted = false;
    run.displayStartedMs = monotonicMs();
    run.screen.beginFrame();
    DemoState& state = run.show.state();
    if (!drawAfterJump(state, run.jumpRedraw)) displayStep(state, run.hooks);
    run.screen.endFrame();
    run.firstFrameShown = true;
}

void onReshape(int width, int height) {
    run.screen.resize(width, height);
}

void pressMakerKey(MakerKey key) {
    // Keys move the show only once it runs, and only for a maker (--watch).
    if (!run.reload || !run.started) return;
    run.keys.press(key, run.show, run.hooks, run.jumpRedraw, run.reload->module());
}

void onKeyboard(unsigned char key) {
    if (key == escapeKey) shutdownDemo();
    if (key == ' ') pressMakerKey(MakerKey::pause);
}

void onSpecial(SpecialKey key) {
    if (key == SpecialKey::right) pressMakerKey(MakerKey::forward);
    if (key == SpecialKey::left) pressMakerKey(MakerKey::back);
    if (key == SpecialKey::home) pressMakerKey(MakerKey::start);
}

std::vector<uint8_t> moduleBytes() {
    char path[4096];
    std::vector<uint8_t> bytes;
    if (toHostPath(moduleFile, path, sizeof path)) readWholeFile(path, bytes);
    return bytes;
}

// The toolkit gets every argument that is not the demo's; what it does not take either is
// named and otherwise ignored.
void openDemoWindow(char* program, const DemoOptions& options) {
    std::vector<char*> args{program};
    for (const char* other : options.others) args.push_back(const_cast<char*>(other));
    args.push_back(nullptr);
    int argc = int(args.size()) - 1;
    openWindow(argc, args.data(), {onDisplay, onIdle, onKeyboard, onReshape, onSpecial},
               !options.window);
    if (argc <= 1) return;
    std::string ignored;
    for (int i = 1; i < argc; ++i) ignored += std::string(" ") + args[size_t(i)];
    std::fprintf(stderr, "zuzor: unknown option%s%s ignored\n", argc > 2 ? "s" : "",
                 ignored.c_str());
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
    OutputOptions sound = outputOptionsFromEnvironment();
    sound.mute = options.mute;
    configureSoundOutput(sound);
    traceLine("start process");
    // The module loads while the window opens; the show's start takes it.
    beginLoadingModule();
    openDemoWindow(argv[0], options);
    traceLine("start window");
    // A jump runs the show from its start on the show clock before the run's clock takes over.
    SceneStart start;
    if (options.hasFrom) {
        start.onSongClock = true;
    } else {
        // The first frame comes first; the warm-up and the music follow it (onIdle).
        start.warmUp = false;
    }
    run.show.begin(start);
    DemoState& state = run.show.state();
    std::vector<uint8_t> module =
        state.song && (options.hasFrom || options.watch) ? moduleBytes() : std::vector<uint8_t>{};
    if (options.hasFrom && state.song) {
        const uint64_t frame = uint64_t(options.fromSeconds * mixRate + 0.5);
        if (!startShowAt(run.show, module, frame, run.jumpRedraw)) shutdownDemo();
        run.started = true;
    } else if (options.hasFrom) {
        state.timer.continueOn(nullptr);
        playSong(state.song.get());
        run.started = true;
    }
    if (options.watch) run.reload = std::make_unique<DataReload>(std::move(module));
    runMainLoop();
    // The window was closed from outside.
    shutdownDemo();
}
