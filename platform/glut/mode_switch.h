// Whether the display server can take a mode switch: Xwayland cannot (asked for a mode
// through XF86VidMode it crashes, and every X client of the session with it), so there the
// show takes a full-screen window as where game mode cannot be entered.
#pragma once

namespace zuzor {

// `displayName` is the display the toolkit opens (null: $DISPLAY).
bool modeSwitchIsSafe(const char* displayName);

}  // namespace zuzor
