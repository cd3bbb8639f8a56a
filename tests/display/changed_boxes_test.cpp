// Presenting only what changed: the boxes found between the picture and the copy shown last.
#include "display/changed_boxes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace kaDraw;

namespace {

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

void ExpectBox(const BlitRect& box, int left, int top, int right, int bottom) {
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right, right);
    EXPECT_EQ(box.bottom, bottom);
}

TEST(ChangedBoxes, OnePixelGivesItsOwnBoxAndIsCopied) {
    Pictures p;
    p.picture[10 * kWidth + 33] = 0x123456;
    ASSERT_EQ(p.Find(), 1);
    ExpectBox(p.boxes[0], 33, 10, 34, 11);
    EXPECT_EQ(p.shown[10 * kWidth + 33], 0x123456u);
    EXPECT_EQ(p.Find(), 0);
}

TEST(ChangedBoxes, ChangeInTheTopByteOfTheLastPixelCounts) {
    Pictures p;
    p.picture[kWidth * kHeight - 1] = 0x01000000;
    ASSERT_EQ(p.Find(), 1);
    ExpectBox(p.boxes[0], kWidth - 1, kHeight - 1, kWidth, kHeight);
}

TEST(ChangedBoxes, ChangesInOneBandShareABox) {
    Pictures p;
    p.picture[65 * kWidth + 150] = 1;
    p.picture[100 * kWidth + 20] = 1;
    ASSERT_EQ(p.Find(), 1);
    ExpectBox(p.boxes[0], 20, 65, 151, 101);
}

TEST(ChangedBoxes, ChangeAcrossABandEdgeGivesOneBoxPerBand) {
    Pictures p;
    for (int y = 60; y < 70; ++y) p.picture[y * kWidth + 40] = 7;
    ASSERT_EQ(p.Find(), 2);
    ExpectBox(p.boxes[0], 40, 60, 41, 64);
    ExpectBox(p.boxes[1], 40, 64, 41, 70);
}

TEST(ChangedBoxes, SixteenBitPixelsGiveColumnsNotBytes) {
    std::vector<uint16_t> picture(64 * 8, 0);
    std::vector<uint16_t> shown(64 * 8, 0);
    picture[3 * 64 + 10] = 0x0100;  // only the pixel's high byte differs
    BlitRect boxes[1];
    ASSERT_EQ(FindChangedBoxes({reinterpret_cast<uint8_t*>(picture.data()), 128},
                               {reinterpret_cast<uint8_t*>(shown.data()), 128}, 64, 8, 2, boxes),
              1);
    ExpectBox(boxes[0], 10, 3, 11, 4);
}

}  // namespace
