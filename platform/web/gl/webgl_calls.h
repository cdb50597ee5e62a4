// The WebGL 2 calls the subset makes, under emscripten's second names for them, so that
// the GL 1.1 entry points of the same names (glEnable, glViewport, ...) can be ours. Only
// the declarations: the files that define GL 1.1 entry points cannot include WebGL's headers.
#pragma once
#include <GL/gl.h>

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glClear(GLbitfield mask);
void emscripten_glFinish();
void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glDeleteTextures(GLsizei n, const GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset,
                                    GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glPixelStorei(GLenum name, GLint value);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, void* pixels);
}
