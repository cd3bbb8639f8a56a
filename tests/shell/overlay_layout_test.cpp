// The ten overlay slots and RandomizeOverlayLine.
#include "shell/overlay_layout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings.h"
#include "shell/random.h"
#include "shell/shell_state.h"

namespace {

class OverlayLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        randomState = 1;  // a fresh process: the generator not yet seeded
    }
};

}  // namespace

TEST_F(OverlayLayout, FirstLayoutBeforeSeedingIsFixed) {
    for (auto& line : overlayLines) std::strcpy(line.text, "old");
    LayOutOverlayLines();
    // The first twenty numbers of the unseeded generator, two per slot.
    SeedRand(1);
    int draws[20];
    for (int& d : draws) d = Rand();
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        const OverlayLine& line = overlayLines[slot];
        EXPECT_STREQ(line.text, "") << slot;
        EXPECT_EQ(line.depth, draws[2 * slot] % 24 + 16) << slot;
        EXPECT_GE(line.depth, 16);
        EXPECT_LE(line.depth, 39);
        const int x = (slot == 5 || slot == 6) ? 0 : draws[2 * slot + 1] % 512;
        EXPECT_EQ(line.x, x) << slot;
        EXPECT_LT(line.x, 512);
        EXPECT_EQ(line.y, 50.0f + 48.0f * slot) << slot;
    }
    EXPECT_EQ(overlayLines[0].depth, 41 % 24 + 16);    // 33
    EXPECT_EQ(overlayLines[0].x, 18467 % 512);         // 35
    EXPECT_EQ(overlayLines[1].depth, 6334 % 24 + 16);  // 30
    EXPECT_EQ(overlayLines[1].x, 26500 % 512);         // 388
    EXPECT_EQ(overlayLines[9].y, 482.0f);
}

TEST_F(OverlayLayout, SameOnEveryStart) {
    LayOutOverlayLines();
    OverlayLine first[kOverlaySlots];
    std::memcpy(first, overlayLines, sizeof first);
    randomState = 1;
    LayOutOverlayLines();
    EXPECT_EQ(std::memcmp(first, overlayLines, sizeof first), 0);
}

TEST_F(OverlayLayout, EveryCallTakesTwoNumbersNewsSlotsIncluded) {
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        SeedRand(77);
        RandomizeOverlayLine(slot);
        Rand();
        const uint32_t after = randomState;
        SeedRand(77);
        Rand();
        Rand();
        Rand();
        EXPECT_EQ(randomState, after) << slot;
    }
}

TEST_F(OverlayLayout, XRangeFollowsTheResolution) {
    const int limits[5] = {512, 640, 819, 1024, 1280};
    for (int r = 0; r < 5; ++r) {
        config.RESOLUTION = r;
        int highest = 0;
        for (int i = 0; i < 20000; ++i) {
            RandomizeOverlayLine(0);
            ASSERT_GE(overlayLines[0].x, 0);
            ASSERT_LT(overlayLines[0].x, limits[r]);
            if (overlayLines[0].x > highest) highest = overlayLines[0].x;
            RandomizeOverlayLine(5);
            ASSERT_EQ(overlayLines[5].x, 0);
        }
        EXPECT_EQ(highest, limits[r] - 1) << r;
    }
}

TEST_F(OverlayLayout, YIsNotChangedBySlotRandomizing) {
    overlayLines[3].y = 123.5f;
    RandomizeOverlayLine(3);
    EXPECT_EQ(overlayLines[3].y, 123.5f);
    RandomizeOverlayLine(-1);  // outside the slots: nothing
    RandomizeOverlayLine(10);
}
