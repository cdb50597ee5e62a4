// Fade layer, logo and side bars (to be filled in).
#include "overlays/side_bars.h"

void FadeLayer::draw() const {}
void drawLogo(const TgaImage&) {}
void SideBars::draw() const {}
