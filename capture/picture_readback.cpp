// A picture drawn at its own size is read as RGB and only flipped, as it always was; a
// larger one is read in the renderer's own order, BGRA, which is several times faster to
// read, and filtered while flipped.
#include "capture/picture_readback.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

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

PictureReadback::PictureReadback(int width, int height, int factor)
    : width_(width), height_(height), factor_(factor) {
    scratch_.resize(size_t(width) * factor * height * factor * (factor == 1 ? 3 : 4));
}

void PictureReadback::read(const OffscreenGl& gl, uint8_t* rgb) {
    if (factor_ == 1) {
        gl.readRgbTopDown(rgb, scratch_.data());
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_ * factor_, height_ * factor_, GL_BGRA, GL_UNSIGNED_BYTE,
                 scratch_.data());
    filterDown(scratch_.data(), width_ * factor_, height_ * factor_, factor_, rgb);
}

}  // namespace zuzor
