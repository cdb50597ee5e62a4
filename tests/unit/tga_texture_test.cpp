// The TGA loader end to end through a real GL context: the texture it leaves bound holds
// exactly the file's pixels, in the file's row order, at every 24-bit row width.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/tga_image.h"
#include "tests/support/gl_context.h"

using namespace zuzor;

namespace {

// Writes a TGA file of the given pixels (file order, B G R (A)) and returns its path.
std::string writeTga(const std::string& name, int width, int height, int depth,
                     const std::vector<uint8_t>& pixels) {
    // Named per process: other builds may run the same tests at the same time.
    std::string path = testing::TempDir() + std::to_string(getpid()) + "-" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    uint8_t header[18] = {0, 0, 2};
    header[12] = uint8_t(width);
    header[13] = uint8_t(width >> 8);
    header[14] = uint8_t(height);
    header[15] = uint8_t(height >> 8);
    header[16] = uint8_t(depth);
    std::fwrite(header, 1, sizeof header, file);
    std::fwrite(pixels.data(), 1, pixels.size(), file);
    std::fclose(file);
    return path;
}

std::vector<uint8_t> patterned(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 37 + 11);
    return bytes;
}

std::vector<uint8_t> textureBytes(const TgaImage& image) {
    size_t bytesPerPixel = image.bitsPerPixel / 8;
    std::vector<uint8_t> bytes(size_t(image.width) * image.height * bytesPerPixel);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, bytesPerPixel == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                  bytes.data());
    return bytes;
}

GLint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

TEST(TgaTexture, TwentyFourBitIsUploadedAsRgbAndLeftBound) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    static TgaImage image{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(image, writeTga("rgb.tga", 2, 1, 24, {1, 2, 3, 4, 5, 6}).c_str()));
    EXPECT_NE(image.texture, 0u);
    EXPECT_EQ(boundTexture(), GLint(image.texture));
    GLint format = 0, minFilter = 0, magFilter = 0, wrap = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(format, GL_RGB);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(textureBytes(image), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    // The decoded buffer stays with the record.
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.pixels[0], 3);
}

TEST(TgaTexture, ThirtyTwoBitIsUploadedAsRgba) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    static TgaImage image{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(image, writeTga("rgba.tga", 1, 1, 32, {0x10, 0x20, 0x30, 0x40}).c_str()));
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA);
    EXPECT_EQ(textureBytes(image), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x40}));
}

// Rows of 3, 6, 9, 15 or 21 bytes are not 4-byte aligned: read with GL's default alignment
// they would come out skewed.
TEST(TgaTexture, OddTwentyFourBitWidthsHoldTheExactPixels) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    for (int width : {1, 2, 3, 4, 5, 7, 13}) {
        SCOPED_TRACE(width);
        const int height = 3;
        std::vector<uint8_t> file = patterned(size_t(width) * height * 3);
        TgaImage image{};
        ASSERT_TRUE(loadTga(image, writeTga("odd.tga", width, height, 24, file).c_str()));
        std::vector<uint8_t> expected(image.pixels.get(), image.pixels.get() + file.size());
        EXPECT_EQ(textureBytes(image), expected);
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4);
        image.pixels.reset();
    }
}

TEST(TgaTexture, CallersUnpackAlignmentIsRestored) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    static TgaImage image{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(image, writeTga("three.tga", 3, 1, 24, patterned(9)).c_str()));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
}

TEST(TgaTexture, FailedLoadCreatesNoTexture) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    TgaImage image{};
    std::vector<uint8_t> shortData = patterned(11);
    EXPECT_FALSE(loadTga(image, writeTga("short.tga", 2, 2, 24, shortData).c_str()));
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_FALSE(loadTga(image, writeTga("huge.tga", 65535, 65535, 32, shortData).c_str()));
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.pixels, nullptr);
}

// An 8 × 8 image of four coloured 4 × 4 blocks; the file's first rows are the bottom ones.
// Drawn over the whole window with t = 0 at the bottom, each block lands in its quarter.
TEST(TgaTexture, FirstFileRowIsDrawnAtTheBottom) {
    OffscreenGl gl;
    REQUIRE_GL(gl);
    const uint8_t bgr[4][3] = {
        {0, 0, 255},    // bottom left: red
        {0, 255, 0},    // bottom right: green
        {255, 0, 0},    // top left: blue
        {0, 255, 255},  // top right: yellow
    };
    std::vector<uint8_t> file;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t* colour = bgr[(y / 4) * 2 + x / 4];
            file.insert(file.end(), colour, colour + 3);
        }
    static TgaImage image{};  // kept for the process, as the demo keeps its images
    ASSERT_TRUE(loadTga(image, writeTga("quarters.tga", 8, 8, 24, file).c_str()));

    glViewport(0, 0, gl.width(), gl.height());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2i(-1, -1);
    glTexCoord2d(1, 0);
    glVertex2i(1, -1);
    glTexCoord2d(1, 1);
    glVertex2i(1, 1);
    glTexCoord2d(0, 1);
    glVertex2i(-1, 1);
    glEnd();
    glFinish();

    auto expectColour = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        OffscreenGl::Rgba p = gl.pixel(x, y);
        EXPECT_EQ(p.r, r) << x << "," << y;
        EXPECT_EQ(p.g, g) << x << "," << y;
        EXPECT_EQ(p.b, b) << x << "," << y;
    };
    expectColour(200, 150, 255, 0, 0);
    expectColour(600, 150, 0, 255, 0);
    expectColour(200, 450, 0, 0, 255);
    expectColour(600, 450, 255, 255, 0);
}

}  // namespace
