// The TGA file format half of the loader, without GL: which headers are refused and in
// which words, what a short file costs, and how the pixels come out.
#include "assets/tga_decode.h"
#include "assets/tga_check.h"
#include "authoring/image_canvas.h"
#include "base/host_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace zuzor;

namespace {

std::vector<uint8_t> tgaFile(int width, int height, int depth, std::vector<uint8_t> pixels,
                             uint8_t descriptor = 0) {
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int value : {width & 0xff, width >> 8, height & 0xff, height >> 8, depth})
        bytes.push_back(uint8_t(value));
    bytes.push_back(descriptor);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// Every pixel buffer the reader asks for goes through here.
int allocations = 0;
void* countingAllocate(size_t size) {
    ++allocations;
    return std::malloc(size);
}
void* refusingAllocate(size_t) {
    ++allocations;
    return nullptr;
}

// A real file with the given bytes, positioned at its start.
struct TempFile {
    std::FILE* file = std::tmpfile();
    explicit TempFile(const std::vector<uint8_t>& bytes) {
        // An empty vector may have no storage at all, and fwrite takes no null pointer.
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    ~TempFile() { std::fclose(file); }
};

// Runs both readers on the same bytes; they must agree.
bool decodeBoth(const std::vector<uint8_t>& bytes, TgaImage& image) {
    TgaImage fromMemory{};
    bool memoryOk = decodeTga(bytes.data(), bytes.size(), fromMemory, countingAllocate);
    TempFile temp(bytes);
    bool fileOk = readTga(temp.file, image, countingAllocate);
    EXPECT_EQ(memoryOk, fileOk);
    if (memoryOk && fileOk) {
        EXPECT_EQ(0,
                  std::memcmp(fromMemory.pixels.get(), image.pixels.get(), tgaPixelBytes(image)));
    }
    fromMemory.pixels.reset();
    return fileOk;
}

void expectRefusedWithoutBuffer(const std::vector<uint8_t>& bytes) {
    allocations = 0;
    TgaImage image{};
    EXPECT_FALSE(decodeBoth(bytes, image));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(allocations, 0);
}

const std::vector<uint8_t> onePixel = {1, 2, 3};

TEST(TgaHeader, RefusesEveryOtherFlavour) {
    struct Change {
        size_t offset;
        uint8_t value;
    };
    const Change changes[] = {
        {0, 1},                                              // image ID present
        {1, 1},                                              // colour map present
        {2, 0},  {2, 1},  {2, 3}, {2, 9}, {2, 10}, {2, 11},  // other image types
        {3, 1},  {4, 1},  {5, 1}, {6, 1}, {7, 24},           // colour map fields
        {8, 1},  {9, 1},                                     // X origin
        {10, 1}, {11, 1},                                    // Y origin
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(testing::Message() << "byte " << change.offset << " = " << int(change.value));
        std::vector<uint8_t> bytes = tgaFile(1, 1, 24, onePixel);
        bytes[change.offset] = change.value;
        expectRefusedWithoutBuffer(bytes);
    }
}

TEST(TgaHeader, RefusesDepthsOtherThan24And32) {
    for (int depth : {0, 8, 15, 16, 31, 33, 48}) {
        SCOPED_TRACE(depth);
        expectRefusedWithoutBuffer(tgaFile(1, 1, depth, {1, 2, 3, 4, 5, 6}));
    }
}

TEST(TgaHeader, RefusesZeroSizesButKeepsTheReadSizes) {
    expectRefusedWithoutBuffer(tgaFile(0, 5, 24, onePixel));
    expectRefusedWithoutBuffer(tgaFile(5, 0, 24, onePixel));

    TgaImage image{};
    std::vector<uint8_t> bytes = tgaFile(0, 0x1234, 32, {});
    EXPECT_FALSE(decodeTga(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.width, 0u);
    EXPECT_EQ(image.height, 0x1234u);
    EXPECT_EQ(image.bitsPerPixel, 0u);
}

TEST(TgaHeader, SizesAreLittleEndianSixteenBit) {
    TgaImage image{};
    std::vector<uint8_t> bytes = tgaFile(0x0102, 0xff03, 24, {});
    ASSERT_FALSE(decodeTga(bytes.data(), bytes.size(), image));  // no pixel data
    EXPECT_EQ(image.width, 0x0102u);
    EXPECT_EQ(image.height, 0xff03u);
}

TEST(TgaTruncation, ShortHeadersAreRefused) {
    std::vector<uint8_t> whole = tgaFile(1, 1, 24, onePixel);
    for (size_t length = 0; length < tgaHeaderSize; ++length) {
        SCOPED_TRACE(length);
        expectRefusedWithoutBuffer(std::vector<uint8_t>(whole.begin(), whole.begin() + length));
    }
}

TEST(TgaTruncation, ShortPixelDataIsRefusedBeforeAnyAllocation) {
    std::vector<uint8_t> whole = tgaFile(3, 2, 32, std::vector<uint8_t>(24, 7));
    for (size_t cut = 1; cut <= 24; ++cut) {
        SCOPED_TRACE(cut);
        expectRefusedWithoutBuffer(std::vector<uint8_t>(whole.begin(), whole.end() - cut));
    }
}

// The largest header there is, over a few bytes: the reader must neither allocate 16 GiB
// nor try to read them.
TEST(TgaTruncation, HugeHeaderOverAShortFileAllocatesNothing) {
    expectRefusedWithoutBuffer(tgaFile(65535, 65535, 32, std::vector<uint8_t>(100, 1)));
    expectRefusedWithoutBuffer(tgaFile(65535, 65535, 24, {}));
}

TEST(TgaTruncation, FailedAllocationIsRefusedCleanly) {
    std::vector<uint8_t> bytes = tgaFile(1, 1, 24, onePixel);
    TgaImage image{};
    allocations = 0;
    TempFile temp(bytes);
    EXPECT_FALSE(readTga(temp.file, image, refusingAllocate));
    EXPECT_FALSE(decodeTga(bytes.data(), bytes.size(), image, refusingAllocate));
    EXPECT_EQ(allocations, 2);
    EXPECT_EQ(image.pixels, nullptr);
}

// A stream that serves `bytes` but, when `claimedSize` is set, reports that size as its
// end: a file that shrinks between the size check and the read, or (with no seek at all)
// a pipe.
struct CookieStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    off64_t claimedSize = 0;

    static ssize_t read(void* cookie, char* buffer, size_t size) {
        auto* self = static_cast<CookieStream*>(cookie);
        size_t n = self->position < self->bytes.size()
                       ? std::min(size, self->bytes.size() - self->position)
                       : 0;
        std::memcpy(buffer, self->bytes.data() + self->position, n);
        self->position += n;
        return ssize_t(n);
    }
    static int seek(void* cookie, off64_t* offset, int whence) {
        auto* self = static_cast<CookieStream*>(cookie);
        off64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? off64_t(self->position)
                                            : self->claimedSize;
        off64_t target = base + *offset;
        if (target < 0) return -1;
        self->position = size_t(target);
        *offset = target;
        return 0;
    }
    std::FILE* open(bool seekable) {
        cookie_io_functions_t functions{};
        functions.read = read;
        if (seekable) functions.seek = seek;
        return fopencookie(this, "rb", functions);
    }
};

TEST(TgaTruncation, FileThatShrinksAfterTheSizeCheckLeavesNoBuffer) {
    CookieStream stream{tgaFile(4, 4, 32, std::vector<uint8_t>(20, 9))};
    stream.claimedSize = off64_t(tgaHeaderSize + 64);
    std::FILE* file = stream.open(true);
    ASSERT_NE(file, nullptr);
    TgaImage image{};
    allocations = 0;
    EXPECT_FALSE(readTga(file, image, countingAllocate));
    EXPECT_EQ(allocations, 1);  // the size check passed; the short read then undid it
    EXPECT_EQ(image.pixels, nullptr);
    std::fclose(file);
}

// Without a size to check, a header alone never earns a buffer.
TEST(TgaTruncation, StreamOfUnknownLengthIsRefused) {
    CookieStream stream{tgaFile(1, 1, 24, onePixel)};
    std::FILE* file = stream.open(false);
    ASSERT_NE(file, nullptr);
    TgaImage image{};
    allocations = 0;
    EXPECT_FALSE(readTga(file, image, countingAllocate));
    EXPECT_EQ(allocations, 0);
    std::fclose(file);
}

TEST(TgaPixels, TwentyFourBitSwapsBlueAndRed) {
    TgaImage image{};
    ASSERT_TRUE(decodeBoth(tgaFile(2, 1, 24, {1, 2, 3, 4, 5, 6}), image));
    EXPECT_EQ(image.bitsPerPixel, 24u);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 6),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    image.pixels.reset();
}

TEST(TgaPixels, ThirtyTwoBitKeepsAlphaInPlace) {
    TgaImage image{};
    ASSERT_TRUE(decodeBoth(tgaFile(2, 1, 32, {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4}), image));
    EXPECT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 8),
              (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x40, 3, 2, 1, 4}));
    image.pixels.reset();
}

TEST(TgaPixels, BytesAfterThePixelDataAreIgnored) {
    std::vector<uint8_t> bytes = tgaFile(1, 2, 24, {1, 2, 3, 4, 5, 6});
    const char footer[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
    bytes.insert(bytes.end(), footer, footer + sizeof footer);
    TgaImage image{};
    ASSERT_TRUE(decodeBoth(bytes, image));
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 6),
              (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    image.pixels.reset();
}

TEST(TgaPixels, ReadingStopsAtTheEndOfThePixelData) {
    std::vector<uint8_t> bytes = tgaFile(1, 1, 24, onePixel);
    bytes.push_back(0xee);
    TempFile temp(bytes);
    TgaImage image{};
    ASSERT_TRUE(readTga(temp.file, image));
    EXPECT_EQ(std::fgetc(temp.file), 0xee);
    image.pixels.reset();
}

// Our own writer in both row orders, with a width whose rows are not a multiple of 4 bytes:
// the same picture must come out of the loader the same, bottom row first.
TEST(TgaPixels, TopRowFirstAndBottomRowFirstGiveTheSamePixels) {
    RgbaImage picture(3, 5);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            double* p = picture.at(x, y);
            p[0] = x / 2.0;
            p[1] = y / 4.0;
            p[2] = (x + y) % 2;
            p[3] = (y + 1) / 5.0;
        }
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        TgaImage bottomFirst{}, topFirst{};
        ASSERT_TRUE(decodeBoth(encodeTga(picture, depth), bottomFirst));
        ASSERT_TRUE(decodeBoth(encodeTga(picture, depth, TgaRowOrder::topRowFirst), topFirst));
        const size_t bytes = tgaPixelBytes(bottomFirst);
        ASSERT_EQ(bytes, tgaPixelBytes(topFirst));
        EXPECT_EQ(0, std::memcmp(bottomFirst.pixels.get(), topFirst.pixels.get(), bytes));
        // The first row handed over is the picture's bottom row (y 0), in R, G, B order.
        EXPECT_EQ(bottomFirst.pixels[0], 0);
        EXPECT_EQ(bottomFirst.pixels[1], 0);
        EXPECT_EQ(bottomFirst.pixels[2], 0);
        EXPECT_EQ(bottomFirst.pixels[bytes - bytes / 5 + 1], 255);  // top row: green full
    }
}

// Every refusal has its words, and the words agree with the loader: what the check
// refuses the decoder refuses, what it accepts the decoder reads.
TEST(TgaCheck, SaysWhyExactlyWhenTheDecoderRefuses) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* reason;  // empty: accepted
    };
    auto changed = [](size_t offset, uint8_t value) {
        std::vector<uint8_t> bytes = tgaFile(1, 1, 24, onePixel);
        bytes[offset] = value;
        return bytes;
    };
    std::vector<uint8_t> withId = tgaFile(1, 1, 24, onePixel);
    withId[0] = 42;
    withId.insert(withId.begin() + 18, 42, 'x');
    const Case cases[] = {
        {withId, "image ID field of 42 bytes (only ID length 0 is read)"},
        {changed(1, 1), "colour map type 1 (only files without a colour map are read)"},
        {changed(2, 10),
         "run-length encoded image type 10 (only uncompressed true-colour, type 2, is read)"},
        {changed(2, 3), "image type 3 (only uncompressed true-colour, type 2, is read)"},
        {changed(5, 1), "colour map fields set (only zero colour map fields are read)"},
        {changed(10, 2), "image origin (0, 2) (only origin (0, 0) is read)"},
        {tgaFile(0, 4, 24, {}), "image of 0x4 pixels"},
        {tgaFile(1, 1, 16, onePixel), "16 bits per pixel (only 24 and 32 are read)"},
        {tgaFile(2, 1, 24, onePixel), "pixel data ends after 3 of 6 bytes"},
        {{0, 0, 2}, "shorter than the 18-byte TGA header"},
        {tgaFile(1, 1, 24, onePixel, 0x20), ""},
        {tgaFile(1, 1, 32, {1, 2, 3, 4}, 0x08), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::string reason;
        const bool accepted = checkTga(c.bytes.data(), c.bytes.size(), reason);
        EXPECT_EQ(accepted, *c.reason == '\0');
        if (!accepted) {
            EXPECT_EQ(reason, c.reason);
        }
        TgaImage image{};
        EXPECT_EQ(decodeTga(c.bytes.data(), c.bytes.size(), image), accepted);
    }
}

TEST(TgaPixelBytes, LargestImageIsExact) {
    TgaImage image{};
    image.width = 65535;
    image.height = 65535;
    image.bitsPerPixel = 32;
    EXPECT_EQ(uint64_t(tgaPixelBytes(image)), 65535ull * 65535ull * 4ull);
}

TEST(HostPath, BackslashesBecomeSlashes) {
    char out[32];
    ASSERT_TRUE(toHostPath("Data\\drell.tga", out, sizeof out));
    EXPECT_STREQ(out, "Data/drell.tga");
    ASSERT_TRUE(toHostPath("a\\b/c\\", out, sizeof out));
    EXPECT_STREQ(out, "a/b/c/");
}

TEST(HostPath, RefusesWhatDoesNotFit) {
    char out[5];
    EXPECT_TRUE(toHostPath("abcd", out, sizeof out));
    EXPECT_FALSE(toHostPath("abcde", out, sizeof out));
    EXPECT_FALSE(toHostPath("", out, 0));
}

TEST(LoadTga, MissingFileIsRefusedWithoutGl) {
    TgaImage image{};
    EXPECT_FALSE(loadTga(image, "Data\\no-such-image.tga"));
    EXPECT_EQ(image.texture, 0u);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0u);
}

}  // namespace
