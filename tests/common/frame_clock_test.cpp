// The frame clock's seconds: every motion and fade advances by them.
#include <gtest/gtest.h>

#include "common/frame_pacer.h"

namespace {

TEST(FrameDelta, TenMillisecondsAreAHundredthOfASecond) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(1010u, 1000u), 0.01f);
}

}  // namespace
