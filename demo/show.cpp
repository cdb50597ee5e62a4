// The show's one start.
#include "demo/show.h"

#include <GL/gl.h>

#include <cstdio>

#include "base/constants.h"
#include "base/trace.h"
#include "demo/effects_warm_up.h"
#include "demo/module_preload.h"
#include "demo/start_up.h"

namespace zuzor {

void Show::begin(const SceneStart& start) {
    state_ = std::make_unique<DemoState>();
    songClock_.set(0);
    DemoState& s = *state_;
    initSceneObjects(s);
    s.voxelField.outlineWidth = VoxelField::showOutlineWidth * start.pixelScale;
    setFixedGlState();
    traceLine("start scene objects");
    if (start.warmUp) {
        warmUpEffects(s);
        traceLine("start warm-up");
    }
    if (start.viewportWidth > 0 && start.viewportHeight > 0)
        glViewport(0, 0, start.viewportWidth, start.viewportHeight);
    s.timer.start(start.onSongClock ? &songClock_ : nullptr);

    if (!start.music) {
        if (start.logo) loadTga(s.logo, logoFile);
        return;
    }
    s.song = takeLoadedModule();
    traceLine("start module");
    if (!s.song) {
        std::fputs("\nImpossibile caricare il file\n", stdout);
        std::fflush(stdout);
        return;
    }
    loadTga(s.logo, logoFile);
    traceLine("start logo");
    std::fputs("inizializzazione fatta\n", stdout);
    std::fflush(stdout);
    traceLine("start message");
}

}  // namespace zuzor
