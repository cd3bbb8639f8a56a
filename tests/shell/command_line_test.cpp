// Command-line rules and path derivation.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/shell_state.h"

namespace {

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override { ResetShellState(); }
};

}  // namespace

TEST_F(CommandLine, EmptyAndSecondCharacterCSelectConfigure) {
    for (const char* c : {"", "/c", "/C", "-c", "-C", "/c:1234", "xc"}) {
        RunMode m = ParseRunMode(c);
        EXPECT_TRUE(m.config) << c;
        EXPECT_FALSE(m.preview) << c;
    }
}

TEST_F(CommandLine, SecondCharacterPSelectsPreviewWithTheWindowFromTheFourthCharacter) {
    struct Case {
        const char* c;
        long window;
    } cases[] = {{"/p 1234", 1234}, {"/P 1234", 1234}, {"-p:1234", 1234}, {"/p:1234", 1234},
                 {"/p1234", 234},   {"/p", 0},         {"/p ", 0},        {"/p  66", 66},
                 {"/p -5", -5},     {"/p x", 0}};
    for (const Case& k : cases) {
        RunMode m = ParseRunMode(k.c);
        EXPECT_TRUE(m.preview) << k.c;
        EXPECT_FALSE(m.config) << k.c;
        EXPECT_EQ(m.previewWindow, k.window) << k.c;
    }
}

TEST_F(CommandLine, AnythingElseIsFullScreen) {
    for (const char* c : {"/s", "/S", "/a", "/x", "s", "/", " ", "-s 12"}) {
        RunMode m = ParseRunMode(c);
        EXPECT_FALSE(m.config) << c;
        EXPECT_FALSE(m.preview) << c;
    }
}

TEST_F(CommandLine, ApplySetsTheShellFlags) {
    ApplyRunMode(ParseRunMode("/p 5"));
    EXPECT_TRUE(previewMode);
    EXPECT_TRUE(runWhileInactive);
    EXPECT_FALSE(fullScreen);
    EXPECT_FALSE(mouseEndsSaver);
    EXPECT_FALSE(configMode);

    ResetShellState();
    ApplyRunMode(ParseRunMode("/c:1234"));
    EXPECT_TRUE(configMode);
    EXPECT_FALSE(previewMode);
    EXPECT_TRUE(fullScreen);  // cleared later, at start-up step 9

    ResetShellState();
    ApplyRunMode(ParseRunMode("/s"));
    EXPECT_FALSE(configMode);
    EXPECT_FALSE(previewMode);
    EXPECT_TRUE(fullScreen);
    EXPECT_TRUE(mouseEndsSaver);
    EXPECT_FALSE(runWhileInactive);
}

TEST_F(CommandLine, QuotedProgramPathInUpperCase) {
    DerivePaths("\"C:\\Dir\\KORAVEN.SCR\" /s");
    EXPECT_STREQ(settingsPath, "C:\\Dir\\koraven.ini");
    EXPECT_STREQ(blockPattern, "C:\\Dir\\*.x");
    DerivePaths("\"C:\\WINDOWS\\KORAVEN.SCR\" /s");
    EXPECT_STREQ(blockPattern, "C:\\WINDOWS\\*.x");
}

TEST_F(CommandLine, UnquotedProgramPathInLowerCase) {
    DerivePaths("C:\\Dir\\koraven.scr /p 66");
    EXPECT_STREQ(settingsPath, "C:\\Dir\\koraven.ini");
    EXPECT_STREQ(blockPattern, "C:\\Dir\\*.x");
}

TEST_F(CommandLine, WinesQuotedUnixPath) {
    DerivePaths("\"Z:\\tmp\\e2e\\koraven.scr\" /s");
    EXPECT_STREQ(settingsPath, "Z:\\tmp\\e2e\\koraven.ini");
    EXPECT_STREQ(blockPattern, "Z:\\tmp\\e2e\\*.x");
}

TEST_F(CommandLine, OtherOrMixedCaseNamesGiveTheBareNames) {
    for (const char* c : {"\"C:\\Dir\\Koraven.scr\" /s", "C:\\Dir\\other.scr /s", "", "\"",
                          "koraven.sc", "C:\\Dir\\KORAVEN.scr"}) {
        DerivePaths(c);
        EXPECT_STREQ(settingsPath, "koraven.ini") << c;
        EXPECT_STREQ(blockPattern, "*.x") << c;
    }
}

TEST_F(CommandLine, LowerCaseNameIsSearchedFirst) {
    DerivePaths("C:\\KORAVEN.SCR\\koraven.scr /s");
    EXPECT_STREQ(settingsPath, "C:\\KORAVEN.SCR\\koraven.ini");
    DerivePaths("C:\\koraven.scr\\KORAVEN.SCR /s");
    EXPECT_STREQ(settingsPath, "C:\\koraven.ini");
    EXPECT_STREQ(blockPattern, "C:\\*.x");
}

TEST_F(CommandLine, ArgumentsAfterTheNameAreDroppedButTheFirstOccurrenceCounts) {
    DerivePaths("C:\\a\\koraven.scr /s C:\\b\\koraven.scr");
    EXPECT_STREQ(settingsPath, "C:\\a\\koraven.ini");
}

TEST_F(CommandLine, LongCommandLinesStayInsideTheBuffers) {
    // 64 KiB: the name beyond the capacity is not seen, and nothing is written past the buffers.
    std::string huge(65536, 'A');
    huge += "\\koraven.scr /s";
    DerivePaths(huge.c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
    EXPECT_STREQ(blockPattern, "*.x");

    // A name that ends exactly at the last byte that fits still turns into the settings name.
    std::string edge(kPathCapacity - 1 - 11, 'B');
    edge += "koraven.scr";
    ASSERT_EQ(edge.size(), static_cast<size_t>(kPathCapacity - 1));
    DerivePaths((edge + " /s").c_str());
    EXPECT_EQ(std::string(settingsPath), edge.substr(0, edge.size() - 11) + "koraven.ini");
    EXPECT_EQ(std::string(blockPattern), edge.substr(0, edge.size() - 11) + "*.x");

    // One byte more and the name no longer fits whole.
    DerivePaths(("\"B" + edge + "\" /s").c_str());
    EXPECT_STREQ(settingsPath, "koraven.ini");
}

TEST_F(CommandLine, CopyBoundedCutsAtAWholeShiftJisCharacter) {
    char buf[6];
    EXPECT_EQ(CopyBounded(buf, sizeof buf, "abcdefgh"), 5u);
    EXPECT_STREQ(buf, "abcde");
    // "ab" + two double-byte characters: the second one does not fit whole.
    EXPECT_EQ(CopyBounded(buf, sizeof buf, "ab\x93\x60\x8c\xbe"), 4u);
    EXPECT_STREQ(buf, "ab\x93\x60");
    EXPECT_EQ(CopyBounded(buf, sizeof buf, ""), 0u);
    EXPECT_STREQ(buf, "");
    char one[1];
    EXPECT_EQ(CopyBounded(one, 1, "abc"), 0u);
    EXPECT_EQ(one[0], '\0');
    // A lead byte at the very end of the source is copied as it is.
    EXPECT_EQ(CopyBounded(buf, sizeof buf, "a\x93"), 2u);
}
