#include "display/pixel_format.h"

#include <gtest/gtest.h>

using kaDraw::ComputePixelFormat;
using kaDraw::PixelFormatRecord;

namespace {

struct Shifts {
    int r, r5, g, g5, b, b5;
};

Shifts Of(const PixelFormatRecord& f) {
    return {f.redShift, f.red5Shift, f.greenShift, f.green5Shift, f.blueShift, f.blue5Shift};
}

void ExpectShifts(const PixelFormatRecord& f, Shifts want) {
    Shifts got = Of(f);
    EXPECT_EQ(got.r, want.r);
    EXPECT_EQ(got.r5, want.r5);
    EXPECT_EQ(got.g, want.g);
    EXPECT_EQ(got.g5, want.g5);
    EXPECT_EQ(got.b, want.b);
    EXPECT_EQ(got.b5, want.b5);
}

}  // namespace

TEST(PixelFormat, ShiftsOfTheThreeRgbLayouts) {
    PixelFormatRecord f;
    ASSERT_TRUE(ComputePixelFormat(16, 0xF800, 0x07E0, 0x001F, f));
    ExpectShifts(f, {11, 11, 5, 6, 0, 0});
    ASSERT_TRUE(ComputePixelFormat(16, 0x7C00, 0x03E0, 0x001F, f));
    ExpectShifts(f, {10, 10, 5, 5, 0, 0});
    ASSERT_TRUE(ComputePixelFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, f));
    ExpectShifts(f, {16, 16, 8, 8, 0, 0});
    EXPECT_EQ(f.bitsPerPixel, 32);
    EXPECT_TRUE(f.hasMasks);
}

TEST(PixelFormat, WhiteInFiveBitsFillsEveryChannel) {
    // 31 placed by its 5-bit shift lands in the top bits of each channel: on 5-6-5 the 6-bit
    // green channel gets 62 of 63, the other two their full 31.
    PixelFormatRecord f;
    ComputePixelFormat(16, 0xF800, 0x07E0, 0x001F, f);
    uint32_t white = (31u << f.red5Shift) | (31u << f.green5Shift) | (31u << f.blue5Shift);
    EXPECT_EQ(white, 0xFFDFu);
    EXPECT_EQ(white & ~(f.redMask | f.greenMask | f.blueMask), 0u);
}

TEST(PixelFormat, PaletteSurfaceWithoutMasksEndsAndReportsIt) {
    PixelFormatRecord f;
    EXPECT_FALSE(ComputePixelFormat(8, 0, 0, 0, f));
    EXPECT_FALSE(f.hasMasks);
    ExpectShifts(f, {0, 0, 0, 0, 0, 0});
    // One missing mask is enough to refuse; the others are still computed.
    EXPECT_FALSE(ComputePixelFormat(16, 0xF800, 0, 0x001F, f));
    EXPECT_EQ(f.redShift, 11);
}

TEST(PixelFormat, RawPixelReadsOnlyThePixelsOwnBytes) {
    const unsigned char bytes[4] = {0x34, 0x12, 0xAB, 0xCD};
    EXPECT_EQ(kaDraw::ReadRawPixel(bytes, 16), 0x1234u);
    EXPECT_EQ(kaDraw::ReadRawPixel(bytes, 24), 0xAB1234u);
    EXPECT_EQ(kaDraw::ReadRawPixel(bytes, 32), 0xCDAB1234u);
    EXPECT_EQ(kaDraw::ReadRawPixel(bytes, 15), 0x1234u & 0x7FFFu);
    // A two-byte pixel at the very end of a buffer: reading it must not go past it
    // (the address sanitizer build catches that).
    const unsigned char tail[2] = {0xFF, 0x7F};
    EXPECT_EQ(kaDraw::ReadRawPixel(tail, 16), 0x7FFFu);
}

TEST(PixelFormat, PixelToRgbScalesEachChannelToEightBits) {
    PixelFormatRecord f;
    uint8_t rgb[3];
    ComputePixelFormat(16, 0xF800, 0x07E0, 0x001F, f);
    kaDraw::PixelToRgb(0xFFFF, f, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 255);
    kaDraw::PixelToRgb(0x0400, f, rgb);  // green 32 of 63
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[1], 130);
    ComputePixelFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, f);
    kaDraw::PixelToRgb(0xFF123456, f, rgb);  // the unused top byte is ignored
    EXPECT_EQ(rgb[0], 0x12);
    EXPECT_EQ(rgb[1], 0x34);
    EXPECT_EQ(rgb[2], 0x56);
    ComputePixelFormat(8, 0, 0, 0, f);
    kaDraw::PixelToRgb(0xFF, f, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);
}
