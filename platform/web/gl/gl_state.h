// The state of the OpenGL 1.1 subset the show draws with in the browser: what the fixed
// function pipeline keeps (matrices, current vertex attributes, light, enables, the
// attribute stacks) and the seam to WebGL (webgl_batch.h). One struct, the subset's one
// state; the entry points in gl_*.cpp read and change it.
#pragma once
#include <GL/gl.h>

#include <cstdint>

#include "platform/web/gl/webgl_batch.h"

namespace zuzor::webgl {

struct Matrix {
    float m[16];  // column-major, as GL stores it
};

struct MatrixStack {
    static constexpr int depth = 32;
    Matrix entries[depth];
    int top = 0;
    Matrix& current() { return entries[top]; }
};

struct Light {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};   // light 0's
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // light 0's
    float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // in eye coordinates
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// What glPushAttrib saves: everything of the server state the show changes.
struct ServerState {
    bool depthTest = false, blend = false, lighting = false, light0 = false, texture2d = false;
    bool scissorTest = false, colorMaterial = false, alphaTest = false, cullFace = false;
    bool twoSided = false, flat = false;
    GLenum colorMaterialFace = GL_FRONT_AND_BACK, colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO, depthFunc = GL_LESS;
    GLenum matrixMode = GL_MODELVIEW;
    GLenum textureEnvMode = GL_MODULATE;
    GLuint boundTexture = 0;
    int viewport[4] = {0, 0, 0, 0};
    int scissor[4] = {0, 0, 0, 0};
    float clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float lineWidth = 1.0f;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    Light light;
    Material front, back;
};

struct ArrayPointer {
    int size = 4;
    int stride = 0;
    const float* data = nullptr;
};

// What glPushClientAttrib saves.
struct ClientState {
    bool vertexArray = false, normalArray = false;
    ArrayPointer vertices, normals;
    int unpackAlignment = 4;
};

// One vertex as the show gave it, with the current attributes at the time.
struct InputVertex {
    float position[4];
    float color[4];
    float normal[3];
    float texCoord[2];
};

struct GlState {
    ServerState server;
    ClientState client;
    MatrixStack modelview, projection, texture;
    static constexpr int attribDepth = 16;
    ServerState serverStack[attribDepth];
    GLbitfield serverMasks[attribDepth] = {};
    int serverTop = 0;
    ClientState clientStack[attribDepth];
    int clientTop = 0;
    // Between glBegin and glEnd.
    static constexpr int maxPrimitiveVertices = 4096;
    InputVertex primitive[maxPrimitiveVertices];
    int primitiveCount = 0;
    GLenum primitiveMode = 0;
    bool inBegin = false;
};

GlState& state();
MatrixStack& currentStack();

// Runs one primitive of `count` vertices through the fixed function (transform, lighting,
// flat shading, wide lines) into the batch.
void drawPrimitive(GLenum mode, const InputVertex* vertices, int count);

// With colour material on, the current colour goes into the material it tracks, as a GL
// does on every colour, on glEnable(GL_COLOR_MATERIAL) and on glColorMaterial.
void trackColorMaterial();

// With the WebGL context current and `width` x `height` its drawing buffer: the state a
// new GL context starts with, put into WebGL.
void initRasterState(int width, int height);

}  // namespace zuzor::webgl
