// The show's two committed images: they load through the demo's own paths with the sizes
// and depths they were made for, and they keep the properties their drawing relies on.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "assets/tga_image.h"
#include "authoring/image_canvas.h"
#include "authoring/image_logo.h"
#include "authoring/image_sprite.h"
#include "tests/support/gl_context.h"

using namespace zuzor;

namespace {

// The demo finds its files in Data below the working directory.
void enterSourceDir() {
    ASSERT_EQ(chdir(ZUZOR_SOURCE_DIR), 0);
}

std::vector<uint8_t> textureBytes(const TgaImage& image, GLenum format, size_t bytesPerPixel) {
    std::vector<uint8_t> bytes(size_t(image.width) * image.height * bytesPerPixel);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

TEST(ShowImages, LogoLoadsAsOpaqueTwentyFourBitPowerOfTwo) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    enterSourceDir();
    static TgaImage logo{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(logo, "Data\\drell.tga"));
    EXPECT_EQ(logo.width, 512u);
    EXPECT_EQ(logo.height, 256u);
    EXPECT_EQ(logo.bitsPerPixel, 24u);
    EXPECT_NE(logo.texture, 0u);
    std::vector<uint8_t> texels = textureBytes(logo, GL_RGB, 3);
    EXPECT_EQ(texels, std::vector<uint8_t>(logo.pixels.get(), logo.pixels.get() + texels.size()));
}

TEST(ShowImages, SpriteLoadsAsThirtyTwoBitPowerOfTwo) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    enterSourceDir();
    static TgaImage sprite{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(sprite, "Data\\korvane.tga"));
    EXPECT_EQ(sprite.width, 128u);
    EXPECT_EQ(sprite.height, 128u);
    EXPECT_EQ(sprite.bitsPerPixel, 32u);
    EXPECT_NE(sprite.texture, 0u);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA);
}

// With repeat wrapping and linear filtering the sprite's border texels blend with the
// opposite border; any alpha there would draw a hard frame around every sprite.
TEST(ShowImages, SpriteFadesToNothingAtTheBorderAndIsOpaqueInside) {
    RgbaImage sprite = makeSprite();
    int last = spriteSize - 1;
    for (int i = 0; i < spriteSize; ++i) {
        EXPECT_EQ(toByte(sprite.at(i, 0)[3]), 0) << i;
        EXPECT_EQ(toByte(sprite.at(i, last)[3]), 0) << i;
        EXPECT_EQ(toByte(sprite.at(0, i)[3]), 0) << i;
        EXPECT_EQ(toByte(sprite.at(last, i)[3]), 0) << i;
    }
    EXPECT_EQ(toByte(sprite.at(spriteSize / 2, spriteSize / 2)[3]), 255);
}

// The logo is drawn without blending: the same rim all round keeps the edge seamless.
TEST(ShowImages, LogoRimIsUniformAndTheNameIsBright) {
    RgbaImage logo = makeLogo();
    auto rgb = [&](int x, int y) {
        const double* p = logo.at(x, y);
        return std::vector<uint8_t>{toByte(p[0]), toByte(p[1]), toByte(p[2]), toByte(p[3])};
    };
    std::vector<uint8_t> rim = rgb(0, 0);
    for (int x = 0; x < logoWidth; ++x) {
        EXPECT_EQ(rgb(x, 0), rim);
        EXPECT_EQ(rgb(x, logoHeight - 1), rim);
    }
    for (int y = 0; y < logoHeight; ++y) {
        EXPECT_EQ(rgb(0, y), rim);
        EXPECT_EQ(rgb(logoWidth - 1, y), rim);
    }
    // Above the file's middle row (the picture is stored bottom row first) the letters' top
    // halves are near white: the name is not drawn upside down.
    int bright = 0;
    for (int y = logoHeight / 2; y < logoHeight; ++y)
        for (int x = 0; x < logoWidth; ++x) {
            const double* p = logo.at(x, y);
            if (p[0] > 0.9 && p[1] > 0.9 && p[2] > 0.9) ++bright;
        }
    int brightBelow = 0;
    for (int y = 0; y < logoHeight / 2; ++y)
        for (int x = 0; x < logoWidth; ++x) {
            const double* p = logo.at(x, y);
            if (p[0] > 0.9 && p[1] > 0.9 && p[2] > 0.9) ++brightBelow;
        }
    EXPECT_GT(bright, 500);
    EXPECT_GT(bright, 10 * brightBelow);
}

}  // namespace
