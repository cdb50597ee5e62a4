// The demo's entry point: the window edge's callbacks run the tick and frame bodies, and
// every way out (Escape, the music's end event, the window closed) leaves the same way.
#include <cstdlib>

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

[[noreturn]] void shutdownDemo();

struct WindowHooks final : ShellHooks {
    void requestRedraw() override { requestRedisplay(); }
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
    idleStep(run.state, run.hooks);
}

void onDisplay() {
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
