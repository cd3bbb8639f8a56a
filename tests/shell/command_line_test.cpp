// The command line, the program's paths, the frame clock, the cursor rule and the frame pacing.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/frame_clock.h"
#include "shell/frame_pacer.h"
#include "shell/shell_state.h"

TEST(CommandLine, ModePreviewWindowPathsAndBoundedCopy) {
    // Mode from the second character, the preview window's number from the fourth.
    const char* lines[] = {"", "-C", "/c:1234", "/p 1234", "-P:12", "/p1234", "/p", "/p -5", "/"};
    const char* modes[] = {"c0", "c0", "c0", "p1234", "p12", "p234", "p0", "p-5", "s0"};
    for (int i = 0; i < 9; ++i) {
        const RunMode m = ParseRunMode(lines[i]);
        EXPECT_EQ((m.config    ? "c"
                   : m.preview ? "p"
                               : "s") +
                      std::to_string(m.previewWindow),
                  modes[i])
            << lines[i];
    }
    ApplyRunMode(ParseRunMode("/p 5"));
    EXPECT_TRUE(previewMode && runWhileInactive && !fullScreen && !mouseEndsSaver && !configMode);

    // The settings file and the block shapes beside the program ("" = the bare names).
    const std::pair<const char*, const char*> paths[] = {
        {"\"C:\\Dir\\KORAVEN.SCR\" /s", "C:\\Dir\\"},
        {"C:\\KORAVEN.SCR\\koraven.scr /s", "C:\\KORAVEN.SCR\\"},  // lower case first
        {"C:\\a\\koraven.scr /s C:\\b\\koraven.scr", "C:\\a\\"},
        {"\"C:\\Dir\\Koraven.scr\" /s", ""},
        {"\"", ""}};
    for (const auto& k : paths) {
        DerivePaths(k.first);
        EXPECT_EQ(std::string(settingsPath) + blockPattern,
                  std::string(k.second) + "koraven.ini" + k.second + "*.x")
            << k.first;
    }
    // A name ending exactly at the last byte that fits still counts; one byte more and it does not.
    const std::string edge = std::string(kPathCapacity - 12, 'B') + "koraven.scr";
    DerivePaths((edge + " /s").c_str());
    EXPECT_EQ(std::string(settingsPath), edge.substr(0, kPathCapacity - 12) + "koraven.ini");
    DerivePaths(("\"B" + edge + "\" /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");

    char buf[6];  // a bounded copy cuts at a whole Shift-JIS character
    const char* texts[] = {"abcdefgh", "ab\x93\x60\x8c\xbe", "", "a\x93"};
    const char* copies[] = {"abcde", "ab\x93\x60", "", "a\x93"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(CopyBounded(buf, sizeof buf, texts[i]), std::strlen(copies[i]));
        EXPECT_STREQ(buf, copies[i]);
    }
    EXPECT_EQ(CopyBounded(buf, 1, "abc") + buf[0], 0u);
}

TEST(FrameClock, DeltasDeadlinesCursorAndPacing) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(10u, 0xFFFFFFF0u), 0.026f);  // across the wrap of 2^32
    const uint32_t readings[] = {1000, 1001, 0xFFFFFF00u, 0x101u, 0u, 0xFFFFFFFEu};
    const uint32_t deadlines[] = {1000, 1000, 0x100u, 0x100u, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const bool passed[] = {false, true, false, true, true, false};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(DeadlinePassed(readings[i], deadlines[i]), passed[i]) << i;
    const ScreenPoint o = {100, 50};
    EXPECT_TRUE(CursorInside(o, 640, 480, 100, 50) && CursorInside(o, 640, 480, 739, 529));
    EXPECT_FALSE(CursorInside(o, 640, 480, 740, 100) || CursorInside(o, 640, 480, 99, 100));
    EXPECT_EQ(CursorChange(true, false, true) * 10 + CursorChange(false, false, false), -9);
    EXPECT_EQ(CursorChange(true, true, true) * 10 + CursorChange(false, false, true), 0);

    const int reported[] = {75, 144, 0, 1, 0, -5, 23}, fallback[] = {60, 0, 85, 72, 0, 10000, 501};
    const int chosen[] = {75, 144, 85, 72, 60, 60, 60};  // 0 and 1: the hardware's default
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ChooseRefreshRate(reported[i], fallback[i]), chosen[i]);
    FramePacer p;
    EXPECT_EQ(TimeUntilFrame(p, 12345), 0);  // not started: never waits
    StartPacing(p, 60, 0);
    FrameRan(p, 0);
    EXPECT_EQ(TimeUntilFrame(p, 16000) * 10 + SleepMilliseconds(667), 6671);  // rounded up
    EXPECT_EQ(SleepMilliseconds(16667) * 10 + SleepMilliseconds(0), 170u);
    StartPacing(p, 50, 0);  // 20 ms
    FrameRan(p, 0);
    FrameRan(p, 25000);  // a little late: the next keeps its place in the rhythm
    EXPECT_EQ(TimeUntilFrame(p, 25000), 15000);
    FrameRan(p, 2000000);  // two seconds blocked: no burst of frames to catch up
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 0);
    FrameRan(p, 2000000);
    EXPECT_EQ(TimeUntilFrame(p, 2000000), 20000);
}
