// Frame pacing: the rate chosen from the system's reports, the waits, and the catch-up rule.
#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

TEST(FramePacer, RefreshRateFromTheReports) {
    struct Case {
        int reported, fallback, expected;
    } cases[] = {
        {60, 75, 60}, {75, 60, 75}, {144, 0, 144},  // the first plausible report wins
        {0, 85, 85},  {1, 72, 72},                  // 0 and 1: the hardware's default
        {0, 0, 60},   {1, 1, 60},   {-5, 10000, 60}, {23, 501, 60},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseRefreshRate(c.reported, c.fallback), c.expected)
            << c.reported << " / " << c.fallback;
    }
}

TEST(FramePacer, SixtyFramesASecondOverALongRunWithoutDrift) {
    FramePacer p;
    StartPacing(p, 60, 1000);
    EXPECT_EQ(TimeUntilFrame(p, 1000), 0);  // the first frame at once
    // A loop that sleeps as told (rounded up to whole milliseconds) and runs when due.
    int64_t now = 1000;
    int frames = 0;
    while (now < 1000 + 10 * 1000000) {
        const int64_t wait = TimeUntilFrame(p, now);
        if (wait > 0) {
            now += SleepMilliseconds(wait) * 1000;
            continue;
        }
        FrameRan(p, now);
        ++frames;
        now += 3000;  // the frame's own work
    }
    EXPECT_EQ(frames, 600);
}

TEST(FramePacer, WaitsAndSleeps) {
    FramePacer p;
    EXPECT_EQ(TimeUntilFrame(p, 12345), 0);  // not started: never waits
    StartPacing(p, 60, 0);
    FrameRan(p, 0);
    EXPECT_EQ(TimeUntilFrame(p, 0), 16667);
    EXPECT_EQ(TimeUntilFrame(p, 16000), 667);
    EXPECT_EQ(TimeUntilFrame(p, 20000), 0);
    EXPECT_EQ(SleepMilliseconds(667), 1u);
    EXPECT_EQ(SleepMilliseconds(16667), 17u);
    EXPECT_EQ(SleepMilliseconds(1000), 1u);
    EXPECT_EQ(SleepMilliseconds(0), 0u);
}

TEST(FramePacer, AStallDoesNotBringABurstOfFrames) {
    FramePacer p;
    StartPacing(p, 50, 0);  // 20 ms
    FrameRan(p, 0);
    FrameRan(p, 25000);  // a little late: the next keeps its place in the rhythm
    EXPECT_EQ(TimeUntilFrame(p, 25000), 15000);
    FrameRan(p, 2000000);  // two seconds blocked (a news notice, the title's fade)
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 0);
    FrameRan(p, 2000000);
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 20000);
}
