// The WebGL end of the GL subset: triangles and lines in clip coordinates, already lit and
// shaded, gathered into one buffer and drawn with one small shader whenever the state that
// WebGL applies (blending, depth, scissor, viewport, texture) is about to change.
#pragma once
#include <cstddef>

namespace zuzor::webgl {

// One vertex as WebGL draws it: clip coordinates, the colour after lighting, texture.
struct OutputVertex {
    float clip[4];
    float color[4];
    float texCoord[2];
};

// With the WebGL context current: the shader and the buffer.
void initBatch();

// Texture use of the batch: 0 none, 1 modulate, 2 replace.
void setTextureMode(int mode);

void addTriangle(const OutputVertex& a, const OutputVertex& b, const OutputVertex& c);
void addLine(const OutputVertex& a, const OutputVertex& b);

// Draws what has been gathered. Called before any state WebGL applies changes, before
// clears and copies, and at the end of a frame.
void flushBatch();

}  // namespace zuzor::webgl
