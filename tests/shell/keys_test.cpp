// The key handler and the mouse-move rule on the real process-wide state (settings, news store,
// news lines, overlay slots), and the overlay layout drawn from the program's generator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "overlay/news_lines.h"
#include "overlay/overlay_step.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/overlay_layout.h"
#include "shell/random.h"

namespace {

class Keys : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState(), ResetSettings(), ResetNewsStore(), ResetOverlay(), ResetMousePosition();
    }
    static void Store(int source, int count) {
        NewsCount[source] = count;
        for (int i = 0; i < count; ++i)
            std::snprintf(NewsHeadlines[source][i], kHeadlineSize, "s%d-h%d", source, i);
    }
    static std::string Shown() {
        return std::string(overlayLines[SLOT_NEWS1].text) + " " + overlayLines[SLOT_NEWS2].text;
    }
};

TEST_F(Keys, DigitsAndKeypadDigitsToggleTheirOwnLineOnly) {
    for (int i = 0; i < 7; ++i) {
        HandleKey('1' + i);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], j == i ? 1 : 0) << i << " " << j;
        HandleKey(kKeyNumpad1 + i);
        EXPECT_EQ(config.SHOW[i], 0) << i;
    }
    for (int key : {int{'0'}, int{'8'}, 0x60, 0x68, 0x101}) {
        HandleKey(key);
        EXPECT_EQ(heldKey, key);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], 0) << key;
    }
}

TEST_F(Keys, KeypadPlusAndMinusWrapEachSourceOverItsOwnCount) {
    Store(0, 3);
    Store(1, 5);
    NewsCurrent[0] = NewsCurrent[1] = 2;
    HandleKey(kKeyAdd);
    EXPECT_EQ(Shown(), "s0-h0 s1-h3");
    for (int i = 0; i < 4; ++i) HandleKey(kKeySubtract);
    EXPECT_EQ(Shown(), "s0-h2 s1-h4");
    NewsCount[0] = 0;  // a source without headlines is not stepped
    std::strcpy(overlayLines[SLOT_NEWS1].text, "loading");
    HandleKey(kKeyAdd);
    EXPECT_EQ(Shown(), "loading s1-h0");
    NewsCount[0] = 3;  // out-of-range index or count never reads outside the store
    NewsCurrent[0] = -7;
    NewsCount[1] = 1000;
    HandleKey(kKeySubtract);
    EXPECT_TRUE(NewsCurrent[0] >= 0 && NewsCurrent[0] < 3);
    EXPECT_EQ(NewsCurrent[1], kNewsSlots - 1);
    // A headline is copied bounded by its slot and cut at a whole character.
    std::memset(NewsHeadlines[0][0], 'x', kHeadlineSize);  // no terminator in the slot
    std::memset(NewsHeadlines[1][0], 'y', kHeadlineSize);
    std::memcpy(NewsHeadlines[1][0] + 198, "\x83\x40", 2);  // a character ending at byte 200
    NewsCurrent[0] = 2;
    NewsCurrent[1] = 99;
    HandleKey(kKeyAdd);
    EXPECT_EQ(Shown(), std::string(199, 'x') + " " + std::string(198, 'y'));
}

TEST_F(Keys, MouseMovesCountOnlyWhenBothCoordinatesChange) {
    const uint16_t xs[] = {100, 150, 150, 151, 151, 0, 1}, ys[] = {100, 100, 160, 161, 0, 65535, 1};
    const int counts[] = {1, 1, 1, 2, 2, 3, 4};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(CountMouseMove(xs[i], ys[i]), counts[i] >= 3) << i;
        EXPECT_EQ(mouseMoveCount, counts[i]) << i;
    }
    mouseMoveCount = INT_MAX;  // saturates instead of overflowing
    EXPECT_TRUE(CountMouseMove(2, 2));
    EXPECT_EQ(mouseMoveCount, INT_MAX);
}

TEST_F(Keys, OverlayLayoutTakesTwoNumbersPerSlotFromTheUnseededGenerator) {
    randomState = 1;  // a fresh process: the same as seeding with 1
    LayOutOverlayLines();
    EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);  // rand(): 41, 18467
    SeedRand(1);
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        const int depth = Rand() % 24 + 16, x = Rand() % 512;
        EXPECT_EQ(overlayLines[slot].depth, depth) << slot;
        EXPECT_EQ(overlayLines[slot].x, slot == 5 || slot == 6 ? 0 : x) << slot;
        EXPECT_EQ(overlayLines[slot].y, 50.0f + 48.0f * slot) << slot;
    }
    const int limits[5] = {512, 640, 819, 1024, 1280};  // x below 80% of the width
    for (config.RESOLUTION = 0; config.RESOLUTION < 5; ++config.RESOLUTION) {
        int highest = 0;
        for (int i = 0; i < 20000; ++i) {
            RandomizeOverlayLine(0);
            highest = std::max(highest, overlayLines[0].x);
        }
        EXPECT_EQ(highest, limits[config.RESOLUTION] - 1);
    }
}

}  // namespace
