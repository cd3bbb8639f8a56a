// The portable settings store: integer text, colours, clamping, the well bounds, Shift-JIS trim.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

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

}  // namespace

TEST_F(Settings, IntegerTextFollowsAtolAndItoa) {
    const std::pair<const char*, int> cases[] = {{"3", 3},
                                                 {"\t\n 12", 12},
                                                 {"12abc", 12},
                                                 {"-5", -5},
                                                 {"+7", 7},
                                                 {"abc", 0},
                                                 {"", 0},
                                                 {"- 5", 0},
                                                 {"0x10", 0},
                                                 {"2147483647", INT_MAX},
                                                 {"-2147483648", INT_MIN},
                                                 {"99999999999999999999999", INT_MAX},
                                                 {"-99999999999999999999999", INT_MIN}};
    for (const auto& c : cases) EXPECT_EQ(ParseInt(c.first), c.second) << c.first;
    char buf[12];
    EXPECT_STREQ(FormatInt(INT_MIN, buf), "-2147483648");
    for (int v = -1000; v <= 1000; ++v) ASSERT_EQ(ParseInt(FormatInt(v, buf)), v);
}

TEST_F(Settings, ColoursReadEitherCaseAndWriteLowerCase) {
    const std::pair<const char*, const char*> cases[] = {{"F7F773", "f7f773"},
                                                         {"59D2f7", "59d2f7"},
                                                         {"f7", "f70000"},
                                                         {"zz12xy", "001200"},
                                                         {"", "000000"},
                                                         {"abcdef0123", "abcdef"},
                                                         {"\x81\x40\xff\x80 -", "000000"},
                                                         {"ffffff", "ffffff"}};
    for (const auto& c : cases) EXPECT_EQ(Colour(c.first), c.second) << c.first;
    char t[] = "F7F773";
    ParseColour(0, t);
    EXPECT_FLOAT_EQ(config.COLOR[0][2], 115.0f / 255.0f);
    char text[8];
    for (int v = 0; v < 256; ++v) {
        std::snprintf(text, sizeof text, "%02x%02x%02x", v, 255 - v, (v * 7) & 255);
        ASSERT_EQ(Colour(text), text);
    }
    ParseColour(7, t);  // outside the table: nothing happens
    EXPECT_STREQ(FormatColour(7), "");
}

TEST_F(Settings, ValuesAreClampedToTheDialogRangesAndMoveTheWellBounds) {
    const struct {
        const char* key;
        int in, out;
    } cases[] = {{"RESOLUTION", 7, 4},   {"RESOLUTION", -1, 0}, {"WIDTH", 0, 1},
                 {"WIDTH", 30, 30},      {"HEIGHT", 4, 5},      {"HEIGHT", 99, 30},
                 {"R_SPEED", -19, -18},  {"R_SPEED", 18, 18},   {"D_SPEED", 0, 1},
                 {"D_SPEED", 11, 10},    {"MAYOI", -1, 0},      {"SUKIMA", 12, 10},
                 {"MOUSESENSE", 2, 1},   {"SHOW_NEWS2", -1, 0}, {"WIDTH", INT_MIN, 1},
                 {"HEIGHT", INT_MAX, 30}};
    for (const auto& c : cases) {
        StoreIntSetting(Key(c.key), c.in);
        EXPECT_EQ(*Key(c.key).intValue, c.out) << c.key << " " << c.in;
    }
    EXPECT_EQ(XMAX - XMIN + 1, 1);
    EXPECT_EQ(YMAX - YMIN + 1, 30);
    StoreIntSetting(Key("WIDTH"), 12);
    EXPECT_EQ(XMAX - XMIN + 1, 12);
    ResetSettings();
    EXPECT_EQ(XMAX - XMIN + 1, 10);
    const int widths[] = {640, 800, 1024, 1280, 1600, 1600, 1600, 640};
    const int resolutions[] = {0, 1, 2, 3, 4, 5, 99, -4};  // set directly: still held to the table
    for (int i = 0; i < 8; ++i) {
        config.RESOLUTION = resolutions[i];
        EXPECT_EQ(DisplayWidth(), widths[i]) << resolutions[i];
    }
    EXPECT_EQ(DisplayHeight(), 480);
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
