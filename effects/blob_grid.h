// The blob grid: 50 x 50 squares turned, tinted and sized by a moving two-source field.
#pragma once
#include <cstdint>

namespace zuzor {

class RandomSequence;

struct BlobGrid {
    float point1[2] = {};
    float point2[2] = {};
    float centre1[2] = {};
    float centre2[2] = {};
    float distance1 = 0.0f;
    float distance2 = 0.0f;
    float strength1 = 0.0f;
    float strength2 = 0.0f;
    int32_t cellX = 0;  // loop indices shared by computeField and drawCells
    int32_t cellY = 0;
    float values[50][50] = {};

    void init();
    void update(int32_t t1, int32_t t2);
    // With hidden set only the state the drawing leaves is produced (see RingTower::draw).
    void draw(bool hidden = false);
    // New source centres: four draws from `random`.
    void reseed(RandomSequence& random);
    void computeField();
    void movePoints(int32_t t1, int32_t t2);
    void drawCells();
    // What drawCells leaves behind, without drawing: the loop indices and the colour.
    void leaveLastCellState();
};

}  // namespace zuzor
