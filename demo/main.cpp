// The demo's entry point: the window edge's callbacks run the tick and frame bodies, and
// every way out (Escape, the music's end event, the window closed) leaves the same way.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/shell_hooks.h"
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

[[noreturn]] void shutdownDemo();

struct WindowHooks final : ShellHooks {
    bool redrawPending = false;
    void requestRedraw() override {
        redrawPending = true;
        requestRedisplay();
    }
    void shutdown() override { shutdownDemo(); }
};

// The demo's one run.
struct DemoRun {
    DemoState state;
    WindowHooks hooks;
};

DemoRun run;

void shutdownDemo() {
    stopMusic(run.state);
    closeWindow();
    std::exit(0);
}

void onIdle() {
    const bool ticked = idleStep(run.state, run.hooks);
    if (ticked || run.hooks.redrawPending) return;
    const double waitMs = idleWaitMs(run.state, longestWaitMs) - wakeEarlyMs;
    if (waitMs > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(waitMs));
}

void onDisplay() {
    run.hooks.redrawPending = false;
    displayStep(run.state, run.hooks);
}

void onKeyboard(unsigned char key) {
    if (key == escapeKey) shutdownDemo();
}

}  // namespace

int main(int argc, char** argv) {
    openTraceFromEnvironment();
    openWindow(argc, argv, {onDisplay, onIdle, onKeyboard});
    initScene(run.state);
    playSong(run.state.song.get());
    runMainLoop();
    // The window was closed from outside.
    shutdownDemo();
}
