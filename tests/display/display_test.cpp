// The portable display pieces: blit clipping, pixel formats, the error report, pixel copies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/blit_clip.h"
#include "common/error_report.h"
#include "display/pixel_copy.h"
#include "display/pixel_format.h"

using namespace kaDraw;

TEST(BlitClip, EdgesMoveTheSourceAndDrawNothingBeyondTheScreen) {
    // x, y, source left, top, right, bottom, then what is drawn; 640 x 480, none: all zero.
    const int cases[][12] = {{640, 0, 0, 0, 64, 48, 640, 0, 0, 0, 0, 48},  // zero width
                             {600, 470, 16, 4, 80, 52, 600, 470, 16, 4, 56, 14},
                             {-10, -5, 0, 0, 700, 500, 0, 0, 10, 5, 650, 485},
                             {-64, -20, 0, 5, 64, 48, 0, 0, 64, 25, 64, 48},
                             {641, 0, 0, 0, 64, 48},
                             {0, 481, 0, 0, 64, 48},
                             {0, -60, 0, 0, 64, 48},
                             {-100, 0, 0, 0, 64, 48}};
    for (const auto& c : cases) {
        int x = c[0], y = c[1];
        BlitRect s = {c[2], c[3], c[4], c[5]};
        const bool draws = ClipBlit(x, y, s, {0, 0, 640, 480});
        const int got[6] = {x, y, s.left, s.top, s.right, s.bottom}, none[6] = {};
        EXPECT_EQ(std::memcmp(draws ? got : none, &c[6], sizeof got), 0) << c[0] << "," << c[1];
    }
}

TEST(PixelFormat, ShiftsFiveBitShiftsAndChannelsOfEachLayout) {
    // Masks; shift and 5-bit shift of red, green and blue; a pixel and its 8-bit channels.
    const int64_t cases[][13] = {
        {0xF800, 0x07E0, 0x001F, 11, 11, 5, 6, 0, 0, 0x0400, 0, 130, 0},
        {0x7C00, 0x03E0, 0x001F, 10, 10, 5, 5, 0, 0, 0x7FFF, 255, 255, 255},
        {0xFF0000, 0xFF00, 0xFF, 16, 16, 8, 8, 0, 0, 0xFF123456, 0x12, 0x34, 0x56}};
    for (const auto& c : cases) {
        PixelFormatRecord f;
        ASSERT_TRUE(ComputePixelFormat(c[0] > 0xFFFF ? 32 : 16, c[0], c[1], c[2], f));
        uint8_t rgb[3];
        PixelToRgb(c[9], f, rgb);
        const int64_t got[] = {f.redShift,   f.red5Shift, f.greenShift, f.green5Shift, f.blueShift,
                               f.blue5Shift, c[9],        rgb[0],       rgb[1],        rgb[2]};
        EXPECT_EQ(std::memcmp(got, &c[3], sizeof got), 0) << std::hex << c[0];
    }
    PixelFormatRecord f;
    EXPECT_FALSE(ComputePixelFormat(8, 0, 0, 0, f) || ComputePixelFormat(16, 0xF800, 0, 0x1F, f));
    const unsigned char bytes[4] = {0x34, 0x92, 0xAB, 0xCD};
    EXPECT_EQ(ReadRawPixel(bytes, 15) + ReadRawPixel(bytes, 24), 0x1234u + 0xAB9234u);
    EXPECT_EQ(ReadRawPixel(bytes, 32), 0xCDAB9234u);
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
    for (int bytes : {2, 3, 4}) {
        const int pitch = 41 * bytes + 6;  // 41 x 13 pixels, rows padded, filled with noise
        std::vector<uint8_t> src(pitch * 13), dst(pitch * 13);
        uint32_t seed = 1;
        for (auto* v : {&src, &dst})
            for (uint8_t& b : *v) b = uint8_t((seed = seed * 214013u + 2531011u) >> 16);
        // A third of the source black, but of those a third keep their first byte and a third
        // their last: a colour, except in the unused top byte of a 32-bit pixel.
        for (int i = 0, k = 0; i < 41 * 13; i += 3, k = i / 3 % 3)
            std::memset(&src[i / 41 * pitch + i % 41 * bytes + (k == 1)], 0, bytes - (k > 0));
        for (bool keyed : {true, false}) {  // 30 x 9 pixels from (5, 1) to (3, 2)
            std::vector<uint8_t> got = dst, want = dst;
            for (int p = 0; p < 30 * 9; ++p) {
                const uint8_t* s = &src[(1 + p / 30) * pitch + (5 + p % 30) * bytes];
                if (!keyed || s[0] || s[1] || (bytes > 2 && s[2]))
                    std::memcpy(&want[(2 + p / 30) * pitch + (3 + p % 30) * bytes], s, bytes);
            }
            CopyPixels({&got[2 * pitch + 3 * bytes], pitch}, {&src[pitch + 5 * bytes], pitch}, 30,
                       9, bytes, keyed);
            EXPECT_EQ(got, want) << bytes << " bytes, keyed " << keyed;
        }
        std::vector<uint8_t> want = dst;
        for (int y = 4; y < 10; ++y) std::memset(&want[y * pitch + 2 * bytes], 0, 20 * bytes);
        ClearPixels({&dst[4 * pitch + 2 * bytes], pitch}, 20, 6, bytes);
        CopyPixels({dst.data(), pitch}, {&src[pitch], pitch}, 0, 5, bytes, true);
        ClearPixels({dst.data(), pitch}, 5, 0, bytes);  // empty rectangles: no change
        EXPECT_EQ(dst, want) << bytes;
    }
}
