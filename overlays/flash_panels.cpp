// Flash panels (to be filled in).
#include "overlays/flash_panels.h"

void FlashPanels::init() {}
void FlashPanels::update() {}
void FlashPanels::bindVertices() const {}
void FlashPanels::draw() const {}
void FlashPanels::drawPanels() const {}
void FlashPanels::drawQuad() const {}
