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
    float strength1 = 0.0f;
    float strength2 = 0.0f;
    int32_t cellX = 0;  // loop indices shared by computeField and drawCells
    int32_t cellY = 0;
    float values[50][50] = {};
    // The sources a tick took the field from. The field itself is worked out when a frame
    // first draws it, so ticks under the other effects, and a fast-forward, skip it.
    struct Sources {
        float point1[2];
        float point2[2];
        float strength1;
        float strength2;
    } fieldSources = {};
    bool fieldDue = false;

    void init();
    void update(int32_t t1, int32_t t2);
    // The field of the last tick into `values`, if it is not there yet.
    void settleField();
    Sources sources() const;
    void computeField(const Sources& from);
    // With hidden set only the state the drawing leaves is produced (see RingTower::draw).
    void draw(bool hidden = false);
    // New source centres: four draws from `random`.
    void reseed(RandomSequence& random);
    void movePoints(int32_t t1, int32_t t2);
    void drawCells();
    // What drawCells leaves behind, without drawing: the loop indices and the colour.
    void leaveLastCellState();
};

}  // namespace zuzor
