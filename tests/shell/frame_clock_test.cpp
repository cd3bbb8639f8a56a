// Frame clock, Pause deadline, cursor rule and the captioned window.
#include "shell/frame_clock.h"

#include <gtest/gtest.h>

#include "shell/shell_state.h"

TEST(FrameClock, DeltaInSeconds) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(1016, 1000), 0.016f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(5000, 5000), 0.0f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(61000, 1000), 60.0f);  // a long stall counts whole
}

TEST(FrameClock, AcrossTheWrapOfTwoToThe32) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(10u, 0xFFFFFFF0u), 0.026f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(0u, 0xFFFFFFFFu), 0.001f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(0x00000005u, 0xFFFFFFFBu), 0.010f);
}

TEST(FrameClock, PauseDeadline) {
    EXPECT_FALSE(DeadlinePassed(1000, 1000));
    EXPECT_TRUE(DeadlinePassed(1001, 1000));
    EXPECT_FALSE(DeadlinePassed(999, 1000));
    // A deadline beyond the wrap, and one just below it.
    EXPECT_FALSE(DeadlinePassed(0xFFFFFF00u, 0x00000100u));
    EXPECT_TRUE(DeadlinePassed(0x00000101u, 0x00000100u));
    EXPECT_FALSE(DeadlinePassed(0xFFFFFFFEu, 0xFFFFFFFFu));
    EXPECT_TRUE(DeadlinePassed(0x00000000u, 0xFFFFFFFFu));
}

TEST(FrameClock, CursorInsideTheClientArea) {
    ScreenPoint o = {100, 50};
    EXPECT_TRUE(CursorInside(o, 640, 480, 100, 50));
    EXPECT_TRUE(CursorInside(o, 640, 480, 739, 529));
    EXPECT_FALSE(CursorInside(o, 640, 480, 740, 100));
    EXPECT_FALSE(CursorInside(o, 640, 480, 200, 530));
    EXPECT_FALSE(CursorInside(o, 640, 480, 99, 100));
    EXPECT_FALSE(CursorInside(o, 0, 0, 100, 50));  // preview: never inside
}

TEST(FrameClock, CursorChange) {
    EXPECT_EQ(CursorChange(true, false, true), -1);   // inside, shown: hide
    EXPECT_EQ(CursorChange(true, false, false), 0);   // already hidden
    EXPECT_EQ(CursorChange(true, true, true), 0);     // preview never hides
    EXPECT_EQ(CursorChange(false, false, false), 1);  // outside, hidden: show
    EXPECT_EQ(CursorChange(false, true, false), 1);
    EXPECT_EQ(CursorChange(false, false, true), 0);
}

TEST(FrameClock, CursorClientSizeByMode) {
    ResetShellState();
    configMode = true;
    EXPECT_EQ(CursorClientWidth(), 640);
    EXPECT_EQ(CursorClientHeight(), 480);
    configMode = false;
    previewMode = true;
    EXPECT_EQ(CursorClientWidth(), 0);
    EXPECT_EQ(CursorClientHeight(), 0);
    ResetShellState();
}

TEST(FrameClock, CaptionedWindowIsCentredWithTruncation) {
    // Outer size 640 + 2 + 3 + 1 = 646 by 480 + 19 + 2 + 3 + 1 = 505.
    WindowRect r = CaptionedWindowRect(1024, 768, 2, 3, 1, 19, 2, 3, 1);
    EXPECT_EQ(r.width, 646);
    EXPECT_EQ(r.height, 505);
    EXPECT_EQ(r.x, (1024 - 646) / 2);  // 189
    EXPECT_EQ(r.y, (768 - 505) / 2);   // 131 (263 / 2 truncated)
    // A screen smaller than the window: negative, truncated toward zero.
    r = CaptionedWindowRect(640, 480, 2, 3, 1, 19, 2, 3, 1);
    EXPECT_EQ(r.x, -3);
    EXPECT_EQ(r.y, -12);
}
