// DemoState: the one record of the demo: effect switches, tower settings, one-way flags,
// the tick counter and its phase, the random sequence, the song and every scene object. The music
// writes it through the event table (demo/sync_events.h); the tick and the frame read it.
#pragma once
#include <cstdint>

#include "assets/tga_image.h"
#include "base/frame_timer.h"
#include "base/random_sequence.h"
#include "effects/blob_grid.h"
#include "effects/camera.h"
#include "effects/ring_tower.h"
#include "effects/voxel_field.h"
#include "effects/warp_scene.h"
#include "overlays/flash_panels.h"
#include "overlays/side_bars.h"
#include "sync/module_player.h"

namespace zuzor {

// Every field starts as written here; the show's start (Show::begin) and the scene objects'
// init set the rest of the start values.
struct DemoState {
    // Which effects the frame draws.
    bool showTower = false;
    bool showGrid = false;
    bool showWarp = false;
    bool showVoxels = false;

    // How the ring tower is drawn.
    int32_t towerCopies = 0;
    bool towerFlash = false;  // the lit pass
    bool towerCameraAlt = false;

    // One-way flags: the music sets them, nothing clears them.
    bool logoVisible = false;
    bool quitRequested = false;

    // Ticks so far; whole numbers only.
    float tick = 0.0f;
    // The time since the last tick.
    FrameTimer timer;
    // The show's random sequence: the blob grid's reseeds and the warp swarm's colours.
    RandomSequence random;

    // The song that plays the show and carries its script; null without music.
    SongHandle song;

    // The scene objects, one of each.
    Camera camera;
    TgaImage logo;
    FlashPanels flashPanels;
    RingTower ringTower;
    BlobGrid blobGrid;
    WarpScene warpScene;
    VoxelField voxelField;
    FadeLayer fadeLayer;
    SideBars sideBars;

    TowerSettings towerSettings() const { return {towerCopies, towerFlash, towerCameraAlt}; }
};

}  // namespace zuzor
