// The portable settings store: key table, integer text, colours, clamping, defaults.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettings(); }
};

const SettingKey& Key(const char* name) {
    int i = FindSetting(name);
    EXPECT_GE(i, 0) << name;
    return settingKeys[i < 0 ? 0 : i];
}

}  // namespace

TEST_F(Settings, ThirtyEightKeysInTheExactOrder) {
    const char* order[] = {"R_SPEED",    "D_SPEED",    "MAYOI",     "SUKIMA",     "RESOLUTION",
                           "MOUSESENSE", "TITLE",      "FIXCOLOR",  "SHOW_INFO",  "SHOW_FPS",
                           "SHOW_TIME",  "SHOW_DATE",  "SHOW_MSG",  "SHOW_NEWS1", "SHOW_NEWS2",
                           "BLOCKFILE",  "WIDTH",      "HEIGHT",    "COLOR1",     "COLOR2",
                           "COLOR3",     "COLOR4",     "COLOR5",    "COLOR6",     "COLOR7",
                           "TEXT",       "NI1_HTML",   "NI1_FILE",  "NI1_IGNORE", "NI1_TAG",
                           "NI1_REJECT", "NI1_UPDATE", "NI2_HTML",  "NI2_FILE",   "NI2_IGNORE",
                           "NI2_TAG",    "NI2_REJECT", "NI2_UPDATE"};
    static_assert(sizeof order / sizeof order[0] == kSettingCount, "38 keys");
    for (int i = 0; i < kSettingCount; ++i) EXPECT_STREQ(settingKeys[i].key, order[i]) << i;
    EXPECT_EQ(FindSetting("NOPE"), -1);
}

TEST_F(Settings, DefaultTextsAndTypes) {
    EXPECT_STREQ(Key("R_SPEED").defaultText, "3");
    EXPECT_STREQ(Key("D_SPEED").defaultText, "5");
    EXPECT_STREQ(Key("RESOLUTION").defaultText, "0");
    EXPECT_STREQ(Key("MOUSESENSE").defaultText, "1");
    EXPECT_STREQ(Key("WIDTH").defaultText, "10");
    EXPECT_STREQ(Key("HEIGHT").defaultText, "20");
    EXPECT_STREQ(Key("SHOW_NEWS2").defaultText, "0");
    EXPECT_STREQ(Key("BLOCKFILE").defaultText, "koraven.x");
    EXPECT_STREQ(Key("COLOR1").defaultText, "f7f773");
    EXPECT_STREQ(Key("COLOR7").defaultText, "f78484");
    EXPECT_STREQ(Key("TEXT").defaultText, "伝言メッセージ");
    EXPECT_STREQ(Key("NI1_HTML").defaultText, "news1.example");
    EXPECT_STREQ(Key("NI1_FILE").defaultText, "http://news1.example/hl/index.html");
    EXPECT_STREQ(Key("NI1_TAG").defaultText, "http://news1.example/hl?a=");
    EXPECT_STREQ(Key("NI2_FILE").defaultText, "http://news2.example/fc/index.html");
    EXPECT_STREQ(Key("NI2_TAG").defaultText, "http://news2.example/fc/");
    EXPECT_STREQ(Key("NI2_IGNORE").defaultText, "<!--- TOP_STORIES_TITLE_TABLE -->");
    EXPECT_STREQ(Key("NI2_REJECT").defaultText, "...");
    EXPECT_STREQ(Key("NI2_UPDATE").defaultText, "700");
    int ints = 0, strings = 0, colours = 0;
    for (const SettingKey& k : settingKeys) {
        if (k.type == kIntSetting) {
            ++ints;
            ASSERT_NE(k.intValue, nullptr) << k.key;
            // The variable starts as the default text says.
            EXPECT_EQ(*k.intValue, ParseInt(k.defaultText)) << k.key;
        } else if (k.type == kStringSetting) {
            ++strings;
            ASSERT_NE(k.text, nullptr) << k.key;
            EXPECT_STREQ(k.text, k.defaultText) << k.key;
        } else {
            ++colours;
            EXPECT_STREQ(FormatColour(k.colour), k.defaultText) << k.key;
        }
    }
    EXPECT_EQ(ints, 17);
    EXPECT_EQ(strings, 14);
    EXPECT_EQ(colours, 7);
}

TEST_F(Settings, ShowFlagsAreIndexedByOverlaySlot) {
    for (int slot = 0; slot < 7; ++slot) {
        EXPECT_EQ(settingKeys[8 + slot].intValue, &config.SHOW[slot]);
    }
}

TEST_F(Settings, NewsRecordsAreContiguous256ByteFields) {
    EXPECT_EQ(sizeof(NewsSource), 6u * 256u);
    const char* base = reinterpret_cast<const char*>(&config.NI[0]);
    EXPECT_EQ(config.NI[0].file - base, 256);
    EXPECT_EQ(config.NI[0].update - base, 5 * 256);
    EXPECT_EQ(reinterpret_cast<const char*>(&config.NI[1]) - base, 6 * 256);
    EXPECT_EQ(Key("NI1_IGNORE").text, config.NI[0].ignore);
    EXPECT_EQ(Key("NI2_UPDATE").text, config.NI[1].update);
}

TEST_F(Settings, ParseIntFollowsAtol) {
    EXPECT_EQ(ParseInt("3"), 3);
    EXPECT_EQ(ParseInt(" 12"), 12);
    EXPECT_EQ(ParseInt("\t\n 12"), 12);
    EXPECT_EQ(ParseInt("12abc"), 12);
    EXPECT_EQ(ParseInt("-5"), -5);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt("- 5"), 0);
    EXPECT_EQ(ParseInt("0x10"), 0);
    EXPECT_EQ(ParseInt("007"), 7);
    EXPECT_EQ(ParseInt("2147483647"), INT_MAX);
    EXPECT_EQ(ParseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseInt("-99999999999999999999999"), INT_MIN);
}

TEST_F(Settings, FormatIntFollowsItoaRadixTen) {
    char buf[12];
    EXPECT_STREQ(FormatInt(-5, buf), "-5");
    EXPECT_STREQ(FormatInt(0, buf), "0");
    EXPECT_STREQ(FormatInt(30, buf), "30");
    EXPECT_STREQ(FormatInt(INT_MAX, buf), "2147483647");
    EXPECT_STREQ(FormatInt(INT_MIN, buf), "-2147483648");
    for (int v = -1000; v <= 1000; ++v) EXPECT_EQ(ParseInt(FormatInt(v, buf)), v);
}

TEST_F(Settings, ColourBothCasesGiveTheSameAndFormatLowerCase) {
    char upper[] = "F7F773";
    ParseColour(0, upper);
    EXPECT_STREQ(upper, "f7f773");  // lower-cased in place
    EXPECT_FLOAT_EQ(config.COLOR[0][0], 247.0f / 255.0f);
    EXPECT_FLOAT_EQ(config.COLOR[0][1], 247.0f / 255.0f);
    EXPECT_FLOAT_EQ(config.COLOR[0][2], 115.0f / 255.0f);
    const float r = config.COLOR[0][0], b = config.COLOR[0][2];
    char lower[] = "f7f773";
    ParseColour(0, lower);
    EXPECT_EQ(config.COLOR[0][0], r);
    EXPECT_EQ(config.COLOR[0][2], b);
    EXPECT_STREQ(FormatColour(0), "f7f773");
    char mixed[] = "59D2f7";
    ParseColour(3, mixed);
    EXPECT_STREQ(FormatColour(3), "59d2f7");
}

TEST_F(Settings, EveryComponentValueRoundTrips) {
    char text[8];
    for (int v = 0; v < 256; ++v) {
        std::snprintf(text, sizeof text, "%02x%02x%02x", v, 255 - v, (v * 7) & 255);
        const std::string want = text;
        ParseColour(6, text);
        EXPECT_EQ(FormatColour(6), want) << v;
    }
    EXPECT_STREQ((ParseColour(1, std::strcpy(text, "000000")), FormatColour(1)), "000000");
    EXPECT_STREQ((ParseColour(1, std::strcpy(text, "ffffff")), FormatColour(1)), "ffffff");
}

TEST_F(Settings, ShortOrNonHexColourTextCountsZero) {
    char a[] = "f7";  // shorter: the missing characters count 0
    ParseColour(0, a);
    EXPECT_STREQ(FormatColour(0), "f70000");
    char b[] = "zz12xy";  // not hexadecimal: 0
    ParseColour(0, b);
    EXPECT_STREQ(FormatColour(0), "001200");
    char c[] = "";
    ParseColour(0, c);
    EXPECT_STREQ(FormatColour(0), "000000");
    char d[] = "abcdef0123";  // only the first six characters count
    ParseColour(0, d);
    EXPECT_STREQ(FormatColour(0), "abcdef");
    char e[] = "\x81\x40\xff\x80 -";
    ParseColour(0, e);
    EXPECT_STREQ(FormatColour(0), "000000");
}

TEST_F(Settings, ColourIndexOutsideTheTableDoesNothing) {
    char t[] = "123456";
    ParseColour(7, t);
    ParseColour(-1, t);
    EXPECT_STREQ(FormatColour(7), "");
    EXPECT_STREQ(FormatColour(0), "f7f773");
}

TEST_F(Settings, ValuesReadAreClampedToTheDialogRanges) {
    struct Case {
        const char* key;
        int in, out;
    } cases[] = {
        {"RESOLUTION", 7, 4},  {"RESOLUTION", -1, 0}, {"RESOLUTION", 3, 3},    {"WIDTH", 0, 1},
        {"WIDTH", 31, 30},     {"WIDTH", 30, 30},     {"HEIGHT", 4, 5},        {"HEIGHT", 99, 30},
        {"R_SPEED", -19, -18}, {"R_SPEED", 19, 18},   {"R_SPEED", -5, -5},     {"D_SPEED", 0, 1},
        {"D_SPEED", 11, 10},   {"MAYOI", -1, 0},      {"MAYOI", 11, 10},       {"SUKIMA", 12, 10},
        {"MOUSESENSE", 2, 1},  {"TITLE", -3, 0},      {"FIXCOLOR", 5, 1},      {"SHOW_INFO", 2, 1},
        {"SHOW_NEWS2", -1, 0}, {"WIDTH", INT_MIN, 1}, {"HEIGHT", INT_MAX, 30},
    };
    for (const Case& c : cases) {
        const SettingKey& k = Key(c.key);
        StoreIntSetting(k, c.in);
        EXPECT_EQ(*k.intValue, c.out) << c.key << " " << c.in;
    }
}

TEST_F(Settings, EmptyValueReadsAsZeroThenClamped) {
    // A key present with an empty value is atol("") = 0; keys whose range holds 0 keep it.
    StoreIntSetting(Key("R_SPEED"), ParseInt(""));
    EXPECT_EQ(config.R_SPEED, 0);
    StoreIntSetting(Key("SHOW_FPS"), ParseInt(""));
    EXPECT_EQ(config.SHOW[SLOT_FPS], 0);
    StoreIntSetting(Key("WIDTH"), ParseInt(""));
    EXPECT_EQ(config.WIDTH, 1);
}

TEST_F(Settings, WellBoundsFollowWidthAndHeight) {
    EXPECT_EQ(XMAX, 19);
    EXPECT_EQ(YMAX, 29);
    StoreIntSetting(Key("WIDTH"), 30);
    StoreIntSetting(Key("HEIGHT"), 30);
    EXPECT_EQ(XMAX, 39);
    EXPECT_EQ(YMAX, 39);
    StoreIntSetting(Key("WIDTH"), 500);
    EXPECT_EQ(XMAX, 39);
    ResetSettings();
    EXPECT_EQ(XMAX, 19);
    EXPECT_EQ(YMAX, 29);
}

TEST_F(Settings, ResolutionTableAndClampedLookup) {
    const int want[5][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    for (int r = 0; r < 5; ++r) {
        config.RESOLUTION = r;
        EXPECT_EQ(DisplayWidth(), want[r][0]);
        EXPECT_EQ(DisplayHeight(), want[r][1]);
    }
    config.RESOLUTION = 99;  // set directly, not through the reader: still held to the table
    EXPECT_EQ(DisplayWidth(), 1600);
    config.RESOLUTION = -4;
    EXPECT_EQ(DisplayWidth(), 640);
}

TEST_F(Settings, TrimPartialSjisDropsALoneLeadByte) {
    char a[] = "ab\x93\x60";  // a whole character stays
    TrimPartialSjis(a);
    EXPECT_STREQ(a, "ab\x93\x60");
    char b[] = "ab\x93";  // a lead byte at the end goes
    TrimPartialSjis(b);
    EXPECT_STREQ(b, "ab");
    char c[] = "\x93\x60\xe0";
    TrimPartialSjis(c);
    EXPECT_STREQ(c, "\x93\x60");
    char d[] = "\xb1\xb2";  // half-width kana are single bytes
    TrimPartialSjis(d);
    EXPECT_STREQ(d, "\xb1\xb2");
}
