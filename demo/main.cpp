// The demo's entry point: the window edge's callbacks run the tick and frame bodies, and
// every way out (Escape, the music's end event, the window closed) leaves the same way.
#include <cstdlib>

#include "base/trace.h"
#include "demo/demo_state.h"
#include "demo/frame_loop.h"
#include "demo/module_preload.h"
#include "demo/shell_hooks.h"
#include "demo/start_up.h"
#include "platform/window.h"
#include "sync/module_player.h"

using namespace zuzor;

namespace {

constexpr unsigned char escapeKey = 27;

[[noreturn]] void shutdownDemo();

struct WindowHooks final : ShellHooks {
    void requestRedraw() override { requestRedisplay(); }
    void shutdown() override { shutdownDemo(); }
};

// The demo's one run.
struct DemoRun {
    DemoState state;
    WindowHooks hooks;
    bool firstFrameShown = false;
    bool started = false;  // finishStartUp has run
};

DemoRun run;

void shutdownDemo() {
    stopMusic(run.state);
    closeWindow();
    std::exit(0);
}

// The show runs once its first frame is on screen and the rest of the start-up is done.
void onIdle() {
    if (!run.started) {
        if (!run.firstFrameShown) return;
        finishStartUp(run.state);
        run.started = true;
    }
    idleStep(run.state, run.hooks);
}

void onDisplay() {
    displayStep(run.state, run.hooks);
    run.firstFrameShown = true;
}

void onKeyboard(unsigned char key) {
    if (key == escapeKey) shutdownDemo();
}

}  // namespace

int main(int argc, char** argv) {
    openTraceFromEnvironment();
    traceLine("start process");
    // The module loads while the window opens; initScene takes it.
    beginLoadingModule();
    openWindow(argc, argv, {onDisplay, onIdle, onKeyboard});
    traceLine("start window");
    // The first frame comes first; the warm-up and the music follow it (onIdle).
    SceneStart start;
    start.warmUp = false;
    initScene(run.state, start);
    runMainLoop();
    // The window was closed from outside.
    shutdownDemo();
}
