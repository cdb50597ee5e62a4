// A picture drawn at its own size is read as RGB and only flipped, as it always was; a
// larger one is read in the renderer's own order, BGRA, which is several times faster to
// read, and filtered while flipped.
#include "capture/picture_readback.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/offscreen_gl.h"

namespace zuzor {

void filterDown(const uint8_t* bgra, int srcWidth, int srcHeight, int factor, uint8_t* rgb) {
    const int width = srcWidth / factor;
    const int height = srcHeight / factor;
    const uint32_t count = uint32_t(factor * factor);
    std::vector<uint32_t> sums(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = 0; row < factor; ++row) {
            const uint8_t* src = bgra + (size_t(y) * factor + row) * srcWidth * 4;
            for (int x = 0; x < width; ++x) {
                uint32_t* sum = &sums[size_t(x) * 3];
                for (int i = 0; i < factor; ++i, src += 4) {
                    sum[0] += src[2];
                    sum[1] += src[1];
                    sum[2] += src[0];
                }
            }
        }
        uint8_t* out = rgb + size_t(height - 1 - y) * width * 3;
        for (size_t i = 0; i < sums.size(); ++i) out[i] = uint8_t((sums[i] + count / 2) / count);
    }
}

PictureReadback::PictureReadback(int frameWidth, int frameHeight, const PictureRect& picture,
                                 int factor)
    : frameWidth_(frameWidth),
      frameHeight_(frameHeight),
      picture_(picture),
      factor_(factor),
      whole_(picture.width == frameWidth && picture.height == frameHeight) {
    const size_t drawn = size_t(picture.width) * factor * picture.height * factor;
    scratch_.resize(drawn * (factor == 1 ? 3 : 4));
    if (!whole_) pixels_.resize(size_t(picture.width) * picture.height * 3);
}

void PictureReadback::read(const OffscreenGl& gl, uint8_t* frame) {
    uint8_t* picture = whole_ ? frame : pixels_.data();
    if (factor_ == 1) {
        gl.readRgbTopDown(picture, scratch_.data());
    } else {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, picture_.width * factor_, picture_.height * factor_, GL_BGRA,
                     GL_UNSIGNED_BYTE, scratch_.data());
        filterDown(scratch_.data(), picture_.width * factor_, picture_.height * factor_, factor_,
                   picture);
    }
    if (whole_) return;
    std::memset(frame, 0, size_t(frameWidth_) * frameHeight_ * 3);
    const size_t row = size_t(picture_.width) * 3;
    const int top = frameHeight_ - picture_.y - picture_.height;
    for (int y = 0; y < picture_.height; ++y)
        std::memcpy(frame + ((size_t(top) + y) * frameWidth_ + picture_.x) * 3,
                    picture + size_t(y) * row, row);
}

}  // namespace zuzor
