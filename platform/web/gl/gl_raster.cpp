// The raster half of the subset: enables, blending, depth, viewport and scissor, clears,
// textures, light 0's parameters, and the attribute stacks. What WebGL applies itself is
// passed on after the batch drawn so far has gone out; the rest stays in the state for the
// vertex half.
#include <GL/gl.h>

#include <algorithm>

#include "platform/web/gl/gl_state.h"
#include "platform/web/gl/webgl_calls.h"

namespace zuzor::webgl {

namespace {

void transformPosition(const float* in, float* out) {
    const float* m = state().modelview.current().m;
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
}

bool* serverFlag(GLenum cap) {
    ServerState& s = state().server;
    switch (cap) {
        case GL_DEPTH_TEST:
            return &s.depthTest;
        case GL_BLEND:
            return &s.blend;
        case GL_LIGHTING:
            return &s.lighting;
        case GL_LIGHT0:
            return &s.light0;
        case GL_TEXTURE_2D:
            return &s.texture2d;
        case GL_SCISSOR_TEST:
            return &s.scissorTest;
        case GL_COLOR_MATERIAL:
            return &s.colorMaterial;
        case GL_ALPHA_TEST:
            return &s.alphaTest;
        case GL_CULL_FACE:
            return &s.cullFace;
        default:
            return nullptr;
    }
}

// Whether WebGL applies the capability itself (the rest is the vertex half's).
bool appliedByWebgl(GLenum cap) {
    return cap == GL_DEPTH_TEST || cap == GL_BLEND || cap == GL_SCISSOR_TEST;
}

void applyTextureMode() {
    const ServerState& s = state().server;
    setTextureMode(!s.texture2d ? 0 : s.textureEnvMode == GL_REPLACE ? 2 : 1);
}

void setCapability(GLenum cap, bool on) {
    bool* flag = serverFlag(cap);
    if (!flag || *flag == on) return;
    flushBatch();
    *flag = on;
    if (appliedByWebgl(cap)) {
        if (on)
            emscripten_glEnable(cap);
        else
            emscripten_glDisable(cap);
    }
    applyTextureMode();
    if (cap == GL_COLOR_MATERIAL && on) trackColorMaterial();
}

// Puts the whole of `s` into WebGL, after a pop of the attribute stack.
void applyServerState(const ServerState& s) {
    for (GLenum cap : {GLenum(GL_DEPTH_TEST), GLenum(GL_BLEND), GLenum(GL_SCISSOR_TEST)}) {
        if (*serverFlag(cap))
            emscripten_glEnable(cap);
        else
            emscripten_glDisable(cap);
    }
    emscripten_glBlendFunc(s.blendSource, s.blendDestination);
    emscripten_glDepthFunc(s.depthFunc);
    emscripten_glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    emscripten_glScissor(s.scissor[0], s.scissor[1], s.scissor[2], s.scissor[3]);
    emscripten_glClearColor(s.clearColor[0], s.clearColor[1], s.clearColor[2], s.clearColor[3]);
    emscripten_glBindTexture(GL_TEXTURE_2D, s.boundTexture);
    applyTextureMode();
}

}  // namespace

void initRasterState(int width, int height) {
    ServerState& s = state().server;
    s.viewport[2] = s.scissor[2] = width;
    s.viewport[3] = s.scissor[3] = height;
    applyServerState(s);
}

}  // namespace zuzor::webgl

using namespace zuzor::webgl;

extern "C" {

void glEnable(GLenum cap) {
    setCapability(cap, true);
}

void glDisable(GLenum cap) {
    setCapability(cap, false);
}

void glBlendFunc(GLenum source, GLenum destination) {
    ServerState& s = state().server;
    if (s.blendSource == source && s.blendDestination == destination) return;
    flushBatch();
    s.blendSource = source;
    s.blendDestination = destination;
    emscripten_glBlendFunc(source, destination);
}

void glDepthFunc(GLenum func) {
    ServerState& s = state().server;
    if (s.depthFunc == func) return;
    flushBatch();
    s.depthFunc = func;
    emscripten_glDepthFunc(func);
}

namespace {

// Stores a viewport or scissor rectangle; false when it is the one already in force.
bool storeRect(int* v, GLint x, GLint y, GLsizei width, GLsizei height) {
    if (v[0] == x && v[1] == y && v[2] == width && v[3] == height) return false;
    flushBatch();
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
    return true;
}

}  // namespace

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (storeRect(state().server.viewport, x, y, width, height))
        emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (storeRect(state().server.scissor, x, y, width, height))
        emscripten_glScissor(x, y, width, height);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    float* c = state().server.clearColor;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
    emscripten_glClearColor(r, g, b, a);
}

void glClear(GLbitfield mask) {
    flushBatch();
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void glFinish() {
    flushBatch();
    emscripten_glFinish();
}

void glShadeModel(GLenum mode) {
    state().server.flat = mode == GL_FLAT;
}

void glLineWidth(GLfloat width) {
    state().server.lineWidth = width;
}

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
    if (light != GL_LIGHT0) return;
    Light& l = state().server.light;
    switch (name) {
        case GL_AMBIENT:
            std::copy(values, values + 4, l.ambient);
            break;
        case GL_DIFFUSE:
            std::copy(values, values + 4, l.diffuse);
            break;
        case GL_SPECULAR:
            std::copy(values, values + 4, l.specular);
            break;
        case GL_POSITION:
            transformPosition(values, l.position);
            break;
        default:
            break;
    }
}

void glLightf(GLenum light, GLenum name, GLfloat value) {
    if (light != GL_LIGHT0) return;
    Light& l = state().server.light;
    if (name == GL_CONSTANT_ATTENUATION) l.constantAttenuation = value;
    if (name == GL_LINEAR_ATTENUATION) l.linearAttenuation = value;
    if (name == GL_QUADRATIC_ATTENUATION) l.quadraticAttenuation = value;
}

void glLightModeli(GLenum name, GLint value) {
    if (name == GL_LIGHT_MODEL_TWO_SIDE) state().server.twoSided = value != 0;
}

void glColorMaterial(GLenum face, GLenum mode) {
    state().server.colorMaterialFace = face;
    state().server.colorMaterialMode = mode;
    if (state().server.colorMaterial) trackColorMaterial();
}

void glGenTextures(GLsizei n, GLuint* textures) {
    emscripten_glGenTextures(n, textures);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    flushBatch();
    ServerState& s = state().server;
    for (GLsizei i = 0; i < n; ++i)
        if (textures[i] == s.boundTexture) s.boundTexture = 0;
    emscripten_glDeleteTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
    ServerState& s = state().server;
    if (target != GL_TEXTURE_2D || s.boundTexture == texture) return;
    flushBatch();
    s.boundTexture = texture;
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    flushBatch();
    emscripten_glTexParameteri(target, name, value);
}

void glTexParameterf(GLenum target, GLenum name, GLfloat value) {
    glTexParameteri(target, name, GLint(value));
}

void glTexEnvi(GLenum, GLenum name, GLint value) {
    if (name != GL_TEXTURE_ENV_MODE) return;
    state().server.textureEnvMode = GLenum(value);
    applyTextureMode();
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    flushBatch();
    // Without mipmaps a WebGL texture is complete only with a filter that needs none, as a
    // GL 1.1 texture with GL_LINEAR is.
    emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type,
                            pixels);
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y,
                         GLsizei width, GLsizei height) {
    flushBatch();
    emscripten_glCopyTexSubImage2D(target, level, xOffset, yOffset, x, y, width, height);
}

void glPixelStorei(GLenum name, GLint value) {
    if (name == GL_UNPACK_ALIGNMENT) state().client.unpackAlignment = value;
    emscripten_glPixelStorei(name, value);
}

void glGetIntegerv(GLenum name, GLint* values) {
    const GlState& gl = state();
    switch (name) {
        case GL_VIEWPORT:
            std::copy(gl.server.viewport, gl.server.viewport + 4, values);
            break;
        case GL_UNPACK_ALIGNMENT:
            values[0] = gl.client.unpackAlignment;
            break;
        case GL_MATRIX_MODE:
            values[0] = GLint(gl.server.matrixMode);
            break;
        default:
            values[0] = 0;
            break;
    }
}

// The groups are saved together; only the current vertex attributes are told apart, since
// the show pushes either every group or two that leave those alone.
void glPushAttrib(GLbitfield mask) {
    GlState& gl = state();
    if (gl.serverTop >= GlState::attribDepth) return;
    gl.serverMasks[gl.serverTop] = mask;
    gl.serverStack[gl.serverTop++] = gl.server;
}

void glPopAttrib() {
    GlState& gl = state();
    if (gl.serverTop == 0) return;
    flushBatch();
    --gl.serverTop;
    ServerState restored = gl.serverStack[gl.serverTop];
    if (gl.serverMasks[gl.serverTop] & GL_CURRENT_BIT) {
        gl.server = restored;
        applyServerState(gl.server);
        return;
    }
    std::copy(gl.server.color, gl.server.color + 4, restored.color);
    std::copy(gl.server.normal, gl.server.normal + 3, restored.normal);
    std::copy(gl.server.texCoord, gl.server.texCoord + 2, restored.texCoord);
    gl.server = restored;
    applyServerState(gl.server);
}

void glPushClientAttrib(GLbitfield) {
    GlState& gl = state();
    if (gl.clientTop >= GlState::attribDepth) return;
    gl.clientStack[gl.clientTop++] = gl.client;
}

void glPopClientAttrib() {
    GlState& gl = state();
    if (gl.clientTop == 0) return;
    gl.client = gl.clientStack[--gl.clientTop];
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, gl.client.unpackAlignment);
}

}  // extern "C"
