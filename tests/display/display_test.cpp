// The portable display pieces: blit clipping, pixel formats, the error report.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/blit_clip.h"
#include "display/error_report.h"
#include "display/pixel_format.h"

using namespace kaDraw;

TEST(BlitClip, EdgesMoveTheSourceAndDrawNothingBeyondTheScreen) {
    const BlitRect clip = {0, 0, 640, 480};
    const struct {
        int x, y;
        BlitRect src;
        bool draws;
        int outX, outY;
        BlitRect out;
    } cases[] = {{-10, 100, {0, 0, 64, 48}, true, 0, 100, {10, 0, 64, 48}},
                 {640, 0, {0, 0, 64, 48}, true, 640, 0, {0, 0, 0, 48}},  // on the edge: zero width
                 {600, 0, {16, 0, 80, 48}, true, 600, 0, {16, 0, 56, 48}},
                 {0, 470, {0, 0, 64, 48}, true, 0, 470, {0, 0, 64, 10}},
                 {0, -20, {0, 5, 64, 48}, true, 0, 0, {0, 25, 64, 48}},
                 {-10, -5, {0, 0, 700, 500}, true, 0, 0, {10, 5, 650, 485}},
                 {-64, 0, {0, 0, 64, 48}, true, 0, 0, {64, 0, 64, 48}},
                 {641, 0, {0, 0, 64, 48}, false, 0, 0, {}},
                 {0, 481, {0, 0, 64, 48}, false, 0, 0, {}},
                 {0, -60, {0, 0, 64, 48}, false, 0, 0, {}},
                 {-100, 0, {0, 0, 64, 48}, false, 0, 0, {}}};
    for (const auto& c : cases) {
        int x = c.x, y = c.y;
        BlitRect s = c.src;
        ASSERT_EQ(ClipBlit(x, y, s, clip), c.draws) << c.x << "," << c.y;
        if (!c.draws) continue;
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.outX, c.outY)) << c.x << "," << c.y;
        EXPECT_EQ(std::make_pair(s.left, s.right), std::make_pair(c.out.left, c.out.right)) << c.x;
        EXPECT_EQ(std::make_pair(s.top, s.bottom), std::make_pair(c.out.top, c.out.bottom)) << c.y;
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
        // 31 in every channel by the 5-bit shifts stays inside the masks.
        EXPECT_EQ(
            (31u << f.red5Shift | 31u << f.green5Shift | 31u << f.blue5Shift) & ~(c.r | c.g | c.b),
            0u);
    }
    PixelFormatRecord f;
    EXPECT_FALSE(ComputePixelFormat(8, 0, 0, 0, f));  // a palette: refused
    EXPECT_FALSE(ComputePixelFormat(16, 0xF800, 0, 0x001F, f));
    const unsigned char bytes[4] = {0x34, 0x12, 0xAB, 0xCD};
    EXPECT_EQ(ReadRawPixel(bytes, 16), 0x1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 24), 0xAB1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 32), 0xCDAB1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 15), 0x1234u);
    const unsigned char tail[2] = {0xFF, 0x7F};  // at the end of a buffer: no read past it
    EXPECT_EQ(ReadRawPixel(tail, 16), 0x7FFFu);
}

TEST(ErrorReport, JoinsMethodAndMessageAndCutsAtAWholeCharacter) {
    const int before = errorCount;
    EXPECT_EQ(ReportError("kaDraw::Screen", "裏画面が生成できません"), 0);
    EXPECT_EQ(errorCount, before + 1);
    EXPECT_EQ(std::string(lastErrorText),
              std::string("kaDraw::Screen : ") + "裏画面が生成できません");
    ReportError(std::string(250, 'm').c_str(),
                "Ｘファイル");  // 253 bytes, then two-byte characters
    EXPECT_EQ(std::string(lastErrorText).substr(253), std::string("Ｘ"));
    ReportError(std::string(251, 'm').c_str(), "Ｘ");  // 254 bytes: the character does not fit
    EXPECT_EQ(std::strlen(lastErrorText), 254u);
}
