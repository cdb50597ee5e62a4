// The voxel field: a 20^3 lattice of translucent black squares sized by a moving
// three-source field, rebuilt in every drawn frame.
#pragma once
#include <cstdint>

struct Camera;

struct VoxelLattice {
    float cells[20][20][20];  // indexed [i + 10][j + 10][k + 10]
    float sources[3][3];      // P1, P2, P3
    float vertices[32000 * 3];

    void setSource(float x, float y, float z, int32_t n);  // n = 1, 2 or 3
    void rebuild();
    void drawQuads() const;
};

struct VoxelField {
    float cameraX;
    VoxelLattice lattice;

    void init();
    void update(int32_t t);
    void draw(const Camera& camera, float tick);
};
