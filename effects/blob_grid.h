// The blob grid: 50 x 50 squares turned, tinted and sized by a moving two-source field.
#pragma once
#include <cstdint>

struct BlobGrid {
    float point1[2];
    float point2[2];
    float centre1[2];
    float centre2[2];
    float distance1;
    float distance2;
    float strength1;
    float strength2;
    int32_t cellX;  // loop indices shared by computeField and drawCells
    int32_t cellY;
    float values[50][50];

    void init();
    void update(int32_t t1, int32_t t2);
    // With hidden set only the state the drawing leaves is produced (see RingTower::draw).
    void draw(bool hidden = false);
    void reseed();
    void computeField();
    void movePoints(int32_t t1, int32_t t2);
    void drawCells();
    // What drawCells leaves behind, without drawing: the loop indices and the colour.
    void leaveLastCellState();
};
