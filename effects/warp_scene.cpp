// Warp scene (to be filled in).
#include "effects/warp_scene.h"

#include "shell/demo_state.h"

void WarpScene::init() { loadTga(sprite, "Data\\korvane.tga"); }
void WarpScene::update() {}
void WarpScene::draw(const DemoState&, int32_t) {}
void WarpScene::drawSwarm(int32_t) {}
