// The key handler and the mouse-move rule on the real process-wide state: settings flags, the
// news store, the news lines and the overlay slots.
#include "shell/handle_key.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/shell_state.h"

namespace {

class HandleKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetNewsStore();
        ResetNewsLines();
        ResetMousePosition();
        for (int& s : config.SHOW) s = 0;
    }

    static void Store(int source, int count) {
        NewsCount[source] = count;
        for (int i = 0; i < count; ++i) {
            std::snprintf(NewsHeadlines[source][i], kHeadlineSize, "s%d-h%d", source, i);
        }
    }
    static std::string Slot(int slot) { return overlayLines[slot].text; }
};

TEST_F(HandleKeyTest, DigitsAndKeypadDigitsToggleTheirOwnLineOnly) {
    for (int i = 0; i < 7; ++i) {
        HandleKey('1' + i);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], j == i ? 1 : 0) << i << " " << j;
        HandleKey(kKeyNumpad1 + i);  // the same key on the keypad toggles it back
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], 0) << i << " " << j;
    }
    // Neighbours of the two ranges toggle nothing, but are still held.
    for (int key : {int{'0'}, int{'8'}, int{'9'}, 0x60, 0x68, 0x69, int{'A'}, 0x101}) {
        HandleKey(key);
        EXPECT_EQ(heldKey, key);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(config.SHOW[j], 0) << key;
    }
}

TEST_F(HandleKeyTest, KeypadPlusAndMinusWrapEachSourceOverItsOwnCount) {
    Store(0, 3);
    Store(1, 5);
    NewsCurrent[0] = 2;
    NewsCurrent[1] = 2;
    HandleKey(kKeyAdd);
    EXPECT_EQ(NewsCurrent[0], 0);
    EXPECT_EQ(NewsCurrent[1], 3);
    EXPECT_EQ(Slot(SLOT_NEWS1), "s0-h0");
    EXPECT_EQ(Slot(SLOT_NEWS2), "s1-h3");
    HandleKey(kKeySubtract);
    HandleKey(kKeySubtract);
    EXPECT_EQ(NewsCurrent[0], 1);
    EXPECT_EQ(NewsCurrent[1], 1);
    HandleKey(kKeySubtract);
    HandleKey(kKeySubtract);
    EXPECT_EQ(NewsCurrent[0], 2);  // 0 - 1 wraps to the last
    EXPECT_EQ(Slot(SLOT_NEWS1), "s0-h2");
    EXPECT_EQ(Slot(SLOT_NEWS2), "s1-h4");
    EXPECT_EQ(heldKey, kKeySubtract);
}

TEST_F(HandleKeyTest, SourceWithoutHeadlinesIsNotStepped) {
    Store(1, 2);
    std::strcpy(overlayLines[SLOT_NEWS1].text, "loading");
    NewsCurrent[0] = 0;
    HandleKey(kKeyAdd);
    HandleKey(kKeySubtract);
    HandleKey(kKeySubtract);
    EXPECT_EQ(NewsCurrent[0], 0);
    EXPECT_EQ(Slot(SLOT_NEWS1), "loading");
    EXPECT_EQ(NewsCurrent[1], 1);
    EXPECT_EQ(Slot(SLOT_NEWS2), "s1-h1");
}

TEST_F(HandleKeyTest, OutOfRangeIndexOrCountNeverReadsOutsideTheStore) {
    Store(0, 3);
    NewsCurrent[0] = -7;  // written elsewhere; brought back into range first
    HandleKey(kKeyAdd);
    EXPECT_GE(NewsCurrent[0], 0);
    EXPECT_LT(NewsCurrent[0], 3);
    NewsCount[1] = 1000;  // more than the store holds
    NewsCurrent[1] = 99;
    HandleKey(kKeyAdd);
    EXPECT_EQ(NewsCurrent[1], 0);
    HandleKey(kKeySubtract);
    EXPECT_EQ(NewsCurrent[1], kNewsSlots - 1);
}

TEST_F(HandleKeyTest, HeadlineCopyIsBoundedAndCutAtAWholeCharacter) {
    NewsCount[0] = 1;
    NewsCount[1] = 1;
    // Source 1: the whole slot filled, no terminator: 199 bytes arrive.
    std::memset(NewsHeadlines[0][0], 'x', kHeadlineSize);
    // Source 2: 197 single bytes, then a two-byte character that would end at byte 199.
    std::memset(NewsHeadlines[1][0], 'y', 197);
    NewsHeadlines[1][0][197] = static_cast<char>(0x83);  // lead byte
    NewsHeadlines[1][0][198] = static_cast<char>(0x5C);  // trail byte that looks like '\'
    NewsHeadlines[1][0][199] = '\0';
    std::memset(overlayLines[SLOT_NEWS2 + 1].text, 'z', kOverlayTextSize - 1);
    HandleKey(kKeyAdd);
    EXPECT_EQ(std::strlen(overlayLines[SLOT_NEWS1].text), 199u);
    EXPECT_EQ(std::string(overlayLines[SLOT_NEWS2].text), std::string(197, 'y') + "\x83\x5C");
    // One byte less room: the character is left out whole.
    NewsHeadlines[1][0][196] = static_cast<char>(0x83);
    NewsHeadlines[1][0][197] = static_cast<char>(0x5C);
    NewsHeadlines[1][0][198] = static_cast<char>(0x83);
    NewsHeadlines[1][0][199] = static_cast<char>(0x40);  // no terminator in the slot
    HandleKey(kKeyAdd);
    EXPECT_EQ(std::strlen(overlayLines[SLOT_NEWS2].text), 198u);
    EXPECT_EQ(overlayLines[SLOT_NEWS2 + 1].text[0], 'z');  // the next slot is untouched
}

TEST_F(HandleKeyTest, MouseMovesCountOnlyWhenBothCoordinatesChange) {
    // From (0, 0) the first move counts.
    EXPECT_FALSE(CountMouseMove(100, 100));
    EXPECT_EQ(mouseMoveCount, 1);
    // Along one axis: never counted, but remembered.
    EXPECT_FALSE(CountMouseMove(150, 100));
    EXPECT_FALSE(CountMouseMove(150, 160));
    EXPECT_FALSE(CountMouseMove(150, 160));
    EXPECT_EQ(mouseMoveCount, 1);
    EXPECT_EQ(lastMousePos.x, 150);
    EXPECT_EQ(lastMousePos.y, 160);
    EXPECT_FALSE(CountMouseMove(151, 161));
    EXPECT_EQ(mouseMoveCount, 2);
    // The count is never reset: the third counted move ends, however late; so does every later.
    EXPECT_FALSE(CountMouseMove(151, 0));
    EXPECT_TRUE(CountMouseMove(0, 65535));
    EXPECT_TRUE(CountMouseMove(1, 1));
    EXPECT_EQ(mouseMoveCount, 4);
    mouseMoveCount = INT_MAX;  // the count saturates instead of overflowing
    EXPECT_TRUE(CountMouseMove(2, 2));
    EXPECT_EQ(mouseMoveCount, INT_MAX);
}

}  // namespace
