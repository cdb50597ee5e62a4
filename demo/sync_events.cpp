// The one place where sync codes meet the demo state: one row per acting code.
#include "demo/sync_events.h"

#include "demo/demo_state.h"
#include "demo/shell_hooks.h"
#include "demo/sync_codes.h"

namespace zuzor {

namespace {

struct SyncAction {
    uint8_t code;
    bool redraw;  // a newly shown effect is drawn without waiting for the next tick
    const char* description;
    void (*apply)(DemoState& s);
};

constexpr SyncAction syncActions[] = {
    {Z02, true, "ring tower on", [](DemoState& s) { s.showTower = true; }},
    {Z03, true, "blob grid on", [](DemoState& s) { s.showGrid = true; }},
    {Z04, true, "warp scene on", [](DemoState& s) { s.showWarp = true; }},
    {Z05, true, "voxel field on", [](DemoState& s) { s.showVoxels = true; }},
    {Z0C, false, "ring tower off, flash panels cleared",
     [](DemoState& s) {
         s.showTower = false;
         for (float& pulse : s.flashPanels.pulse) pulse = 0.0f;
     }},
    {Z0D, false, "blob grid off", [](DemoState& s) { s.showGrid = false; }},
    {Z0E, false, "warp scene off", [](DemoState& s) { s.showWarp = false; }},
    {Z0F, false, "voxel field off", [](DemoState& s) { s.showVoxels = false; }},
    {Z14, false, "flash upper right", [](DemoState& s) { s.flashPanels.pulse[1] = 1.0f; }},
    {Z15, false, "flash upper left", [](DemoState& s) { s.flashPanels.pulse[0] = 1.0f; }},
    {Z16, false, "flash lower right", [](DemoState& s) { s.flashPanels.pulse[3] = 1.0f; }},
    {Z17, false, "flash lower left", [](DemoState& s) { s.flashPanels.pulse[2] = 1.0f; }},
    {Z18, false, "tower copies step",
     [](DemoState& s) { s.towerCopies = s.towerCopies >= 7 ? 1 : s.towerCopies + 1; }},
    {Z19, false, "tower pulse", [](DemoState& s) { s.ringTower.pulse = 20.0f; }},
    {Z1A, false, "blob grid reseed", [](DemoState& s) { s.blobGrid.reseed(s.random); }},
    {Z1C, false, "warp pulse", [](DemoState& s) { s.warpScene.pulse = 2.0f; }},
    {Z1D, false, "sprite ring restart", [](DemoState& s) { s.warpScene.depth = -100.0f; }},
    {Z1E, false, "tower lit pass toggle", [](DemoState& s) { s.towerFlash = !s.towerFlash; }},
    {Z1F, false, "flash decay speed toggle",
     [](DemoState& s) { s.flashPanels.fastDecay = !s.flashPanels.fastDecay; }},
    {Z20, false, "tower camera toggle", [](DemoState& s) { s.towerCameraAlt = !s.towerCameraAlt; }},
    {Z2E, false, "logo shown", [](DemoState& s) { s.logoVisible = true; }},
    {Z64, false, "end of the show", [](DemoState& s) { s.quitRequested = true; }},
};

const SyncAction* findAction(uint8_t code) {
    for (const SyncAction& action : syncActions)
        if (action.code == code) return &action;
    return nullptr;
}

}  // namespace

void onSyncEvent(DemoState& s, ShellHooks& hooks, uint8_t code) {
    const SyncAction* action = findAction(code);
    if (!action) return;
    action->apply(s);
    if (action->redraw) hooks.requestRedraw();
}

const char* describeSyncEvent(uint8_t code) {
    const SyncAction* action = findAction(code);
    return action ? action->description : nullptr;
}

}  // namespace zuzor
