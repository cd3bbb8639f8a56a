// The command line, the program's paths, the frame clock and the cursor rule.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/frame_clock.h"
#include "shell/shell_state.h"

TEST(CommandLine, ModeFromTheSecondCharacterPreviewWindowFromTheFourth) {
    const struct {
        const char* c;
        bool config, preview;
        long window;
    } cases[] = {{"", true, false, 0},           {"/c", true, false, 0},
                 {"-C", true, false, 0},         {"/c:1234", true, false, 0},
                 {"xc", true, false, 0},         {"/p 1234", false, true, 1234},
                 {"-P:1234", false, true, 1234}, {"/p1234", false, true, 234},
                 {"/p", false, true, 0},         {"/p  66", false, true, 66},
                 {"/p -5", false, true, -5},     {"/s", false, false, 0},
                 {"/", false, false, 0},         {"-s 12", false, false, 0}};
    for (const auto& k : cases) {
        RunMode m = ParseRunMode(k.c);
        EXPECT_EQ(m.config, k.config) << k.c;
        EXPECT_EQ(m.preview, k.preview) << k.c;
        if (k.preview) {
            EXPECT_EQ(m.previewWindow, k.window) << k.c;
        }
    }
    ResetShellState();
    ApplyRunMode(ParseRunMode("/p 5"));
    EXPECT_TRUE(previewMode && runWhileInactive && !fullScreen && !mouseEndsSaver && !configMode);
    ResetShellState();
    ApplyRunMode(ParseRunMode("/s"));
    EXPECT_TRUE(!previewMode && fullScreen && mouseEndsSaver && !runWhileInactive && !configMode);
}

TEST(CommandLine, SettingsAndShapePathsBesideTheProgram) {
    const struct {
        const char* c;
        const char* folder;  // "" = the bare names
    } cases[] = {{"\"C:\\Dir\\KORAVEN.SCR\" /s", "C:\\Dir\\"},
                 {"C:\\Dir\\koraven.scr /p 66", "C:\\Dir\\"},
                 {"\"Z:\\tmp\\e2e\\koraven.scr\" /s", "Z:\\tmp\\e2e\\"},
                 {"C:\\KORAVEN.SCR\\koraven.scr /s", "C:\\KORAVEN.SCR\\"},  // lower case first
                 {"C:\\koraven.scr\\KORAVEN.SCR /s", "C:\\"},
                 {"C:\\a\\koraven.scr /s C:\\b\\koraven.scr", "C:\\a\\"},
                 {"\"C:\\Dir\\Koraven.scr\" /s", ""},
                 {"C:\\Dir\\other.scr /s", ""},
                 {"", ""},
                 {"\"", ""},
                 {"koraven.sc", ""}};
    for (const auto& k : cases) {
        DerivePaths(k.c);
        EXPECT_EQ(std::string(settingsPath), std::string(k.folder) + "koraven.ini") << k.c;
        EXPECT_EQ(std::string(blockPattern), std::string(k.folder) + "*.x") << k.c;
    }
    // 64 KiB: the name beyond the capacity is not seen, nothing is written past the buffers.
    DerivePaths((std::string(65536, 'A') + "\\koraven.scr /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
    // A name ending exactly at the last byte that fits still counts; one byte more and it does not.
    const std::string edge = std::string(kPathCapacity - 12, 'B') + "koraven.scr";
    DerivePaths((edge + " /s").c_str());
    EXPECT_EQ(std::string(settingsPath), edge.substr(0, kPathCapacity - 12) + "koraven.ini");
    DerivePaths(("\"B" + edge + "\" /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
}

TEST(CommandLine, CopyBoundedCutsAtAWholeShiftJisCharacter) {
    char buf[6];
    const std::pair<const char*, const char*> cases[] = {
        {"abcdefgh", "abcde"}, {"ab\x93\x60\x8c\xbe", "ab\x93\x60"}, {"", ""}, {"a\x93", "a\x93"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CopyBounded(buf, sizeof buf, c.first), std::string(c.second).size());
        EXPECT_STREQ(buf, c.second);
    }
    char one[1] = {'x'};
    EXPECT_EQ(CopyBounded(one, 1, "abc"), 0u);
    EXPECT_EQ(one[0], '\0');
}

TEST(FrameClock, DeltasAndDeadlinesAcrossTheWrapOfTwoToThe32) {
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(1016, 1000), 0.016f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(61000, 1000), 60.0f);
    EXPECT_FLOAT_EQ(FrameDeltaSeconds(10u, 0xFFFFFFF0u), 0.026f);
    const struct {
        uint32_t reading, deadline;
        bool passed;
    } cases[] = {{1000, 1000, false},
                 {1001, 1000, true},
                 {999, 1000, false},
                 {0xFFFFFF00u, 0x100u, false},
                 {0x101u, 0x100u, true},
                 {0u, 0xFFFFFFFFu, true},
                 {0xFFFFFFFEu, 0xFFFFFFFFu, false}};
    for (const auto& c : cases)
        EXPECT_EQ(DeadlinePassed(c.reading, c.deadline), c.passed) << c.reading;
}

TEST(FrameClock, CursorHiddenInsideTheClientAreaOutsidePreview) {
    const ScreenPoint o = {100, 50};
    EXPECT_TRUE(CursorInside(o, 640, 480, 100, 50));
    EXPECT_TRUE(CursorInside(o, 640, 480, 739, 529));
    EXPECT_FALSE(CursorInside(o, 640, 480, 740, 100));
    EXPECT_FALSE(CursorInside(o, 640, 480, 99, 100));
    EXPECT_FALSE(CursorInside(o, 0, 0, 100, 50));
    EXPECT_EQ(CursorChange(true, false, true), -1);
    EXPECT_EQ(CursorChange(true, true, true), 0);
    EXPECT_EQ(CursorChange(false, false, false), 1);
    EXPECT_EQ(CursorChange(false, false, true), 0);
    // Outer size 646 x 505, centred with truncation (also below zero).
    WindowRect r = CaptionedWindowRect(1024, 768, 2, 3, 1, 19, 2, 3, 1);
    EXPECT_EQ(std::make_pair(r.width, r.height), std::make_pair(646, 505));
    EXPECT_EQ(std::make_pair(r.x, r.y), std::make_pair(189, 131));
    r = CaptionedWindowRect(640, 480, 2, 3, 1, 19, 2, 3, 1);
    EXPECT_EQ(std::make_pair(r.x, r.y), std::make_pair(-3, -12));
}
