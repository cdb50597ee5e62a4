// The TGA file format half of the loader, without GL: which headers are refused, what a
// short file costs, and how the pixels come out.
#include "assets/tga_decode.h"
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

TEST(TgaPixels, DescriptorByteDoesNotReorderRows) {
    std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6};
    TgaImage bottomUp{}, topDown{};
    ASSERT_TRUE(decodeBoth(tgaFile(1, 2, 24, pixels, 0x00), bottomUp));
    ASSERT_TRUE(decodeBoth(tgaFile(1, 2, 24, pixels, 0x20), topDown));
    EXPECT_EQ(0, std::memcmp(bottomUp.pixels.get(), topDown.pixels.get(), 6));
    bottomUp.pixels.reset();
    topDown.pixels.reset();
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
