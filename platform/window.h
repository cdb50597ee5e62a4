// The window edge: the show's display (the full-screen mode, or a full-screen window where
// the system cannot switch modes), the main loop that calls the demo back, and the way
// back to the desktop. The tick and frame bodies never see the toolkit behind it.
#pragma once

namespace zuzor {

// The keys without a character that the demo listens to.
enum class SpecialKey { left, right, home };

struct WindowCallbacks {
    void (*display)();                    // draw one frame; the edge swaps the buffers after it
    void (*idle)();                       // called whenever no events are pending
    void (*keyboard)(unsigned char key);  // a character key was pressed
    // The drawable's size (only sizes a window can have), before the first display and
    // whenever it changes; the callback sets the viewport. Without one the viewport follows
    // the whole drawable.
    void (*reshape)(int width, int height) = nullptr;
    // One of the special keys was pressed; other keys without a character never come.
    void (*special)(SpecialKey key) = nullptr;
};

// Starts the toolkit with the command line (the toolkit's own options; it takes them out of
// argv, and what it leaves is what it did not know), opens the display (an RGB, double-buffered,
// depth-buffered surface with a current GL context: the full screen, or with `fullScreen`
// false an 800x600 window), hides the pointer and registers the callbacks. Nothing is
// drawn before the main loop runs.
void openWindow(int& argc, char** argv, const WindowCallbacks& callbacks, bool fullScreen = true);

// Asks for one display call; any number of requests before it gives one. Main thread.
void requestRedisplay();

// Runs the main loop. Returns only when the window has been closed from outside (the
// window manager's close, Alt+F4, the display going away), the toolkit already shut down.
void runMainLoop();

// Leaves the full-screen mode or closes the window, and gives the pointer back. Harmless
// when the window is already gone.
void closeWindow();

}  // namespace zuzor
