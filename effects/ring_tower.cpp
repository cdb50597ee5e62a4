// Ring tower (to be filled in).
#include "effects/ring_tower.h"

#include "shell/demo_state.h"

void RingMesh::buildRings() {}
void RingMesh::buildStrips() {}
void RingMesh::drawColumn() const {}
void RingMesh::drawSegment() const {}
void RingTower::init(DemoState& state) { state.towerFlash = false; }
void RingTower::update() {}
void RingTower::bindArrays() const {}
void RingTower::draw(const DemoState&, int32_t, int32_t, bool) const {}
