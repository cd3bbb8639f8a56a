// The portable display pieces: blit clipping, pixel formats, the error report, pixel copies, the
// boxes that changed since the last present, the covers of other monitors, the 4:3 area.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "display/blit_clip.h"
#include "display/changed_boxes.h"
#include "display/cover_layout.h"
#include "display/four_by_three.h"
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

constexpr int kWidth = 200;
constexpr int kHeight = 150;  // three bands: 0-63, 64-127, 128-149

struct Pictures {
    std::vector<uint32_t> picture = std::vector<uint32_t>(kWidth * kHeight, 0);
    std::vector<uint32_t> shown = std::vector<uint32_t>(kWidth * kHeight, 0);
    BlitRect boxes[ChangeBandCount(kHeight)];

    int Find() {
        return FindChangedBoxes({reinterpret_cast<uint8_t*>(picture.data()), kWidth * 4},
                                {reinterpret_cast<uint8_t*>(shown.data()), kWidth * 4}, kWidth,
                                kHeight, 4, boxes);
    }
};

TEST(ChangedBoxes, OnePixelGivesItsOwnBoxAndIsCopied) {
    Pictures p;
    p.picture[10 * kWidth + 33] = 0x123456;
    ASSERT_EQ(p.Find(), 1);
    EXPECT_EQ(Corners(p.boxes[0]), Corners({33, 10, 34, 11}));
    EXPECT_EQ(p.shown[10 * kWidth + 33], 0x123456u);
    EXPECT_EQ(p.Find(), 0);
}

TEST(ChangedBoxes, ChangeInTheTopByteOfTheLastPixelCounts) {
    Pictures p;
    p.picture[kWidth * kHeight - 1] = 0x01000000;
    ASSERT_EQ(p.Find(), 1);
    EXPECT_EQ(Corners(p.boxes[0]), Corners({kWidth - 1, kHeight - 1, kWidth, kHeight}));
}

TEST(ChangedBoxes, ChangesInOneBandShareABox) {
    Pictures p;
    p.picture[65 * kWidth + 150] = 1;
    p.picture[100 * kWidth + 20] = 1;
    ASSERT_EQ(p.Find(), 1);
    EXPECT_EQ(Corners(p.boxes[0]), Corners({20, 65, 151, 101}));
}

TEST(ChangedBoxes, ChangeAcrossABandEdgeGivesOneBoxPerBand) {
    Pictures p;
    for (int y = 60; y < 70; ++y) p.picture[y * kWidth + 40] = 7;
    ASSERT_EQ(p.Find(), 2);
    EXPECT_EQ(Corners(p.boxes[0]), Corners({40, 60, 41, 64}));
    EXPECT_EQ(Corners(p.boxes[1]), Corners({40, 64, 41, 70}));
}

TEST(ChangedBoxes, SixteenBitPixelsGiveColumnsNotBytes) {
    std::vector<uint16_t> picture(64 * 8, 0);
    std::vector<uint16_t> shown(64 * 8, 0);
    picture[3 * 64 + 10] = 0x0100;  // only the pixel's high byte differs
    BlitRect boxes[1];
    ASSERT_EQ(FindChangedBoxes({reinterpret_cast<uint8_t*>(picture.data()), 128},
                               {reinterpret_cast<uint8_t*>(shown.data()), 128}, 64, 8, 2, boxes),
              1);
    EXPECT_EQ(Corners(boxes[0]), Corners({10, 3, 11, 4}));
}

// Where the black covers go around the saver's monitor, for layouts of monitors met in practice.
struct Layout {
    ScreenRect covers[kMaxCovers];
    int count;
};

Layout Covers(const ScreenRect* monitors, int count, const ScreenRect& saver) {
    Layout l = {};
    l.count = LayOutCovers(monitors, count, saver, l.covers);
    return l;
}

void ExpectRect(const ScreenRect& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

const ScreenRect kPrimary = {0, 0, 1920, 1080};

TEST(CoverLayout, MonitorsLeftAndAboveAtNegativeCoordinatesAreCovered) {
    const ScreenRect monitors[] = {{-1280, 200, 0, 1224}, kPrimary, {0, -768, 1024, 0}};
    const Layout l = Covers(monitors, 3, kPrimary);
    ASSERT_EQ(l.count, 2);
    ExpectRect(l.covers[0], -1280, 200, 0, 1224);
    ExpectRect(l.covers[1], 0, -768, 1024, 0);
}

TEST(CoverLayout, MonitorAroundTheSaversGetsFourBands) {
    const ScreenRect saver = {100, 100, 200, 200};
    const ScreenRect monitors[] = {{0, 0, 300, 300}};
    const Layout l = Covers(monitors, 1, saver);
    ASSERT_EQ(l.count, 4);
    ExpectRect(l.covers[0], 0, 0, 300, 100);
    ExpectRect(l.covers[1], 0, 200, 300, 300);
    ExpectRect(l.covers[2], 0, 100, 100, 200);
    ExpectRect(l.covers[3], 200, 100, 300, 200);
}

TEST(CoverLayout, EmptyMonitorRectanglesAreSkipped) {
    const ScreenRect monitors[] = {kPrimary, {1920, 0, 1920, 1080}, {3000, 500, 2000, 0}};
    EXPECT_EQ(Covers(monitors, 3, kPrimary).count, 0);
}

TEST(CoverLayout, ManyMonitorsStopAtTheTablesEnd) {
    ScreenRect monitors[kMaxCovers + 8];
    for (int i = 0; i < kMaxCovers + 8; ++i) monitors[i] = {2000 + i * 100, 0, 2100 + i * 100, 100};
    EXPECT_EQ(Covers(monitors, kMaxCovers + 8, kPrimary).count, kMaxCovers);
}

// The 4:3 area inside which layouts drawn for 640 x 480 are scaled on wider screens.
TEST(FourByThreeArea, SixteenByNineScreenCentresIt) {
    const HorizontalSpan a = FourByThreeArea(1920, 1080);
    EXPECT_EQ(a.left, 240);
    EXPECT_EQ(a.width, 1440);
}

TEST(FourByThreeArea, ScreenNarrowerThanFourByThreeKeepsItsWidth) {
    const HorizontalSpan a = FourByThreeArea(1280, 1024);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.width, 1280);
}

}  // namespace
