// Entry point and the GLUT edge: game mode, cursor, callbacks and the orderly way out.
#include <GL/freeglut.h>

#include <cstdlib>

#include "shell/demo_state.h"
#include "shell/frame_loop.h"
#include "shell/shell_hooks.h"
#include "sync/module_player.h"

namespace {

constexpr unsigned char escapeKey = 27;

void shutdownDemo();

struct GlutHooks final : ShellHooks {
    void requestRedraw() override { glutPostRedisplay(); }
    void shutdown() override { shutdownDemo(); }
};
GlutHooks glutHooks;

void shutdownDemo() {
    stopMusic(demo);
    glutLeaveGameMode();
    // Without game mode the demo's own window is still current; give it its pointer back.
    if (glutGetWindow() != 0) glutSetCursor(GLUT_CURSOR_INHERIT);
    std::exit(0);
}

void onIdle() {
    idleStep(demo, glutHooks);
}

void onDisplay() {
    displayStep(demo);
    glutSwapBuffers();
}

void onKeyboard(unsigned char key, int, int) {
    if (key == escapeKey) shutdownDemo();
}

// Game mode needs an X server that can switch modes. Where it cannot (a nested or virtual
// server), the demo runs in a full-screen 800x600 window instead.
void openDisplay() {
    glutGameModeString("800x600:32@60");
    if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) && glutEnterGameMode() != 0 &&
        glutGetWindow() != 0)
        return;
    glutInitWindowSize(800, 600);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("zuzor");
    glutFullScreen();
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    openDisplay();
    glutSetCursor(GLUT_CURSOR_NONE);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    initScene(demo, glutHooks);
    playSong(demo.song);
    glutMainLoop();
    return 0;
}
