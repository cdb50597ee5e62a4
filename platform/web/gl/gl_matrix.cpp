// The matrix stacks and the matrix entry points of the subset, and GLU's two cameras. The
// arithmetic is in float, as a GL keeps its matrices; GLU builds its matrices as GLU does.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "platform/web/gl/gl_state.h"

namespace zuzor::webgl {

namespace {

Matrix identity() {
    return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

// current = current * m
void multiply(const float* m) {
    Matrix& c = currentStack().current();
    float result[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += c.m[k * 4 + row] * m[column * 4 + k];
            result[column * 4 + row] = sum;
        }
    for (int i = 0; i < 16; ++i) c.m[i] = result[i];
}

}  // namespace

GlState& state() {
    static GlState& s = []() -> GlState& {
        static GlState fresh;
        fresh.modelview.entries[0] = identity();
        fresh.projection.entries[0] = identity();
        fresh.texture.entries[0] = identity();
        return fresh;
    }();
    return s;
}

MatrixStack& currentStack() {
    GlState& s = state();
    switch (s.server.matrixMode) {
        case GL_PROJECTION:
            return s.projection;
        case GL_TEXTURE:
            return s.texture;
        default:
            return s.modelview;
    }
}

}  // namespace zuzor::webgl

using namespace zuzor::webgl;

extern "C" {

void glMatrixMode(GLenum mode) {
    state().server.matrixMode = mode;
}

void glLoadIdentity() {
    currentStack().current() = identity();
}

void glPushMatrix() {
    MatrixStack& stack = currentStack();
    if (stack.top + 1 >= MatrixStack::depth) return;
    stack.entries[stack.top + 1] = stack.entries[stack.top];
    ++stack.top;
}

void glPopMatrix() {
    MatrixStack& stack = currentStack();
    if (stack.top > 0) --stack.top;
}

void glMultMatrixf(const GLfloat* m) {
    multiply(m);
}

void glMultMatrixd(const GLdouble* m) {
    float f[16];
    for (int i = 0; i < 16; ++i) f[i] = float(m[i]);
    multiply(f);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    float* m = currentStack().current().m;
    for (int row = 0; row < 4; ++row)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(float(x), float(y), float(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    float* m = currentStack().current().m;
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * float(M_PI / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), one = 1.0f - c;
    const float r[16] = {x * x * one + c,
                         y * x * one + z * s,
                         z * x * one - y * s,
                         0,
                         x * y * one - z * s,
                         y * y * one + c,
                         z * y * one + x * s,
                         0,
                         x * z * one + y * s,
                         y * z * one - x * s,
                         z * z * one + c,
                         0,
                         0,
                         0,
                         0,
                         1};
    multiply(r);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal,
             GLdouble farVal) {
    const float l = float(left), r = float(right), b = float(bottom), t = float(top);
    const float n = float(nearVal), f = float(farVal);
    const float m[16] = {2.0f / (r - l),
                         0,
                         0,
                         0,
                         0,
                         2.0f / (t - b),
                         0,
                         0,
                         0,
                         0,
                         -2.0f / (f - n),
                         0,
                         -(r + l) / (r - l),
                         -(t + b) / (t - b),
                         -(f + n) / (f - n),
                         1};
    multiply(m);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {float(centerX - eyeX), float(centerY - eyeY), float(centerZ - eyeZ)};
    float up[3] = {float(upX), float(upY), float(upZ)};
    auto normalize = [](float* v) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r == 0.0f) return;
        v[0] /= r;
        v[1] /= r;
        v[2] /= r;
    };
    auto cross = [](const float* a, const float* b, float* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalize(forward);
    float side[3];
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    const float m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                         side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    multiply(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

}  // extern "C"
