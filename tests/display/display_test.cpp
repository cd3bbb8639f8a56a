// The portable display pieces: blit clipping, pixel formats, the error report, pixel copies.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "display/blit_clip.h"
#include "common/error_report.h"
#include "display/pixel_copy.h"
#include "display/pixel_format.h"

using namespace kaDraw;

namespace {

std::array<int, 4> Corners(const BlitRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TEST(BlitClip, EdgesMoveTheSourceAndNothingBeyondTheScreenIsDrawn) {
    const struct {
        const char* name;
        int x, y;
        BlitRect source;
        bool drawn;
        int clippedX, clippedY;
        BlitRect clipped;
    } rows[] = {
        {"bottom right", 600, 470, {16, 4, 80, 52}, true, 600, 470, {16, 4, 56, 14}},
        {"top left", -64, -20, {0, 5, 64, 48}, true, 0, 0, {64, 25, 64, 48}},
        {"larger than the screen", -10, -5, {0, 0, 700, 500}, true, 0, 0, {10, 5, 650, 485}},
        {"past the right", 641, 0, {0, 0, 64, 48}, false, 0, 0, {}},
        {"past the bottom", 0, 481, {0, 0, 64, 48}, false, 0, 0, {}},
        {"above the top", 0, -60, {0, 0, 64, 48}, false, 0, 0, {}}};
    for (const auto& row : rows) {
        int x = row.x, y = row.y;
        BlitRect s = row.source;
        ASSERT_EQ(ClipBlit(x, y, s, {0, 0, 640, 480}), row.drawn) << row.name;
        if (!row.drawn) continue;
        EXPECT_EQ(x, row.clippedX) << row.name;
        EXPECT_EQ(y, row.clippedY) << row.name;
        EXPECT_EQ(Corners(s), Corners(row.clipped)) << row.name;
    }
}

TEST(PixelFormat, ASixBitGreenChannelShiftsOneMoreForFiveBitValues) {
    PixelFormatRecord f;
    ASSERT_TRUE(ComputePixelFormat(16, 0xF800, 0x07E0, 0x001F, f));
    EXPECT_EQ(f.redShift, 11);
    EXPECT_EQ(f.red5Shift, 11);
    EXPECT_EQ(f.greenShift, 5);
    EXPECT_EQ(f.green5Shift, 6);
    EXPECT_EQ(f.blueShift, 0);
    EXPECT_EQ(f.blue5Shift, 0);
}

TEST(PixelFormat, RawPixelsReadOnlyTheirOwnBytes) {
    const unsigned char bytes[4] = {0x34, 0x92, 0xAB, 0xCD};
    EXPECT_EQ(ReadRawPixel(bytes, 15), 0x1234u);
    EXPECT_EQ(ReadRawPixel(bytes, 24), 0xAB9234u);
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
        for (int i = 0; i < 41 * 13; i += 3) {
            const int k = i / 3 % 3;
            std::memset(&src[i / 41 * pitch + i % 41 * bytes + (k == 1)], 0, bytes - (k > 0));
        }
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

}  // namespace
