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
    static std::string Shown() {
        return std::string(overlayLines[SLOT_NEWS1].text) + " " + overlayLines[SLOT_NEWS2].text;
    }
};

TEST_F(Keys, DigitsToggleTheirOwnLineAndKeypadPlusMinusStepEachSourceOverItsCount) {
    // '1'..'7' switch the lines on one by one, keypad 1..7 switch them off; other keys nothing.
    const int others[] = {'0', '8', 0x60, 0x68, 0x101};
    for (int i = 0; i < 14 + 5; ++i) {
        const int key = i < 7 ? '1' + i : i < 14 ? kKeyNumpad1 + i - 7 : others[i - 14];
        HandleKey(key);
        std::string flags;
        for (int s : config.SHOW) flags += char('0' + s);
        const int on = i < 7 ? i + 1 : i < 14 ? 13 - i : 0;
        EXPECT_EQ(flags, std::string(7 - on, '0').insert(i < 7 ? 0 : 7 - on, on, '1')) << i;
        EXPECT_EQ(heldKey, key);
    }

    for (int source = 0; source < 2; ++source) {
        NewsCount[source] = 3 + 2 * source;
        for (int i = 0; i < NewsCount[source]; ++i)
            std::snprintf(NewsHeadlines[source][i], kHeadlineSize, "s%d-h%d", source, i);
    }
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
    HandleKey(kKeyAdd);
    EXPECT_EQ(Shown(), std::string(199, 'x') + " " + std::string(198, 'y'));
}

TEST_F(Keys, MouseMovesCountOnlyWhenBothCoordinatesChangeAndTheLayoutDrawsFromRand) {
    const uint16_t xs[] = {100, 150, 150, 151, 151, 0, 1}, ys[] = {100, 100, 160, 161, 0, 65535, 1};
    const int counts[] = {1, 1, 1, 2, 2, 3, 4};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(CountMouseMove(xs[i], ys[i]), counts[i] >= 3) << i;
        EXPECT_EQ(mouseMoveCount, counts[i]) << i;
    }
    mouseMoveCount = INT_MAX;  // saturates instead of overflowing
    EXPECT_TRUE(CountMouseMove(2, 2));
    EXPECT_EQ(mouseMoveCount, INT_MAX);

    // Depth, then x below 80% of the width, per slot from the generator (rand(): 41, 18467, ...).
    SeedRand(1);
    LayOutOverlayLines();
    EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);
    EXPECT_EQ(overlayLines[1].depth * 1000 + overlayLines[1].x, 38388);       // 6334, 26500
    EXPECT_EQ(overlayLines[SLOT_NEWS2].x + overlayLines[SLOT_NEWS2].y, 338);  // at x 0
}

}  // namespace
