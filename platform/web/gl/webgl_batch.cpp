// The batch of lit, clip-space vertices and the one shader that draws it over WebGL 2.
#include "platform/web/gl/webgl_batch.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstdio>
#include <vector>

namespace zuzor::webgl {

namespace {

const char* vertexSource = R"(#version 300 es
in vec4 clip;
in vec4 color;
in vec2 texCoord;
out vec4 vColor;
out vec2 vTexCoord;
void main() {
    gl_Position = clip;
    vColor = color;
    vTexCoord = texCoord;
}
)";

const char* fragmentSource = R"(#version 300 es
precision highp float;
uniform int textureMode;
uniform sampler2D picture;
in vec4 vColor;
in vec2 vTexCoord;
out vec4 fragment;
void main() {
    if (textureMode == 0) {
        fragment = vColor;
    } else {
        vec4 texel = texture(picture, vTexCoord);
        fragment = textureMode == 1 ? vColor * texel : vec4(texel.rgb, vColor.a * texel.a);
    }
}
)";

constexpr size_t initialVertices = 1 << 16;

struct Batch {
    GLuint program = 0;
    GLuint buffer = 0;
    GLint textureModeLocation = -1;
    int textureMode = 0;
    GLenum mode = GL_TRIANGLES;
    std::vector<OutputVertex> vertices;
    size_t bufferCapacity = 0;
};

Batch batch;

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "zuzor: WebGL shader: %s\n", log);
    }
    return shader;
}

void add(const OutputVertex& v) {
    batch.vertices.push_back(v);
}

void useMode(GLenum mode) {
    if (batch.mode != mode) flushBatch();
    batch.mode = mode;
}

}  // namespace

void initBatch() {
    batch.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(batch.program, compile(GL_VERTEX_SHADER, vertexSource));
    emscripten_glAttachShader(batch.program, compile(GL_FRAGMENT_SHADER, fragmentSource));
    emscripten_glBindAttribLocation(batch.program, 0, "clip");
    emscripten_glBindAttribLocation(batch.program, 1, "color");
    emscripten_glBindAttribLocation(batch.program, 2, "texCoord");
    emscripten_glLinkProgram(batch.program);
    emscripten_glUseProgram(batch.program);
    batch.textureModeLocation = emscripten_glGetUniformLocation(batch.program, "textureMode");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(batch.program, "picture"), 0);
    emscripten_glUniform1i(batch.textureModeLocation, 0);
    emscripten_glGenBuffers(1, &batch.buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
    batch.vertices.reserve(initialVertices);
    batch.bufferCapacity = initialVertices;
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(initialVertices * sizeof(OutputVertex)),
                            nullptr, GL_STREAM_DRAW);
    const GLsizei stride = sizeof(OutputVertex);
    emscripten_glEnableVertexAttribArray(0);
    emscripten_glEnableVertexAttribArray(1);
    emscripten_glEnableVertexAttribArray(2);
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(OutputVertex, clip)));
    emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(OutputVertex, color)));
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(OutputVertex, texCoord)));
}

void setTextureMode(int mode) {
    if (mode == batch.textureMode) return;
    flushBatch();
    batch.textureMode = mode;
    emscripten_glUniform1i(batch.textureModeLocation, mode);
}

void addTriangle(const OutputVertex& a, const OutputVertex& b, const OutputVertex& c) {
    useMode(GL_TRIANGLES);
    add(a);
    add(b);
    add(c);
}

void addLine(const OutputVertex& a, const OutputVertex& b) {
    useMode(GL_LINES);
    add(a);
    add(b);
}

void flushBatch() {
    if (batch.vertices.empty()) return;
    const size_t count = batch.vertices.size();
    const GLsizeiptr bytes = GLsizeiptr(count * sizeof(OutputVertex));
    if (count > batch.bufferCapacity) {
        batch.bufferCapacity = batch.vertices.capacity();
        emscripten_glBufferData(GL_ARRAY_BUFFER,
                                GLsizeiptr(batch.bufferCapacity * sizeof(OutputVertex)), nullptr,
                                GL_STREAM_DRAW);
    }
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, batch.vertices.data());
    emscripten_glDrawArrays(batch.mode, 0, GLsizei(count));
    batch.vertices.clear();
}

}  // namespace zuzor::webgl
