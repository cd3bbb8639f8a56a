// The command line, paths, frame clock and pacing, and the keys and mouse on the real state.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/frame_pacer.h"
#include "common/keys.h"
#include "common/program_directory.h"
#include "common/shell_state.h"
#include "common/sjis.h"
#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/process_state.h"

namespace {

TEST(CommandLine, ModeFromTheSecondCharacterPreviewWindowFromTheFourth) {
    const struct {
        const char* line;
        bool config, preview;
        long window;
    } rows[] = {
        {"", true, false, 0},           {"-C", true, false, 0},     {"/c:1234", true, false, 0},
        {"/p 1234", false, true, 1234}, {"-P:12", false, true, 12}, {"/p1234", false, true, 234},
        {"/p", false, true, 0},         {"/s", false, false, 0},    {"/", false, false, 0}};
    for (const auto& row : rows) {
        const RunMode m = ParseRunMode(row.line);
        EXPECT_EQ(m.config, row.config) << '"' << row.line << '"';
        EXPECT_EQ(m.preview, row.preview) << '"' << row.line << '"';
        EXPECT_EQ(m.previewWindow, row.window) << '"' << row.line << '"';
    }
}

TEST(CommandLine, ANameEndingAtTheLastByteThatFitsStillCounts) {
    const std::string folder(kPathCapacity - 12, 'B');
    DerivePaths((folder + "koraven.scr /s").c_str());
    EXPECT_EQ(settingsPath, folder + "koraven.ini");
    DerivePaths(("\"" + std::string(65536, 'A') + folder + "koraven.scr\" /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
}

TEST(ProgramDirectory, KeepsTheFoldersTrailingBackslash) {
    SetModulePath("C:\\Savers\\koraven.scr");
    EXPECT_STREQ(ProgramDirectory(), "C:\\Savers\\");
}

TEST(PreviewMode, RunsWhileInactive) {
    ResetShellState();
    ApplyRunMode(ParseRunMode("/p 1234"));
    EXPECT_TRUE(runWhileInactive);
}

TEST(CopyBounded, CutsAtAWholeShiftJisCharacterLeavingRoomForTheTerminator) {
    const struct {
        const char* text;
        size_t capacity, copied;
        const char* copy;
    } rows[] = {{"abcdefgh", 6, 5, "abcde"},
                {"ab\x93\x60\x8c\xbe", 6, 4, "ab\x93\x60"},
                {"a\x93", 6, 2, "a\x93"},  // a lead byte at the very end counts as a character
                {"abc", 1, 0, ""}};
    for (const auto& row : rows) {
        char out[6];
        EXPECT_EQ(CopyBounded(out, row.capacity, row.text), row.copied) << row.text;
        EXPECT_STREQ(out, row.copy);
    }
}

TEST(FrameClock, ADeadlinePassesOnlyWhenTheReadingIsLaterAcrossTheWrapToo) {
    EXPECT_FALSE(DeadlinePassed(1000u, 1000u));
    EXPECT_TRUE(DeadlinePassed(1001u, 1000u));
    EXPECT_FALSE(DeadlinePassed(0xFFFFFF00u, 0x100u));
    EXPECT_TRUE(DeadlinePassed(0x101u, 0x100u));
    EXPECT_FALSE(DeadlinePassed(0xFFFFFFFEu, 0xFFFFFFFFu));
    EXPECT_TRUE(DeadlinePassed(0u, 0xFFFFFFFFu));
}

TEST(FrameDelta, TenMillisecondsAreAHundredthOfASecond) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(1010u, 1000u), 0.01f);
}

TEST(FramePacer, TheFirstPlausibleRefreshRateIsUsedElseSixty) {
    EXPECT_EQ(ChooseRefreshRate(75, 60), 75);
    EXPECT_EQ(ChooseRefreshRate(0, 85), 85);  // 0 and 1: the hardware's default
    EXPECT_EQ(ChooseRefreshRate(0, 0), 60);
    EXPECT_EQ(ChooseRefreshRate(24, 60), 24);
    EXPECT_EQ(ChooseRefreshRate(23, 0), 60);
    EXPECT_EQ(ChooseRefreshRate(500, 60), 500);
    EXPECT_EQ(ChooseRefreshRate(501, 0), 60);
}

TEST(FramePacer, WaitsUntilTheFrameIsDueSleepingWholeMillisecondsRoundedUp) {
    FramePacer p;
    EXPECT_EQ(TimeUntilFrame(p, 12345), 0);  // not started: never waits
    StartPacing(p, 60, 0);
    FrameRan(p, 0);
    EXPECT_EQ(TimeUntilFrame(p, 16000), 667);
    EXPECT_EQ(SleepMilliseconds(667), 1u);
    EXPECT_EQ(SleepMilliseconds(16667), 17u);
    EXPECT_EQ(SleepMilliseconds(0), 0u);
}

TEST(FramePacer, ALateFrameKeepsTheRhythmAndAStallBringsNoBurst) {
    FramePacer p;
    StartPacing(p, 50, 0);  // 20 ms
    FrameRan(p, 0);
    FrameRan(p, 25000);
    EXPECT_EQ(TimeUntilFrame(p, 25000), 15000);
    FrameRan(p, 2000000);  // two seconds blocked
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 0);
    FrameRan(p, 2000000);
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 20000);
}

class Keys : public testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    // Source 0 with three headlines "a0".."a2", source 1 with five "b0".."b4".
    static void StoreHeadlines() {
        NewsCount[0] = 3;
        NewsCount[1] = 5;
        for (int i = 0; i < 5; ++i) {
            NewsHeadlines[0][i][0] = 'a';
            NewsHeadlines[1][i][0] = 'b';
            NewsHeadlines[0][i][1] = NewsHeadlines[1][i][1] = char('0' + i);
        }
    }
    static std::string Line(int slot) { return overlayLines[slot].text; }
};

TEST_F(Keys, DigitThreeTogglesTheTimeLineAndNoOther) {
    HandleKey('3');
    for (int slot = 0; slot < kShownLines; ++slot)
        EXPECT_EQ(config.SHOW[slot], slot == SLOT_TIME) << "slot " << slot;
    EXPECT_EQ(heldKey, '3');
    HandleKey('3');
    EXPECT_EQ(config.SHOW[SLOT_TIME], 0);
}

TEST(DigitKeys, TheDigitAfterTheLastLineChangesNoSetting) {
    ResetProcessState();
    const Config before = config;
    HandleKey(KEY_1 + kShownLines);
    EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
}

TEST_F(Keys, KeypadOneAndSevenToggleTheFirstAndLastLines) {
    HandleKey(KEY_NUMPAD1);
    HandleKey(KEY_NUMPAD1 + 6);
    EXPECT_EQ(config.SHOW[SLOT_INFO], 1);
    EXPECT_EQ(config.SHOW[SLOT_NEWS2], 1);
    HandleKey(KEY_NUMPAD1 + 6);
    EXPECT_EQ(config.SHOW[SLOT_NEWS2], 0);
}

TEST_F(Keys, KeypadPlusStepsEachSourceToItsNextHeadlineWrapping) {
    StoreHeadlines();
    NewsCurrent[0] = 2;
    NewsCurrent[1] = 2;
    HandleKey(KEY_ADD);
    EXPECT_EQ(Line(SLOT_NEWS1), "a0");
    EXPECT_EQ(Line(SLOT_NEWS2), "b3");
}

TEST_F(Keys, KeypadMinusFromTheFirstHeadlineGoesToTheLast) {
    StoreHeadlines();
    HandleKey(KEY_SUBTRACT);
    EXPECT_EQ(Line(SLOT_NEWS1), "a2");
    EXPECT_EQ(Line(SLOT_NEWS2), "b4");
}

TEST_F(Keys, AHeadlineWithoutTerminatorIsCutAtAWholeCharacterWithinTheLine) {
    NewsCount[0] = NewsCount[1] = 1;
    std::memset(NewsHeadlines[0][0], 'x', kHeadlineSize);
    std::memset(NewsHeadlines[1][0], 'y', kHeadlineSize);
    std::memcpy(NewsHeadlines[1][0] + 198, "\x83\x40", 2);  // a character ending at byte 200
    HandleKey(KEY_ADD);
    EXPECT_EQ(Line(SLOT_NEWS1), std::string(199, 'x'));
    EXPECT_EQ(Line(SLOT_NEWS2), std::string(198, 'y'));
}

TEST_F(Keys, OnlyAMouseMoveAlongBothAxesCountsAndTheThirdEndsTheSaver) {
    EXPECT_FALSE(CountMouseMove(100, 100));
    EXPECT_EQ(mouseMoveCount, 1);
    EXPECT_FALSE(CountMouseMove(150, 100));  // along x only
    EXPECT_FALSE(CountMouseMove(150, 160));  // along y only
    EXPECT_EQ(mouseMoveCount, 1);
    EXPECT_FALSE(CountMouseMove(151, 161));
    EXPECT_EQ(mouseMoveCount, 2);
    EXPECT_TRUE(CountMouseMove(0, 65535));
    EXPECT_EQ(mouseMoveCount, 3);
}

}  // namespace
