// Voxel field (to be filled in).
#include "effects/voxel_field.h"

#include "shell/render_helpers.h"

void VoxelLattice::setSource(float, float, float, int32_t) {}
void VoxelLattice::rebuild() {}
void VoxelLattice::drawQuads() const {}
void VoxelField::init() {}
void VoxelField::update(int32_t) {}
void VoxelField::draw(const Camera&, float) {}
