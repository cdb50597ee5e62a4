// Uploads decoded TGA pixels as a GL_TEXTURE_2D with linear filtering and no mipmaps.
#include "assets/tga_upload.h"

#include <GL/gl.h>

namespace zuzor {

void uploadTga(TgaImage& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    image.texture = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLenum format = image.bitsPerPixel == 32 ? GL_RGBA : GL_RGB;

    // The buffer's rows follow each other without padding, while GL reads client rows at a
    // 4-byte alignment by default; a 24-bit row of a width that is not a multiple of 4 would
    // otherwise be read skewed and past the buffer's end. The caller's setting comes back
    // afterwards so that nothing else sees a changed unpack state.
    bool packedRows = image.bitsPerPixel == 24 && image.width % 4 != 0;
    GLint alignment = 4;
    if (packedRows) {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(image.width), GLsizei(image.height), 0,
                 format, GL_UNSIGNED_BYTE, image.pixels.get());
    if (packedRows) glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace zuzor
