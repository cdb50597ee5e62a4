// The one place where sync codes meet the demo state: one row per acting code.
#include "sync/sync_events.h"

#include "shell/demo_state.h"
#include "shell/shell_hooks.h"

namespace {

struct SyncAction {
    uint8_t code;
    bool redraw;  // a newly shown effect is drawn without waiting for the next tick
    const char* description;
    void (*apply)(DemoState& s);
};

constexpr SyncAction syncActions[] = {
    {2, true, "ring tower on", [](DemoState& s) { s.showTower = true; }},
    {3, true, "blob grid on", [](DemoState& s) { s.showGrid = true; }},
    {4, true, "warp scene on", [](DemoState& s) { s.showWarp = true; }},
    {5, true, "voxel field on", [](DemoState& s) { s.showVoxels = true; }},
    {12, false, "ring tower off, flash panels cleared",
     [](DemoState& s) {
         s.showTower = false;
         for (float& pulse : s.flashPanels.pulse) pulse = 0.0f;
     }},
    {13, false, "blob grid off", [](DemoState& s) { s.showGrid = false; }},
    {14, false, "warp scene off", [](DemoState& s) { s.showWarp = false; }},
    {15, false, "voxel field off", [](DemoState& s) { s.showVoxels = false; }},
    {20, false, "flash upper right", [](DemoState& s) { s.flashPanels.pulse[1] = 1.0f; }},
    {21, false, "flash upper left", [](DemoState& s) { s.flashPanels.pulse[0] = 1.0f; }},
    {22, false, "flash lower right", [](DemoState& s) { s.flashPanels.pulse[3] = 1.0f; }},
    {23, false, "flash lower left", [](DemoState& s) { s.flashPanels.pulse[2] = 1.0f; }},
    {24, false, "tower copies step",
     [](DemoState& s) { s.towerCopies = s.towerCopies >= 7 ? 1 : s.towerCopies + 1; }},
    {25, false, "tower pulse", [](DemoState& s) { s.ringTower.pulse = 20.0f; }},
    {26, false, "blob grid reseed", [](DemoState& s) { s.blobGrid.reseed(); }},
    {28, false, "warp pulse", [](DemoState& s) { s.warpScene.pulse = 2.0f; }},
    {29, false, "sprite ring restart", [](DemoState& s) { s.warpScene.depth = -100.0f; }},
    {30, false, "tower lit pass toggle", [](DemoState& s) { s.towerFlash = !s.towerFlash; }},
    {31, false, "flash decay speed toggle",
     [](DemoState& s) { s.flashPanels.fastDecay = !s.flashPanels.fastDecay; }},
    {32, false, "tower camera toggle", [](DemoState& s) { s.towerCameraAlt = !s.towerCameraAlt; }},
    {46, false, "logo shown", [](DemoState& s) { s.logoVisible = true; }},
    {100, false, "end of the show", [](DemoState& s) { s.quitRequested = true; }},
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
