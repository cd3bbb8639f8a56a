// The settings store (values as text, clamping, the well bounds) and the dialogs' tables over it.
#include "common/sjis.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "settings/dialog_fields.h"

static std::string Colour(std::string text) {
    ParseColour(2, &text[0]);
    return FormatColour(2);
}

TEST(Settings, TextValuesClampsAndTheDialogsView) {
    const char* texts[] = {
        "\t\n 12", "12abc",       "-5",          "+7",          "- 5",
        "0x10",    "-2147483648", "99999999999", "-99999999999"};  // beyond 32 bits: held to them
    const int values[] = {12, 12, -5, 7, 0, 0, INT_MIN, INT_MAX, INT_MIN};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(ParseInt(texts[i]), values[i]) << texts[i];
    char buf[12];
    for (int v = -1000; v <= 1000; ++v) ASSERT_EQ(ParseInt(FormatInt(v, buf)), v);
    const char* colours[] = {"59D2f7", "f7", "zz12xy", "abcdef0123", "\x81\x40\xff\x80 -"};
    const char* written[] = {"59d2f7", "f70000", "001200", "abcdef", "000000"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Colour(colours[i]), written[i]) << colours[i];
    for (int v = 0; v < 256; ++v) {
        std::snprintf(buf, sizeof buf, "%02x%02x%02x", v, 255 - v, (v * 7) & 255);
        ASSERT_EQ(Colour(buf), buf);
    }
    EXPECT_STREQ((ParseColour(7, buf), FormatColour(7)), "");  // outside the table: nothing
    SetColourValue(2, 0x00804020ul);  // the dialog's value (red low) goes through the same text
    EXPECT_STREQ(FormatColour(2), "204080");
    EXPECT_EQ(ColourValue(2), 0x00804020ul);

    char sjis[] = "\x93\x60 \xb1\xb2 \x93\x60\xe0";  // only a lone lead byte at the end goes
    TrimPartialSjis(sjis);
    EXPECT_STREQ(sjis, "\x93\x60 \xb1\xb2 \x93\x60");
    // Values read are clamped to the dialogs' ranges; WIDTH and HEIGHT move the well's bounds.
    const struct {
        const char* key;
        int in, out;
    } cases[] = {{"RESOLUTION", 7, 5},   {"RESOLUTION", -1, 0}, {"WIDTH", 30, 30},
                 {"HEIGHT", 4, 5},       {"R_SPEED", -19, -18}, {"R_SPEED", 18, 18},
                 {"D_SPEED", 11, 10},    {"MOUSESENSE", 2, 1},  {"WIDTH", INT_MIN, 1},
                 {"HEIGHT", INT_MAX, 30}};
    for (const auto& c : cases) {
        const SettingKey& key = settingKeys[FindSetting(c.key)];
        StoreIntSetting(key, c.in);
        EXPECT_EQ(*key.intValue, c.out) << c.key << " " << c.in;
    }
    EXPECT_EQ((XMAX - XMIN + 1) * 100 + YMAX - YMIN + 1, 130);
    EXPECT_EQ((config.RESOLUTION = 4, DisplayWidth()), 1600);
    // A trackbar range packs a negative minimum in 16 bits; the speed label is in degrees.
    EXPECT_EQ(TrackbarRange(-18, 18), (18L << 16) | 0xFFEE);
    char label[kLabelTextSize];
    config.R_SPEED = -3;
    FormatTrackbarLabel(settingKeys[FindSetting("R_SPEED")], label);
    EXPECT_STREQ(label, "-30");
}
