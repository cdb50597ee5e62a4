// The one place where sync codes meet the demo state.
#include "sync/sync_events.h"

#include "shell/demo_state.h"
#include "shell/shell_hooks.h"

void onSyncEvent(DemoState& s, ShellHooks& hooks, uint8_t code) {
    switch (code) {
        case 2:
            s.showTower = true;
            hooks.requestRedraw();
            break;
        case 3:
            s.showGrid = true;
            hooks.requestRedraw();
            break;
        case 4:
            s.showWarp = true;
            hooks.requestRedraw();
            break;
        case 5:
            s.showVoxels = true;
            hooks.requestRedraw();
            break;
        case 12:
            s.showTower = false;
            for (float& pulse : s.flashPanels.pulse) pulse = 0.0f;
            break;
        case 13:
            s.showGrid = false;
            break;
        case 14:
            s.showWarp = false;
            break;
        case 15:
            s.showVoxels = false;
            break;
        case 20:
            s.flashPanels.pulse[1] = 1.0f;
            break;
        case 21:
            s.flashPanels.pulse[0] = 1.0f;
            break;
        case 22:
            s.flashPanels.pulse[3] = 1.0f;
            break;
        case 23:
            s.flashPanels.pulse[2] = 1.0f;
            break;
        case 24:
            s.towerCopies = s.towerCopies >= 7 ? 1 : s.towerCopies + 1;
            break;
        case 25:
            s.ringTower.pulse = 20.0f;
            break;
        case 26:
            s.blobGrid.reseed();
            break;
        case 28:
            s.warpScene.pulse = 2.0f;
            break;
        case 29:
            s.warpScene.depth = -100.0f;
            break;
        case 30:
            s.towerFlash = !s.towerFlash;
            break;
        case 31:
            s.flashPanels.fastDecay = !s.flashPanels.fastDecay;
            break;
        case 32:
            s.towerCameraAlt = !s.towerCameraAlt;
            break;
        case 46:
            s.logoVisible = true;
            break;
        case 100:
            s.quitRequested = true;
            break;
        default:
            break;
    }
}

const char* describeSyncEvent(uint8_t code) {
    switch (code) {
        case 2:
            return "ring tower on";
        case 3:
            return "blob grid on";
        case 4:
            return "warp scene on";
        case 5:
            return "voxel field on";
        case 12:
            return "ring tower off, flash panels cleared";
        case 13:
            return "blob grid off";
        case 14:
            return "warp scene off";
        case 15:
            return "voxel field off";
        case 20:
            return "flash upper right";
        case 21:
            return "flash upper left";
        case 22:
            return "flash lower right";
        case 23:
            return "flash lower left";
        case 24:
            return "tower copies step";
        case 25:
            return "tower pulse";
        case 26:
            return "blob grid reseed";
        case 28:
            return "warp pulse";
        case 29:
            return "sprite ring restart";
        case 30:
            return "tower lit pass toggle";
        case 31:
            return "flash decay speed toggle";
        case 32:
            return "tower camera toggle";
        case 46:
            return "logo shown";
        case 100:
            return "end of the show";
        default:
            return nullptr;
    }
}
