// Blob grid (to be filled in).
#include "effects/blob_grid.h"

#include "shell/render_helpers.h"

void BlobGrid::init() {}
void BlobGrid::update(int32_t, int32_t) {}
void BlobGrid::draw() {}
void BlobGrid::reseed() {
    centre1[0] = float(nextRandom() % 50);
    centre1[1] = float(nextRandom() % 50);
    centre2[0] = float(nextRandom() % 50);
    centre2[1] = float(nextRandom() % 50);
}
void BlobGrid::computeField() {}
void BlobGrid::movePoints(int32_t, int32_t) {}
void BlobGrid::drawCells() {}
