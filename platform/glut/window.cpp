// The window edge over freeglut: game mode where the X server can switch modes, a
// full-screen window where it cannot; the callbacks; the way out.
#include <GL/freeglut.h>

#include <cstring>

#include "platform/glut/mode_switch.h"
#include "platform/window.h"

namespace zuzor {

namespace {

// Larger than any screen, smaller than any GL's largest viewport.
constexpr int largestSide = 16384;

struct GlutWindow {
    WindowCallbacks callbacks{};
    bool open = false;  // the toolkit runs and owns a window
};

GlutWindow window;

void onDisplay() {
    window.callbacks.display();
    glutSwapBuffers();
}

void onIdle() {
    window.callbacks.idle();
}

void onKeyboard(unsigned char key, int, int) {
    window.callbacks.keyboard(key);
}

void onSpecial(int key, int, int) {
    if (!window.callbacks.special) return;
    if (key == GLUT_KEY_LEFT) window.callbacks.special(SpecialKey::left);
    if (key == GLUT_KEY_RIGHT) window.callbacks.special(SpecialKey::right);
    if (key == GLUT_KEY_HOME) window.callbacks.special(SpecialKey::home);
}

void onReshape(int width, int height) {
    // freeglut under Wine reports a size no window has (2 x 2226976) before the real one.
    if (width < 1 || height < 1 || width > largestSide || height > largestSide) return;
    if (window.callbacks.reshape)
        window.callbacks.reshape(width, height);
    else
        glViewport(0, 0, width, height);
}

// The display the toolkit will open: its -display option, taken off the command line by
// glutInit, or null for $DISPLAY.
const char* displayOption(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
    return nullptr;
}

// Game mode needs an X server that can switch modes. Where it cannot (a nested or virtual
// server, Xwayland), the demo runs in a full-screen 800x600 window instead.
void openDisplay(bool fullScreen, const char* displayName) {
    if (!fullScreen) {
        glutInitWindowSize(800, 600);
        glutCreateWindow("zuzor");
        return;
    }
    glutGameModeString("800x600:32@60");
    if (modeSwitchIsSafe(displayName) && glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) &&
        glutEnterGameMode() != 0 && glutGetWindow() != 0)
        return;
    glutInitWindowSize(800, 600);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("zuzor");
    glutFullScreen();
}

// freeglut's glutCreateWindow waits for the window to be mapped, which a window manager never
// does for a window that starts iconified: -iconic is taken from the command line and the
// window iconified once it is open instead.
bool takeIconicOption(int& argc, char** argv) {
    bool iconic = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-iconic") == 0)
            iconic = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return iconic;
}

}  // namespace

void openWindow(int& argc, char** argv, const WindowCallbacks& callbacks, bool fullScreen) {
    window.callbacks = callbacks;
    const bool iconic = takeIconicOption(argc, argv);
    const char* displayName = displayOption(argc, argv);
    glutInit(&argc, argv);
    // A window closed from outside ends the main loop instead of the process, so the demo
    // leaves the way it leaves on Escape.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    openDisplay(fullScreen, displayName);
    window.open = true;
    if (iconic && !glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) glutIconifyWindow();
    glutSetCursor(GLUT_CURSOR_NONE);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutReshapeFunc(onReshape);
}

void requestRedisplay() {
    glutPostRedisplay();
}

void runMainLoop() {
    glutMainLoop();
    // freeglut has closed its windows and shut itself down by now.
    window.open = false;
}

void closeWindow() {
    if (!window.open) return;
    window.open = false;
    glutLeaveGameMode();
    // Without game mode the demo's own window is still current; give it its pointer back.
    if (glutGetWindow() != 0) glutSetCursor(GLUT_CURSOR_INHERIT);
}

}  // namespace zuzor
