// The portable display pieces: blit clipping, pixel formats, the error report, pixel copies.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "display/blit_clip.h"
#include "display/error_report.h"
#include "display/pixel_copy.h"
#include "display/pixel_format.h"

using namespace kaDraw;

TEST(BlitClip, EdgesMoveTheSourceAndDrawNothingBeyondTheScreen) {
    // x, y, source left, top, right, bottom -> drawn?, then the clipped six; screen 640 x 480.
    const std::array<int, 13> cases[] = {
        {-10, 100, 0, 0, 64, 48, 1, 0, 100, 10, 0, 64, 48},
        {640, 0, 0, 0, 64, 48, 1, 640, 0, 0, 0, 0, 48},  // on the edge: zero width
        {600, 0, 16, 0, 80, 48, 1, 600, 0, 16, 0, 56, 48},
        {0, 470, 0, 0, 64, 48, 1, 0, 470, 0, 0, 64, 10},
        {0, -20, 0, 5, 64, 48, 1, 0, 0, 0, 25, 64, 48},
        {-10, -5, 0, 0, 700, 500, 1, 0, 0, 10, 5, 650, 485},
        {-64, 0, 0, 0, 64, 48, 1, 0, 0, 64, 0, 64, 48},
        {641, 0, 0, 0, 64, 48, 0},
        {0, 481, 0, 0, 64, 48, 0},
        {0, -60, 0, 0, 64, 48, 0},
        {-100, 0, 0, 0, 64, 48, 0}};
    for (const auto& c : cases) {
        int x = c[0], y = c[1];
        BlitRect s = {c[2], c[3], c[4], c[5]};
        const bool draws = ClipBlit(x, y, s, {0, 0, 640, 480});
        ASSERT_EQ(draws, c[6] != 0) << c[0] << "," << c[1];
        const std::array<int, 6> got = {x, y, s.left, s.top, s.right, s.bottom};
        EXPECT_TRUE(!draws || std::equal(got.begin(), got.end(), &c[7])) << c[0] << "," << c[1];
    }
}

TEST(PixelFormat, ShiftsFiveBitShiftsAndChannelsOfEachLayout) {
    const struct {
        int bits;
        uint32_t r, g, b;
        int shifts[6];
        uint32_t pixel;
        uint8_t rgb[3];
    } cases[] = {
        {16, 0xF800, 0x07E0, 0x001F, {11, 11, 5, 6, 0, 0}, 0x0400, {0, 130, 0}},
        {16, 0x7C00, 0x03E0, 0x001F, {10, 10, 5, 5, 0, 0}, 0x7FFF, {255, 255, 255}},
        {32, 0xFF0000, 0xFF00, 0xFF, {16, 16, 8, 8, 0, 0}, 0xFF123456, {0x12, 0x34, 0x56}}};
    for (const auto& c : cases) {
        PixelFormatRecord f;
        ASSERT_TRUE(ComputePixelFormat(c.bits, c.r, c.g, c.b, f));
        const int got[6] = {f.redShift,    f.red5Shift, f.greenShift,
                            f.green5Shift, f.blueShift, f.blue5Shift};
        EXPECT_EQ(std::memcmp(got, c.shifts, sizeof got), 0) << std::hex << c.r;
        uint8_t rgb[3];
        PixelToRgb(c.pixel, f, rgb);
        EXPECT_EQ(std::memcmp(rgb, c.rgb, 3), 0) << std::hex << c.pixel;
    }
    PixelFormatRecord f;
    EXPECT_FALSE(ComputePixelFormat(8, 0, 0, 0, f));  // a palette: refused
    EXPECT_FALSE(ComputePixelFormat(16, 0xF800, 0, 0x001F, f));
    const unsigned char bytes[4] = {0x34, 0x12, 0xAB, 0xCD};
    EXPECT_EQ(ReadRawPixel(bytes, 15), 0x1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 24), 0xAB1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 32), 0xCDAB1234u);
    EXPECT_EQ(ReadRawPixel(bytes + 2, 16), 0xCDABu);  // the last two bytes: no read past them
}

TEST(ErrorReport, JoinsMethodAndMessageAndCutsAtAWholeCharacter) {
    const int before = errorCount;
    EXPECT_EQ(ReportError("kaDraw::Screen", "裏画面が生成できません"), 0);
    EXPECT_EQ(errorCount, before + 1);
    EXPECT_EQ(std::string(lastErrorText), "kaDraw::Screen : 裏画面が生成できません");
    ReportError(std::string(251, 'm').c_str(), "Ｘ");  // 254 bytes: the character does not fit
    EXPECT_EQ(std::strlen(lastErrorText), 254u);
}

TEST(PixelCopy, KeyedOpaqueAndClearMatchAPixelByPixelCopy) {
    struct Surface {  // rows padded by 6 bytes, filled with noise
        int bytes, pitch;
        std::vector<uint8_t> data;
        Surface(int b, uint32_t seed) : bytes(b), pitch(41 * b + 6), data(pitch * 13) {
            for (uint8_t& v : data)
                v = static_cast<uint8_t>((seed = seed * 214013u + 2531011u) >> 16);
        }
        uint8_t* At(int x, int y) { return data.data() + y * pitch + x * bytes; }
    };
    for (int bytes : {2, 3, 4}) {
        for (bool keyed : {true, false}) {
            SCOPED_TRACE(testing::Message() << bytes << " bytes, keyed " << keyed);
            Surface src(bytes, 1), dst(bytes, 2);
            for (int i = 0; i < 41 * 13; i += 3) {  // a third of the source black; some 32-bit
                std::memset(src.At(i % 41, i / 41), 0, bytes);  // ones with their top byte set
                if (bytes == 4 && i % 2) src.At(i % 41, i / 41)[3] = 0xFF;
            }
            Surface want = dst;
            for (int y = 0; y < 9; ++y) {  // 30 x 9 pixels from (5, 1) to (3, 2)
                for (int x = 0; x < 30; ++x) {
                    const uint8_t* s = src.At(5 + x, 1 + y);
                    if (!keyed || s[0] || s[1] || (bytes > 2 && s[2]))
                        std::memcpy(want.At(3 + x, 2 + y), s, bytes);
                }
            }
            CopyPixels({dst.At(3, 2), dst.pitch}, {src.At(5, 1), src.pitch}, 30, 9, bytes, keyed);
            EXPECT_EQ(dst.data, want.data);
        }
        Surface dst(bytes, 3), want = dst;
        for (int y = 4; y < 10; ++y) std::memset(want.At(2, y), 0, 20 * bytes);
        ClearPixels({dst.At(2, 4), dst.pitch}, 20, 6, bytes);
        CopyPixels({dst.At(0, 0), dst.pitch}, {dst.At(1, 1), dst.pitch}, 0, 5, bytes, true);
        ClearPixels({dst.At(0, 0), dst.pitch}, 5, 0, bytes);  // empty rectangles: no change
        EXPECT_EQ(dst.data, want.data) << bytes;
    }
}
