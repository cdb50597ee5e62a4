// DemoState: the one global record of the demo: effect switches, tower settings, one-way
// flags, the tick counter, the song and every scene object.
#pragma once
#include <cstdint>

#include "assets/tga_image.h"
#include "effects/blob_grid.h"
#include "effects/ring_tower.h"
#include "effects/voxel_field.h"
#include "effects/warp_scene.h"
#include "overlays/flash_panels.h"
#include "overlays/side_bars.h"
#include "shell/frame_timer.h"
#include "shell/render_helpers.h"

struct Song;

// Every field starts at zero, false or null; the scene objects' init set their start values.
struct DemoState {
    bool showTower;
    bool showGrid;
    bool showWarp;
    bool showVoxels;
    int32_t towerCopies;
    bool towerFlash;
    bool towerCameraAlt;
    bool logoVisible;
    bool quitRequested;
    float tick;
    Song* song;

    FrameTimer timer;
    Camera camera;
    TgaImage logo;
    FlashPanels flashPanels;
    RingTower ringTower;
    BlobGrid blobGrid;
    WarpScene warpScene;
    VoxelField voxelField;
    FadeLayer fadeLayer;
    SideBars sideBars;
};

// The demo's own instance. Tests and tools may make others (value-initialised: all zero).
extern DemoState demo;
