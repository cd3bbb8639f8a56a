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

// One row of pixels of `bytes` each, from their values (the low byte first in memory).
std::vector<uint8_t> Row(int bytes, std::vector<uint32_t> pixels) {
    std::vector<uint8_t> row;
    for (uint32_t p : pixels)
        for (int i = 0; i < bytes; ++i) row.push_back(uint8_t(p >> (8 * i)));
    return row;
}

// The source row copied with the colour key over a row of 0x55 bytes.
std::vector<uint8_t> KeyedCopy(int bytes, std::vector<uint32_t> pixels) {
    std::vector<uint8_t> s = Row(bytes, pixels), d(s.size(), 0x55);
    const int n = static_cast<int>(pixels.size());
    CopyPixels({d.data(), n * bytes}, {s.data(), n * bytes}, n, 1, bytes, true);
    return d;
}

TEST(PixelCopy, AKeyedCopyKeepsTheTargetWhereTheSourceIsBlack) {
    EXPECT_EQ(KeyedCopy(2, {0, 0x0001, 0x8000}), Row(2, {0x5555, 0x0001, 0x8000}));
    EXPECT_EQ(KeyedCopy(3, {0, 0x01, 0x010000}), Row(3, {0x555555, 0x01, 0x010000}));
}

TEST(PixelCopy, TheUnusedTopByteOfAThirtyTwoBitPixelIsNoColour) {
    EXPECT_EQ(KeyedCopy(4, {0xFF000000, 0x01}), Row(4, {0x55555555, 0x01}));
}

// 2 x 2 pixels of 2 bytes from a source of 3 pixels a row to (1, 1) of a target of 5 a row.
TEST(PixelCopy, AnUnkeyedCopyTakesEveryPixelRowByRow) {
    uint8_t src[12] = {1, 2, 3, 4, 0, 0, 7, 8, 0, 0, 0, 0};
    std::vector<uint8_t> dst(30, 0x55);
    CopyPixels({&dst[12], 10}, {src, 6}, 2, 2, 2, false);
    const std::vector<uint8_t> want = {
        0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55,  //
        0x55, 0x55, 1,    2,    3,    4,    0x55, 0x55, 0x55, 0x55,  //
        0x55, 0x55, 7,    8,    0,    0,    0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(dst, want);
}

TEST(PixelCopy, ClearBlackensOnlyItsRectangle) {
    std::vector<uint8_t> dst(24, 0x55);
    ClearPixels({&dst[11], 8}, 1, 2, 3);  // 1 x 2 pixels of 3 bytes at (1, 1), 8 bytes a row
    const std::vector<uint8_t> want = {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55,  //
                                       0x55, 0x55, 0x55, 0,    0,    0,    0x55, 0x55,  //
                                       0x55, 0x55, 0x55, 0,    0,    0,    0x55, 0x55};
    EXPECT_EQ(dst, want);
}

}  // namespace
