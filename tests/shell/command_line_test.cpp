// The command line, paths, frame clock and pacing, and the keys and mouse on the real state.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "overlay/news_lines.h"
#include "overlay/overlay_step.h"
#include "settings/settings.h"
#include "common/frame_pacer.h"
#include "common/sjis.h"
#include "shell/window_rules.h"
#include "common/frame_pacer.h"
#include "common/keys.h"
#include "shell/handle_key.h"

TEST(CommandLine, ModePreviewWindowPathsAndBoundedCopy) {
    // Mode from the second character, the preview window's number from the fourth.
    const char* lines[] = {"", "-C", "/c:1234", "/p 1234", "-P:12", "/p1234", "/p", "/p -5", "/"};
    const char* modes[] = {"c0", "c0", "c0", "p1234", "p12", "p234", "p0", "p-5", "s0"};
    for (int i = 0; i < 9; ++i) {
        const RunMode m = ParseRunMode(lines[i]);  // s: the saver, c: configure, p: preview
        EXPECT_EQ("spcc"[m.config * 2 + m.preview] + std::to_string(m.previewWindow), modes[i]);
    }
    // The settings file and shapes beside the program ("": bare names), the lower case name first.
    const char* commandLines[] = {"\"C:\\Dir\\KORAVEN.SCR\" /s", "\"C:\\Dir\\Koraven.scr\" /s",
                                  "\"", "C:\\KORAVEN.SCR\\koraven.scr /s C:\\b\\koraven.scr"};
    const char* folders[] = {"C:\\Dir\\", "", "", "C:\\KORAVEN.SCR\\"};
    for (int i = 0; i < 4; ++i) {
        DerivePaths(commandLines[i]);
        EXPECT_EQ(std::string(settingsPath) + blockPattern,
                  std::string(folders[i]) + "koraven.ini" + folders[i] + "*.x");
    }
    // A name ending exactly at the last byte that fits still counts; in a 64 KiB line it does not.
    const std::string edge = std::string(kPathCapacity - 12, 'B') + "koraven.scr";
    DerivePaths((edge + " /s").c_str());
    EXPECT_EQ(std::string(settingsPath), edge.substr(0, kPathCapacity - 12) + "koraven.ini");
    DerivePaths(("\"" + std::string(65536, 'A') + edge + "\" /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
    char buf[6];  // a bounded copy cuts at a whole Shift-JIS character
    const char *texts[] = {"abcdefgh", "ab\x93\x60\x8c\xbe", "a\x93", "abc"},
               *copies[] = {"abcde", "ab\x93\x60", "a\x93", ""};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::to_string(CopyBounded(buf, i < 3 ? sizeof buf : 1, texts[i])) + buf,
                  std::to_string(std::strlen(copies[i])) + copies[i]);
}

TEST(FrameClock, DeltasDeadlinesCursorAndPacing) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(10u, 0xFFFFFFF0u), 0.026f);  // across the wrap of 2^32
    const uint32_t readings[] = {1000, 1001, 0xFFFFFF00u, 0x101u, 0xFFFFFFFEu, 0u};       // every
    const uint32_t deadlines[] = {1000, 1000, 0x100u, 0x100u, 0xFFFFFFFFu, 0xFFFFFFFFu};  // second
    for (int i = 0; i < 6; ++i) EXPECT_EQ(DeadlinePassed(readings[i], deadlines[i]), i % 2 == 1);
    const int reported[] = {75, 144, 0, 1, 0, -5, 23}, fallback[] = {60, 0, 85, 72, 0, 10000, 501};
    const int chosen[] = {75, 144, 85, 72, 60, 60, 60};  // 0 and 1: the hardware's default
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ChooseRefreshRate(reported[i], fallback[i]), chosen[i]);
    FramePacer p;
    EXPECT_EQ(TimeUntilFrame(p, 12345), 0);  // not started: never waits
    StartPacing(p, 60, 0), FrameRan(p, 0);
    EXPECT_EQ(TimeUntilFrame(p, 16000) * 10 + SleepMilliseconds(667), 6671);  // rounded up
    EXPECT_EQ(SleepMilliseconds(16667) * 10 + SleepMilliseconds(0), 170u);
    StartPacing(p, 50, 0), FrameRan(p, 0);  // 20 ms
    FrameRan(p, 25000);                     // a little late: the next keeps its place in the rhythm
    EXPECT_EQ(TimeUntilFrame(p, 25000), 15000);
    FrameRan(p, 2000000);  // two seconds blocked: no burst of frames to catch up
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 0);
    FrameRan(p, 2000000);
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 20000);
}

static std::string Shown() {
    return std::string(overlayLines[SLOT_NEWS1].text) + " " + overlayLines[SLOT_NEWS2].text;
}

TEST(Keys, DigitsToggleLinesKeypadPlusMinusStepEachSourceMouseMovesNeedBothCoordinates) {
    ResetShellState(), ResetSettings(), ResetNewsStore(), ResetOverlay();
    // '1'..'7' switch the lines on one by one, keypad 1..7 switch them off; other keys nothing.
    const int others[] = {'0', '8', 0x60, 0x68, 0x101};
    for (int i = 0; i < 14 + 5; ++i) {
        const int key = i < 7 ? '1' + i : i < 14 ? KEY_NUMPAD1 + i - 7 : others[i - 14];
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
    HandleKey(KEY_ADD);
    EXPECT_EQ(Shown(), "s0-h0 s1-h3");
    for (int i = 0; i < 4; ++i) HandleKey(KEY_SUBTRACT);
    EXPECT_EQ(Shown(), "s0-h2 s1-h4");
    NewsCount[0] = 0;  // a source without headlines is not stepped
    std::strcpy(overlayLines[SLOT_NEWS1].text, "loading");
    HandleKey(KEY_ADD);
    EXPECT_EQ(Shown(), "loading s1-h0");
    NewsCount[0] = 3, NewsCurrent[0] = -7, NewsCount[1] = 1000;  // never read outside the store
    HandleKey(KEY_SUBTRACT);
    EXPECT_EQ(NewsCurrent[0] * 1000 + NewsCurrent[1], 1000 + kNewsSlots - 1);
    // No terminator in the slot: the copy is bounded, and cut at a whole character.
    std::memset(NewsHeadlines[0][0], 'x', kHeadlineSize);
    std::memset(NewsHeadlines[1][0], 'y', kHeadlineSize);
    std::memcpy(NewsHeadlines[1][0] + 198, "\x83\x40", 2);  // a character ending at byte 200
    NewsCurrent[0] = 2;
    HandleKey(KEY_ADD);
    EXPECT_EQ(Shown(), std::string(199, 'x') + " " + std::string(198, 'y'));
    // A mouse move counts only when both coordinates change; the third ends the saver.
    ResetMousePosition();
    const uint16_t xs[] = {100, 150, 150, 151, 151, 0, 1}, ys[] = {100, 100, 160, 161, 0, 65535, 1};
    const int counts[] = {1, 1, 1, 2, 2, 3, 4};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(CountMouseMove(xs[i], ys[i]), counts[i] >= 3) << i;
        EXPECT_EQ(mouseMoveCount, counts[i]) << i;
    }
    mouseMoveCount = INT_MAX;  // saturates instead of overflowing
    EXPECT_TRUE(CountMouseMove(2, 2) && mouseMoveCount == INT_MAX);
}
