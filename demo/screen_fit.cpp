// The picture is copied into a texture with glCopyTexSubImage2D and drawn as one linearly
// filtered quad: plain OpenGL 1.1. Everything the copy and the quad change is put back
// through the attribute and matrix stacks, because the show relies on the state its
// layers leave from one frame to the next.
#include "demo/screen_fit.h"

#include <GL/gl.h>

namespace zuzor {

namespace {

// The smallest power of two that holds the show's picture (OpenGL 1.1 textures).
constexpr int textureSize = 1024;

}  // namespace

void ScreenFit::resize(int width, int height) {
    if (width < 1 || height < 1) return;
    width_ = width;
    height_ = height;
    picture_ = centredFourByThree(width, height);
    scaled_ = picture_.width > showWidth || picture_.height > showHeight;
    bars_ = !scaled_ && (picture_.width != width || picture_.height != height);
}

void ScreenFit::beginFrame() {
    if (scaled_) {
        glViewport(0, 0, showWidth, showHeight);
        // The frame's own clears then touch the show's 800x600 alone, not the whole screen.
        glScissor(0, 0, showWidth, showHeight);
        glEnable(GL_SCISSOR_TEST);
        return;
    }
    glViewport(picture_.x, picture_.y, picture_.width, picture_.height);
    if (!bars_) {
        // The scissor of an earlier size would otherwise keep cutting the picture.
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    // A smaller window of another shape: the bars are cleared black, and the frame's own
    // clears stay inside the picture.
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
    glScissor(picture_.x, picture_.y, picture_.width, picture_.height);
    glEnable(GL_SCISSOR_TEST);
}

void ScreenFit::endFrame() {
    if (!scaled_) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    if (texture_ == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        texture_ = name;
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureSize, textureSize, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, texture_);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, showWidth, showHeight);

    glViewport(0, 0, width_, height_);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(picture_.x, picture_.y, picture_.width, picture_.height);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // From the first texel's centre to the last one's, so the filter never reaches past the
    // picture's edge into texels it does not cover.
    const float s0 = 0.5f / textureSize, s1 = (showWidth - 0.5f) / textureSize;
    const float t0 = 0.5f / textureSize, t1 = (showHeight - 0.5f) / textureSize;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(s1, t0);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(s1, t1);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(s0, t1);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace zuzor
