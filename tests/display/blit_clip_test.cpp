#include "display/blit_clip.h"

#include <gtest/gtest.h>

using kaDraw::BlitRect;
using kaDraw::ClipBlit;

namespace {

const BlitRect kClip = {0, 0, 640, 480};

struct Result {
    bool draws;
    int x, y;
    BlitRect src;
};

Result Clip(int x, int y, BlitRect src) {
    bool draws = ClipBlit(x, y, src, kClip);
    return {draws, x, y, src};
}

}  // namespace

TEST(BlitClip, LeftEdgeMovesTheSourceNotTheWidth) {
    Result r = Clip(-10, 100, {0, 0, 64, 48});
    ASSERT_TRUE(r.draws);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 100);
    EXPECT_EQ(r.src.left, 10);
    EXPECT_EQ(r.src.top, 0);
    EXPECT_EQ(r.src.right, 64);
    EXPECT_EQ(r.src.bottom, 48);
}

TEST(BlitClip, RightEdgeBeyondDrawsNothingAndOnTheEdgePassesZeroWidth) {
    EXPECT_FALSE(Clip(641, 0, {0, 0, 64, 48}).draws);
    EXPECT_FALSE(Clip(700, 0, {0, 0, 64, 48}).draws);

    Result edge = Clip(640, 0, {0, 0, 64, 48});
    ASSERT_TRUE(edge.draws);
    EXPECT_EQ(edge.x, 640);
    EXPECT_EQ(edge.src.left, 0);
    EXPECT_EQ(edge.src.right, 0);

    Result partly = Clip(600, 0, {16, 0, 80, 48});  // source not starting at 0
    ASSERT_TRUE(partly.draws);
    EXPECT_EQ(partly.src.left, 16);
    EXPECT_EQ(partly.src.right, 56);  // 40 columns left before the edge
}

TEST(BlitClip, BottomAndTopEdges) {
    Result low = Clip(0, 470, {0, 0, 64, 48});
    ASSERT_TRUE(low.draws);
    EXPECT_EQ(low.src.bottom, 10);

    Result high = Clip(0, -20, {0, 5, 64, 48});
    ASSERT_TRUE(high.draws);
    EXPECT_EQ(high.y, 0);
    EXPECT_EQ(high.src.top, 25);
    EXPECT_EQ(high.src.bottom, 48);

    EXPECT_FALSE(Clip(0, 481, {0, 0, 64, 48}).draws);
    EXPECT_FALSE(Clip(0, -60, {0, 0, 64, 48}).draws);
}

TEST(BlitClip, WiderThanTheScreenOnBothSidesKeepsTheVisibleMiddle) {
    Result r = Clip(-10, -5, {0, 0, 700, 500});
    ASSERT_TRUE(r.draws);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.src.left, 10);
    EXPECT_EQ(r.src.right, 650);  // 640 columns
    EXPECT_EQ(r.src.top, 5);
    EXPECT_EQ(r.src.bottom, 485);  // 480 rows
}

TEST(BlitClip, FarLeftOfTheScreenDrawsNothing) {
    EXPECT_FALSE(Clip(-100, 0, {0, 0, 64, 48}).draws);
    // Exactly its width to the left: zero width, still passed on.
    Result r = Clip(-64, 0, {0, 0, 64, 48});
    EXPECT_TRUE(r.draws);
    EXPECT_EQ(r.src.left, r.src.right);
}
