// The settings store (integer and colour text, clamping, the well bounds, Shift-JIS trim) and the
// dialogs' tables over it.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/dialog_fields.h"

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettings(); }
    static const SettingKey& Key(const char* name) { return settingKeys[FindSetting(name)]; }
    static std::string Colour(const char* text) {
        std::string t = text;
        ParseColour(2, &t[0]);
        return FormatColour(2);
    }
};

TEST_F(Settings, IntegersAndColoursThroughTheirText) {
    const char* texts[] = {"\t\n 12",
                           "12abc",
                           "-5",
                           "+7",
                           "abc",
                           "- 5",
                           "0x10",
                           "-2147483648",
                           "99999999999999999999999",
                           "-99999999999999999999999"};
    const int values[] = {12, 12, -5, 7, 0, 0, 0, INT_MIN, INT_MAX, INT_MIN};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ParseInt(texts[i]), values[i]) << texts[i];
    char buf[12];
    EXPECT_STREQ(FormatInt(INT_MIN, buf), "-2147483648");
    for (int v = -1000; v <= 1000; ++v) ASSERT_EQ(ParseInt(FormatInt(v, buf)), v);

    const std::pair<const char*, const char*> colours[] = {
        {"F7F773", "f7f773"}, {"59D2f7", "59d2f7"},     {"f7", "f70000"},
        {"zz12xy", "001200"}, {"abcdef0123", "abcdef"}, {"\x81\x40\xff\x80 -", "000000"}};
    for (const auto& c : colours) EXPECT_EQ(Colour(c.first), c.second) << c.first;
    char text[8];
    for (int v = 0; v < 256; ++v) {
        std::snprintf(text, sizeof text, "%02x%02x%02x", v, 255 - v, (v * 7) & 255);
        ASSERT_EQ(Colour(text), text);
    }
    ParseColour(7, text);  // outside the table: nothing happens
    EXPECT_STREQ(FormatColour(7), "");
    // The dialog's colour value (red in the low byte) goes through the same text.
    SetColourValue(2, 0x00804020ul);
    EXPECT_STREQ(FormatColour(2), "204080");
    EXPECT_EQ(ColourValue(2), 0x00804020ul);
}

TEST_F(Settings, ValuesAreClampedToTheDialogRangesAndMoveTheWellBounds) {
    const struct {
        const char* key;
        int in, out;
    } cases[] = {{"RESOLUTION", 7, 4},  {"RESOLUTION", -1, 0},  {"WIDTH", 30, 30},
                 {"HEIGHT", 4, 5},      {"R_SPEED", -19, -18},  {"R_SPEED", 18, 18},
                 {"D_SPEED", 11, 10},   {"SUKIMA", 12, 10},     {"MOUSESENSE", 2, 1},
                 {"WIDTH", INT_MIN, 1}, {"HEIGHT", INT_MAX, 30}};
    for (const auto& c : cases) {
        StoreIntSetting(Key(c.key), c.in);
        EXPECT_EQ(*Key(c.key).intValue, c.out) << c.key << " " << c.in;
    }
    EXPECT_EQ(XMAX - XMIN + 1, 1);
    EXPECT_EQ(YMAX - YMIN + 1, 30);
    const int resolutions[] = {5, 99, -4}, widths[] = {1600, 1600, 640};  // held to the table
    for (int i = 0; i < 3; ++i) {
        config.RESOLUTION = resolutions[i];
        EXPECT_EQ(DisplayWidth(), widths[i]) << resolutions[i];
    }
    // Each trackbar's range is its key's; the range packs a negative minimum in 16 bits.
    for (const TrackbarField& f : trackbarFields) {
        int key = 0;
        while (key < kSettingCount && settingKeys[key].intValue != f.value) ++key;
        ASSERT_LT(key, kSettingCount) << f.id;
        EXPECT_EQ(f.minValue * 1000 + f.maxValue,
                  settingKeys[key].minValue * 1000 + settingKeys[key].maxValue);
    }
    EXPECT_EQ(TrackbarRange(-18, 18), (18L << 16) | 0xFFEE);
    char label[kLabelTextSize];
    config.R_SPEED = -3;  // shown in degrees per second
    FormatTrackbarLabel(trackbarFields[0], label);
    EXPECT_STREQ(label, "-30");
    // The check boxes and news edits take their keys in order.
    for (int i = 0; i < kCheckBoxCount; ++i)
        EXPECT_EQ(checkBoxFields[i].value, settingKeys[FindSetting("MOUSESENSE") + i].intValue);
    for (int i = 0; i < kNewsFieldCount; ++i)
        EXPECT_EQ(newsFields[i].text, settingKeys[FindSetting("NI1_HTML") + i].text);
}

TEST_F(Settings, TrimPartialSjisDropsOnlyALoneLeadByte) {
    const std::pair<const char*, const char*> cases[] = {{"ab\x93\x60", "ab\x93\x60"},
                                                         {"ab\x93", "ab"},
                                                         {"\x93\x60\xe0", "\x93\x60"},
                                                         {"\xb1\xb2", "\xb1\xb2"}};
    for (const auto& c : cases) {
        std::string t = c.first;
        TrimPartialSjis(&t[0]);
        EXPECT_STREQ(t.c_str(), c.second);
    }
}

}  // namespace
