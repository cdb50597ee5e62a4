// The voxel field: a 20^3 lattice of translucent black squares sized by a moving
// three-source field, rebuilt in every drawn frame.
#pragma once
#include <cstdint>

namespace zuzor {

struct Camera;

// The field's value at a lattice point, from its distances to the three sources:
// cos(d2) * sin(d1) * d3, rounded to float.
float voxelRawValue(float d1, float d2, float d3);
// The half-side of a cell's square from its raw value: zero above 50, raw / 70 otherwise
// (negative raw gives a negative value, the same square wound from the opposite corner).
float voxelCellValue(float raw);

struct VoxelLattice {
    static constexpr int32_t side = 20;  // lattice coordinates run from -10 to 9
    static constexpr int32_t cellCount = side * side * side;
    static constexpr int32_t vertexCount = cellCount * 4;

    float cells[side][side][side] = {};  // indexed [i + 10][j + 10][k + 10]
    float sources[3][3] = {};            // P1, P2, P3
    // Four corners per cell; cell n = (i + 10) * 400 + (j + 10) * 20 + (k + 10).
    float vertices[vertexCount * 3] = {};

    void setSource(float x, float y, float z, int32_t n);  // n = 1, 2 or 3
    void rebuild();
    void drawQuads() const;
};

struct VoxelField {
    float cameraX = 0.0f;
    // The outline's width in pixels: 5 on the show's 600 lines, wider on a larger picture.
    static constexpr float showOutlineWidth = 5.0f;
    float outlineWidth = showOutlineWidth;
    VoxelLattice lattice;

    void init();
    void update(int32_t t);
    // Clears the colour buffer, multiplies the camera onto the modelview, rebuilds and draws
    // the lattice, then the pulsing outline. Leaves the look-at on the modelview, blending
    // off, depth testing on, the outline's line width and the colour (0, 0, 0, 0.9). With
    // hidden set only that state is left: no clear, no rebuild (a drawn frame rebuilds from
    // the sources anyway), no primitives.
    void draw(const Camera& camera, float tick, bool hidden = false);
};

}  // namespace zuzor
