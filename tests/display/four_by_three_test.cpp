// The 4:3 area inside which layouts drawn for 640 x 480 are scaled on wider screens.
#include "display/four_by_three.h"

#include <gtest/gtest.h>

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
