// The vertex half of the subset: immediate mode and vertex arrays, the transform to clip
// coordinates, light 0 with colour material and two-sided lighting, flat shading by the
// provoking vertex, quads and strips as triangles, and lines wider than a pixel as quads.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "platform/web/gl/gl_state.h"

namespace zuzor::webgl {

namespace {

void transform(const float* m, const float* v, float* out) {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

struct Lit {
    float front[4];
    float back[4];
};

// The colour of one vertex lit by light 0, for one side's normal and material.
void lightSide(const ServerState& s, const Material& material, const float* vertexColor,
               const float* eye, const float* normal, float* out) {
    const bool tracks = s.colorMaterial;
    auto pick = [&](GLenum mode, const float* own) {
        return tracks && (s.colorMaterialMode == mode ||
                          (s.colorMaterialMode == GL_AMBIENT_AND_DIFFUSE &&
                           (mode == GL_AMBIENT || mode == GL_DIFFUSE)))
                   ? vertexColor
                   : own;
    };
    const float* ambient = pick(GL_AMBIENT, material.ambient);
    const float* diffuse = pick(GL_DIFFUSE, material.diffuse);
    const float* specular = pick(GL_SPECULAR, material.specular);
    const float* emission = pick(GL_EMISSION, material.emission);
    for (int i = 0; i < 3; ++i) out[i] = emission[i] + ambient[i] * s.sceneAmbient[i];
    out[3] = diffuse[3];
    if (!s.light0) return;
    const Light& light = s.light;
    float toLight[3];
    float attenuation = 1.0f;
    if (light.position[3] != 0.0f) {
        for (int i = 0; i < 3; ++i)
            toLight[i] = light.position[i] / light.position[3] - eye[i] / eye[3];
        const float distance =
            std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
        attenuation = 1.0f / (light.constantAttenuation + light.linearAttenuation * distance +
                              light.quadraticAttenuation * distance * distance);
        if (distance > 0.0f)
            for (float& c : toLight) c /= distance;
    } else {
        const float length = std::sqrt(light.position[0] * light.position[0] +
                                       light.position[1] * light.position[1] +
                                       light.position[2] * light.position[2]);
        for (int i = 0; i < 3; ++i) toLight[i] = length > 0.0f ? light.position[i] / length : 0.0f;
    }
    const float nDotL = normal[0] * toLight[0] + normal[1] * toLight[1] + normal[2] * toLight[2];
    float specularFactor = 0.0f;
    if (nDotL > 0.0f) {
        float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
        const float length = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
        const float nDotH =
            length > 0.0f
                ? (normal[0] * half[0] + normal[1] * half[1] + normal[2] * half[2]) / length
                : 0.0f;
        specularFactor =
            material.shininess == 0.0f ? 1.0f : std::pow(std::max(nDotH, 0.0f), material.shininess);
    }
    const float diffuseFactor = std::max(nDotL, 0.0f);
    for (int i = 0; i < 3; ++i)
        out[i] += attenuation *
                  (ambient[i] * light.ambient[i] + diffuseFactor * diffuse[i] * light.diffuse[i] +
                   specularFactor * specular[i] * light.specular[i]);
}

// Transforms and lights one vertex: clip coordinates, and the colour of each side.
void processVertex(const InputVertex& in, const float* modelview, const float* mvp,
                   OutputVertex& out, Lit& lit) {
    const ServerState& s = state().server;
    transform(mvp, in.position, out.clip);
    out.texCoord[0] = in.texCoord[0];
    out.texCoord[1] = in.texCoord[1];
    if (!s.lighting) {
        for (int i = 0; i < 4; ++i) lit.front[i] = lit.back[i] = clamp01(in.color[i]);
        return;
    }
    float eye[4];
    transform(modelview, in.position, eye);
    // The normal goes through the inverse transpose of the modelview's upper 3x3.
    const float* m = modelview;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                k = m[10];
    const float det = a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
    float normal[3] = {0.0f, 0.0f, 0.0f};
    if (det != 0.0f) {
        const float inv[9] = {(e * k - f * h) / det, (c * h - b * k) / det, (b * f - c * e) / det,
                              (f * g - d * k) / det, (a * k - c * g) / det, (c * d - a * f) / det,
                              (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
        // n' = n * inverse (a row vector): the inverse transpose applied to a column vector
        for (int col = 0; col < 3; ++col)
            normal[col] = in.normal[0] * inv[0 * 3 + col] + in.normal[1] * inv[1 * 3 + col] +
                          in.normal[2] * inv[2 * 3 + col];
    }
    float color[4];
    for (int i = 0; i < 4; ++i) color[i] = clamp01(in.color[i]);
    lightSide(s, s.front, color, eye, normal, lit.front);
    const float flipped[3] = {-normal[0], -normal[1], -normal[2]};
    lightSide(s, s.twoSided ? s.back : s.front, color, eye, s.twoSided ? flipped : normal,
              lit.back);
    for (float& v : lit.front) v = clamp01(v);
    for (float& v : lit.back) v = clamp01(v);
}

// Counter-clockwise in window coordinates: the front.
bool frontFacing(const OutputVertex& a, const OutputVertex& b, const OutputVertex& c) {
    const float ax = a.clip[0] / a.clip[3], ay = a.clip[1] / a.clip[3];
    const float bx = b.clip[0] / b.clip[3], by = b.clip[1] / b.clip[3];
    const float cx = c.clip[0] / c.clip[3], cy = c.clip[1] / c.clip[3];
    float area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
    // A vertex behind the eye flips the projected winding.
    if ((a.clip[3] < 0) != (b.clip[3] < 0) || (a.clip[3] < 0) != (c.clip[3] < 0)) return true;
    if (a.clip[3] < 0) area = -area;
    return area >= 0.0f;
}

constexpr int maxVertices = GlState::maxPrimitiveVertices;
OutputVertex outputs[maxVertices];
Lit lits[maxVertices];

void emitTriangle(int i0, int i1, int i2, int provoking) {
    OutputVertex a = outputs[i0], b = outputs[i1], c = outputs[i2];
    const ServerState& s = state().server;
    const bool front = !s.lighting || !s.twoSided || frontFacing(a, b, c);
    auto colorOf = [&](int index) { return front ? lits[index].front : lits[index].back; };
    OutputVertex* corners[3] = {&a, &b, &c};
    const int indices[3] = {i0, i1, i2};
    for (int k = 0; k < 3; ++k) {
        const float* color = colorOf(s.flat ? provoking : indices[k]);
        for (int i = 0; i < 4; ++i) corners[k]->color[i] = color[i];
    }
    addTriangle(a, b, c);
}

// A line of more than a pixel's width: a quad as wide as the line across its minor axis,
// in window coordinates, as a GL rasterises wide lines without antialiasing.
void emitWideLine(const OutputVertex& from, const OutputVertex& to, const float* color) {
    const ServerState& s = state().server;
    const float halfWidth = s.lineWidth * 0.5f;
    const float sx = 0.5f * float(s.viewport[2]), sy = 0.5f * float(s.viewport[3]);
    const float x0 = from.clip[0] / from.clip[3] * sx, y0 = from.clip[1] / from.clip[3] * sy;
    const float x1 = to.clip[0] / to.clip[3] * sx, y1 = to.clip[1] / to.clip[3] * sy;
    const bool xMajor = std::fabs(x1 - x0) >= std::fabs(y1 - y0);
    const float dx = xMajor ? 0.0f : halfWidth / sx, dy = xMajor ? halfWidth / sy : 0.0f;
    auto corner = [&](const OutputVertex& v, float sign) {
        OutputVertex out = v;
        out.clip[0] = v.clip[0] / v.clip[3] + sign * dx;
        out.clip[1] = v.clip[1] / v.clip[3] + sign * dy;
        out.clip[2] = v.clip[2] / v.clip[3];
        out.clip[3] = 1.0f;
        for (int i = 0; i < 4; ++i) out.color[i] = color[i];
        return out;
    };
    const OutputVertex a = corner(from, -1.0f), b = corner(to, -1.0f), c = corner(to, 1.0f),
                       d = corner(from, 1.0f);
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

void emitLine(int i0, int i1, int provoking) {
    const ServerState& s = state().server;
    OutputVertex a = outputs[i0], b = outputs[i1];
    const float* colorA = lits[s.flat ? provoking : i0].front;
    const float* colorB = lits[s.flat ? provoking : i1].front;
    if (s.lineWidth > 1.0f) {
        emitWideLine(a, b, colorA);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        a.color[i] = colorA[i];
        b.color[i] = colorB[i];
    }
    addLine(a, b);
}

}  // namespace

void trackColorMaterial() {
    ServerState& s = state().server;
    auto track = [&](Material& material) {
        float* targets[2] = {nullptr, nullptr};
        switch (s.colorMaterialMode) {
            case GL_AMBIENT:
                targets[0] = material.ambient;
                break;
            case GL_DIFFUSE:
                targets[0] = material.diffuse;
                break;
            case GL_SPECULAR:
                targets[0] = material.specular;
                break;
            case GL_EMISSION:
                targets[0] = material.emission;
                break;
            default:
                targets[0] = material.ambient;
                targets[1] = material.diffuse;
                break;
        }
        for (float* target : targets)
            if (target) std::copy(s.color, s.color + 4, target);
    };
    if (s.colorMaterialFace != GL_BACK) track(s.front);
    if (s.colorMaterialFace != GL_FRONT) track(s.back);
}

void drawPrimitive(GLenum mode, const InputVertex* vertices, int count) {
    GlState& gl = state();
    count = std::min(count, maxVertices);
    const float* modelview = gl.modelview.current().m;
    const float* projection = gl.projection.current().m;
    float mvp[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += projection[k * 4 + row] * modelview[column * 4 + k];
            mvp[column * 4 + row] = sum;
        }
    for (int i = 0; i < count; ++i) processVertex(vertices[i], modelview, mvp, outputs[i], lits[i]);
    switch (mode) {
        case GL_TRIANGLES:
            for (int i = 0; i + 2 < count; i += 3) emitTriangle(i, i + 1, i + 2, i + 2);
            break;
        case GL_TRIANGLE_STRIP:
            for (int i = 0; i + 2 < count; ++i) {
                if (i % 2 == 0)
                    emitTriangle(i, i + 1, i + 2, i + 2);
                else
                    emitTriangle(i + 1, i, i + 2, i + 2);
            }
            break;
        case GL_TRIANGLE_FAN:
        case GL_POLYGON:
            for (int i = 1; i + 1 < count; ++i)
                emitTriangle(0, i, i + 1, mode == GL_POLYGON ? 0 : i + 1);
            break;
        case GL_QUADS:
            for (int i = 0; i + 3 < count; i += 4) {
                emitTriangle(i, i + 1, i + 2, i + 3);
                emitTriangle(i, i + 2, i + 3, i + 3);
            }
            break;
        case GL_QUAD_STRIP:
            for (int i = 0; i + 3 < count; i += 2) {
                emitTriangle(i, i + 1, i + 3, i + 3);
                emitTriangle(i, i + 3, i + 2, i + 3);
            }
            break;
        case GL_LINES:
            for (int i = 0; i + 1 < count; i += 2) emitLine(i, i + 1, i + 1);
            break;
        case GL_LINE_STRIP:
        case GL_LINE_LOOP:
            for (int i = 0; i + 1 < count; ++i) emitLine(i, i + 1, i + 1);
            if (mode == GL_LINE_LOOP && count > 1) emitLine(count - 1, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace zuzor::webgl

using namespace zuzor::webgl;

namespace {

void addVertex(float x, float y, float z, float w) {
    GlState& gl = state();
    if (!gl.inBegin || gl.primitiveCount >= GlState::maxPrimitiveVertices) return;
    InputVertex& v = gl.primitive[gl.primitiveCount++];
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = w;
    const ServerState& s = gl.server;
    std::copy(s.color, s.color + 4, v.color);
    std::copy(s.normal, s.normal + 3, v.normal);
    std::copy(s.texCoord, s.texCoord + 2, v.texCoord);
}

void setColor(float r, float g, float b, float a) {
    float* c = state().server.color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
    if (state().server.colorMaterial) trackColorMaterial();
}

// Vertices taken from the enabled arrays, a bounded run at a time: a whole number of
// triangles, quads and lines.
constexpr int separatePiece = 4080;
InputVertex arrayVertices[GlState::maxPrimitiveVertices];

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
    GlState& gl = state();
    gl.inBegin = true;
    gl.primitiveMode = mode;
    gl.primitiveCount = 0;
}

void glEnd() {
    GlState& gl = state();
    if (!gl.inBegin) return;
    gl.inBegin = false;
    drawPrimitive(gl.primitiveMode, gl.primitive, gl.primitiveCount);
}

void glVertex2i(GLint x, GLint y) {
    addVertex(float(x), float(y), 0.0f, 1.0f);
}
void glVertex2f(GLfloat x, GLfloat y) {
    addVertex(x, y, 0.0f, 1.0f);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    addVertex(x, y, z, 1.0f);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    setColor(r, g, b, 1.0f);
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    setColor(r, g, b, a);
}
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    setColor(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    float* n = state().server.normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    state().server.texCoord[0] = s;
    state().server.texCoord[1] = t;
}
void glTexCoord2d(GLdouble s, GLdouble t) {
    glTexCoord2f(float(s), float(t));
}

void glEnableClientState(GLenum array) {
    ClientState& c = state().client;
    if (array == GL_VERTEX_ARRAY) c.vertexArray = true;
    if (array == GL_NORMAL_ARRAY) c.normalArray = true;
}

void glDisableClientState(GLenum array) {
    ClientState& c = state().client;
    if (array == GL_VERTEX_ARRAY) c.vertexArray = false;
    if (array == GL_NORMAL_ARRAY) c.normalArray = false;
}

void glVertexPointer(GLint size, GLenum, GLsizei stride, const GLvoid* pointer) {
    ArrayPointer& p = state().client.vertices;
    p.size = size;
    p.stride = stride;
    p.data = static_cast<const float*>(pointer);
}

void glNormalPointer(GLenum, GLsizei stride, const GLvoid* pointer) {
    ArrayPointer& p = state().client.normals;
    p.size = 3;
    p.stride = stride;
    p.data = static_cast<const float*>(pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    GlState& gl = state();
    const ClientState& c = gl.client;
    if (!c.vertexArray || !c.vertices.data || first < 0 || count <= 0) return;
    // Runs of separate primitives go through in pieces of whole primitives; a strip or a
    // loop longer than one piece is cut short.
    const bool separate = mode == GL_QUADS || mode == GL_TRIANGLES || mode == GL_LINES;
    const int piece = separate ? separatePiece : GlState::maxPrimitiveVertices;
    if (!separate) count = std::min<GLsizei>(count, piece);
    const int vertexStride = c.vertices.stride ? c.vertices.stride / 4 : c.vertices.size;
    const int normalStride = c.normals.stride ? c.normals.stride / 4 : 3;
    for (int start = 0; start < count; start += piece) {
        const int n = std::min(piece, count - start);
        for (int i = 0; i < n; ++i) {
            const size_t index = size_t(first + start + i);
            InputVertex& v = arrayVertices[i];
            const float* p = c.vertices.data + index * size_t(vertexStride);
            v.position[0] = p[0];
            v.position[1] = c.vertices.size > 1 ? p[1] : 0.0f;
            v.position[2] = c.vertices.size > 2 ? p[2] : 0.0f;
            v.position[3] = c.vertices.size > 3 ? p[3] : 1.0f;
            std::copy(gl.server.color, gl.server.color + 4, v.color);
            const float* normal = c.normalArray && c.normals.data
                                      ? c.normals.data + index * size_t(normalStride)
                                      : gl.server.normal;
            std::copy(normal, normal + 3, v.normal);
            std::copy(gl.server.texCoord, gl.server.texCoord + 2, v.texCoord);
        }
        drawPrimitive(mode, arrayVertices, n);
    }
}

}  // extern "C"
