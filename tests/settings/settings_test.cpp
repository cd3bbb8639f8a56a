// The settings store: values as text, clamping to the dialogs' ranges, the well's bounds, the
// defaults, and the dialogs' view of the values.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/sjis.h"
#include "settings/desktop_size.h"
#include "settings/dialog_fields.h"
#include "shell/process_state.h"

namespace {

class Settings : public testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    static const SettingKey& Key(const char* name) { return settingKeys[FindSetting(name)]; }
    static std::string Colour(std::string text) {
        ParseColour(2, &text[0]);
        return FormatColour(2);
    }
};

TEST_F(Settings, DefaultsAreTheStatedOnes) {
    EXPECT_EQ(config.R_SPEED, 3);
    EXPECT_EQ(config.D_SPEED, 5);
    EXPECT_EQ(config.MOUSESENSE, 1);
    EXPECT_EQ(config.SHOW[SLOT_NEWS1], 0);
    EXPECT_STREQ(config.BLOCKFILE, "koraven.x");
    EXPECT_STREQ(FormatColour(0), "f7f773");
    EXPECT_STREQ(config.NI[1].update, "700");
    EXPECT_EQ(XMAX, 19);  // WIDTH 10 and HEIGHT 20
    EXPECT_EQ(YMAX, 29);
}

TEST_F(Settings, IntegersReadLikeAtolHeldToThirtyTwoBits) {
    const struct {
        const char* name;
        const char* text;
        int value;
    } rows[] = {{"white space first", "\t\n 12", 12},
                {"letters after", "12abc", 12},
                {"minus", "-5", -5},

                {"blank after the sign", "- 5", 0},
                {"no hexadecimal", "0x10", 0},

                {"above the top", "99999999999", INT_MAX},
                {"below the bottom", "-99999999999", INT_MIN}};
    for (const auto& row : rows) EXPECT_EQ(ParseInt(row.text), row.value) << row.name;
}

TEST_F(Settings, ColourTextsAreReadAsHexadecimalAndWrittenInLowerCase) {
    const struct {
        const char* name;
        const char* text;
        const char* written;
    } rows[] = {{"either case", "59D2f7", "59d2f7"},
                {"short", "f7", "f70000"},
                {"not digits", "zz12xy", "001200"},
                {"long", "abcdef0123", "abcdef"},
                {"double-byte", "\x81\x40\xff\x80 -", "000000"}};
    for (const auto& row : rows) EXPECT_EQ(Colour(row.text), row.written) << row.name;
}

// A text read is cut at 254 bytes: a lead byte left alone at its end goes.
TEST_F(Settings, OnlyALoneLeadByteAtTheEndOfATextReadIsTrimmed) {
    char text[] = "\x93\x60 \xb1\xb2 \x93\x60\xe0";
    TrimPartialSjis(text);
    EXPECT_STREQ(text, "\x93\x60 \xb1\xb2 \x93\x60");
}

TEST_F(Settings, ValuesReadAreHeldToTheDialogRanges) {
    const struct {
        const char* key;
        int read, kept;
    } rows[] = {{"RESOLUTION", 6, 5},    {"RESOLUTION", -1, 0}, {"WIDTH", 30, 30},
                {"WIDTH", 31, 30},       {"WIDTH", INT_MIN, 1}, {"HEIGHT", 4, 5},
                {"HEIGHT", INT_MAX, 30}, {"R_SPEED", -19, -18}, {"R_SPEED", 18, 18},
                {"D_SPEED", 11, 10},     {"MAYOI", 11, 10},     {"MOUSESENSE", 2, 1}};
    for (const auto& row : rows) {
        StoreIntSetting(Key(row.key), row.read);
        EXPECT_EQ(*Key(row.key).intValue, row.kept) << row.key << " read as " << row.read;
    }
}

TEST_F(Settings, ResolutionFourIsTheLargestFixedMode) {
    config.RESOLUTION = 4;
    EXPECT_EQ(DisplayWidth(), 1600);
    EXPECT_EQ(DisplayHeight(), 1200);
}

TEST_F(Settings, ResolutionLabelNamesWidthByHeight) {
    config.RESOLUTION = 1;
    char label[kLabelTextSize];
    FormatTrackbarLabel(Key("RESOLUTION"), label);
    EXPECT_STREQ(label, "800x600");
}

TEST_F(Settings, RotationSpeedLabelIsInDegreesOthersAsTheyAre) {
    char label[kLabelTextSize];
    config.R_SPEED = -3;
    FormatTrackbarLabel(Key("R_SPEED"), label);
    EXPECT_STREQ(label, "-30");
    config.D_SPEED = 7;
    FormatTrackbarLabel(Key("D_SPEED"), label);
    EXPECT_STREQ(label, "7");
}

// RESOLUTION 5, the desktop's own size, and the fall-back to it when the mode cannot be had.
class DesktopSize : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDesktopSize(1920, 1080);
        SetDesktopFallBack(false);
    }
    void TearDown() override {
        SetDesktopSize(0, 0);
        SetDesktopFallBack(false);
        config.RESOLUTION = 0;
    }
};

TEST_F(DesktopSize, ResolutionFiveIsTheDesktopsSize) {
    config.RESOLUTION = 5;
    EXPECT_EQ(DisplayWidth(), 1920);
    EXPECT_EQ(DisplayHeight(), 1080);
}

TEST_F(DesktopSize, FallBackMakesAFixedRowTheDesktopsSizeAndKeepsTheSetting) {
    config.RESOLUTION = 4;
    SetDesktopFallBack(true);
    EXPECT_EQ(DisplayWidth(), 1920);
    EXPECT_EQ(DisplayHeight(), 1080);
    EXPECT_EQ(config.RESOLUTION, 4);
}

}  // namespace
