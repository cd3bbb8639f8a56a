// The key handler and the mouse-move rule on the real process-wide state (settings, news store,
// news lines, overlay slots), and the overlay layout drawn from the program's generator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/overlay_layout.h"
#include "shell/random.h"
#include "shell/shell_state.h"

namespace {

class Keys : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        ResetNewsStore();
        ResetNewsLines();
        ResetMousePosition();
        for (int& s : config.SHOW) s = 0;
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

}  // namespace

TEST_F(Keys, DigitsAndKeypadDigitsToggleTheirOwnLineOnly) {
    for (int i = 0; i < 7; ++i) {
        HandleKey('1' + i);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], j == i ? 1 : 0) << i << " " << j;
        HandleKey(kKeyNumpad1 + i);
        EXPECT_EQ(config.SHOW[i], 0) << i;
    }
    for (int key : {int{'0'}, int{'8'}, 0x60, 0x68, int{'A'}, 0x101}) {
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
}

TEST_F(Keys, HeadlineCopyIsBoundedAndCutAtAWholeCharacter) {
    NewsCount[0] = NewsCount[1] = 1;
    std::memset(NewsHeadlines[0][0], 'x', kHeadlineSize);  // no terminator in the slot
    std::memset(NewsHeadlines[1][0], 'y', kHeadlineSize);
    NewsHeadlines[1][0][197] = '\x83';  // a two-byte character ending at byte 199
    NewsHeadlines[1][0][198] = '\x5C';
    NewsHeadlines[1][0][199] = '\0';
    std::memset(overlayLines[SLOT_NEWS2 + 1].text, 'z', kOverlayTextSize - 1);
    HandleKey(kKeyAdd);
    EXPECT_EQ(std::strlen(overlayLines[SLOT_NEWS1].text), 199u);
    EXPECT_EQ(std::string(overlayLines[SLOT_NEWS2].text), std::string(197, 'y') + "\x83\x5C");
    NewsHeadlines[1][0][196] = '\x83';  // one byte less room: the character is left out whole
    NewsHeadlines[1][0][198] = '\x83';
    NewsHeadlines[1][0][199] = '\x40';
    HandleKey(kKeyAdd);
    EXPECT_EQ(std::strlen(overlayLines[SLOT_NEWS2].text), 198u);
    EXPECT_EQ(overlayLines[SLOT_NEWS2 + 1].text[0], 'z');
}

TEST_F(Keys, MouseMovesCountOnlyWhenBothCoordinatesChange) {
    const struct {
        uint16_t x, y;
        int count;
        bool ends;
    } moves[] = {{100, 100, 1, false}, {150, 100, 1, false}, {150, 160, 1, false},
                 {151, 161, 2, false}, {151, 0, 2, false},   {0, 65535, 3, true},
                 {1, 1, 4, true}};
    for (const auto& m : moves) {
        EXPECT_EQ(CountMouseMove(m.x, m.y), m.ends) << m.x << "," << m.y;
        EXPECT_EQ(mouseMoveCount, m.count) << m.x << "," << m.y;
    }
    mouseMoveCount = INT_MAX;  // saturates instead of overflowing
    EXPECT_TRUE(CountMouseMove(2, 2));
    EXPECT_EQ(mouseMoveCount, INT_MAX);
}

TEST_F(Keys, OverlayLayoutTakesTwoNumbersPerSlotFromTheUnseededGenerator) {
    randomState = 1;  // a fresh process: the same as seeding with 1
    LayOutOverlayLines();
    SeedRand(1);
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
        const int depth = Rand() % 24 + 16, x = Rand() % 512;
        EXPECT_EQ(overlayLines[slot].depth, depth) << slot;
        EXPECT_EQ(overlayLines[slot].x, slot == 5 || slot == 6 ? 0 : x) << slot;
        EXPECT_EQ(overlayLines[slot].y, 50.0f + 48.0f * slot) << slot;
    }
    EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);  // rand(): 41, 18467
    const int limits[5] = {512, 640, 819, 1024, 1280};
    for (int r = 0; r < 5; ++r) {
        config.RESOLUTION = r;
        int highest = 0;
        for (int i = 0; i < 20000; ++i) {
            RandomizeOverlayLine(0);
            ASSERT_TRUE(overlayLines[0].x >= 0 && overlayLines[0].x < limits[r]);
            highest = std::max(highest, overlayLines[0].x);
        }
        EXPECT_EQ(highest, limits[r] - 1) << r;
    }
    RandomizeOverlayLine(-1);  // outside the slots: nothing
    RandomizeOverlayLine(kOverlaySlots);
}
