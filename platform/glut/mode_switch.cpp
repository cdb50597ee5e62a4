// Xwayland is told by its XWAYLAND extension (servers from 23.1 on) or, on older ones, by
// the names it gives its RandR outputs ("XWAYLAND0", ...); a plain X server, Xvfb included,
// has neither. Windows switches modes through its own display settings.
#include "platform/glut/mode_switch.h"

#ifndef _WIN32
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>
#endif

namespace zuzor {

#ifdef _WIN32

bool modeSwitchIsSafe(const char*) {
    return true;
}

#else

namespace {

bool hasXwaylandOutput(Display* display) {
    int event = 0, error = 0;
    if (!XRRQueryExtension(display, &event, &error)) return false;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources) return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!output) continue;
        found = output->name && std::strncmp(output->name, "XWAYLAND", 8) == 0;
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return found;
}

}  // namespace

bool modeSwitchIsSafe(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return true;  // the toolkit says what is wrong with the display
    int opcode = 0, event = 0, error = 0;
    const bool xwayland =
        XQueryExtension(display, "XWAYLAND", &opcode, &event, &error) || hasXwaylandOutput(display);
    XCloseDisplay(display);
    return !xwayland;
}

#endif

}  // namespace zuzor
