// The dialogs' tables over the settings: value labels, trackbar ranges against the store's own
// ranges, the controls' settings in key order, colour values through the file's conversion.
#include "settings/dialog_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/dialog_ids.h"
#include "settings/settings.h"

namespace {

class DialogFields : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettings(); }
};

const TrackbarField& Trackbar(int id) {
    for (const TrackbarField& f : trackbarFields) {
        if (f.id == id) return f;
    }
    ADD_FAILURE() << "no trackbar " << id;
    return trackbarFields[0];
}

}  // namespace

TEST_F(DialogFields, ValueLabels) {
    struct Case {
        int id;
        int value;
        const char* label;
    } cases[] = {// (-180, 60 and 1024x768 are read from the real dialog by the Win32 tests.)
                 {IDC_R_SPEED, 0, "0"},
                 {IDC_RESOLUTION, 4, "1600x1200"},
                 {IDC_D_SPEED, 10, "10"}};
    for (const Case& c : cases) {
        const TrackbarField& f = Trackbar(c.id);
        *f.value = c.value;
        char label[kLabelTextSize];
        FormatTrackbarLabel(f, label);
        EXPECT_STREQ(label, c.label) << c.id << " at " << c.value;
    }
}

TEST_F(DialogFields, TrackbarRangesAreTheStoresRangesPackedInOneValue) {
    for (const TrackbarField& f : trackbarFields) {
        const SettingKey* key = nullptr;
        for (const SettingKey& k : settingKeys) {
            if (k.type == kIntSetting && k.intValue == f.value) key = &k;
        }
        ASSERT_NE(key, nullptr) << f.id;
        EXPECT_EQ(f.minValue, key->minValue) << key->key;
        EXPECT_EQ(f.maxValue, key->maxValue) << key->key;
    }
    const long r = TrackbarRange(-18, 18);
    EXPECT_EQ(r & 0xFFFF, 0xFFEE);  // -18 as a 16-bit value
    EXPECT_EQ(static_cast<short>(r & 0xFFFF), -18);
    EXPECT_EQ(r >> 16, 18);
    EXPECT_EQ(TrackbarRange(5, 30), (30L << 16) | 5);
}

TEST_F(DialogFields, CheckBoxesAndNewsEditsFollowTheKeyOrder) {
    const char* checks[] = {"MOUSESENSE", "TITLE",     "FIXCOLOR", "SHOW_INFO",  "SHOW_FPS",
                            "SHOW_TIME",  "SHOW_DATE", "SHOW_MSG", "SHOW_NEWS1", "SHOW_NEWS2"};
    for (int i = 0; i < kCheckBoxCount; ++i) {
        EXPECT_EQ(checkBoxFields[i].value, settingKeys[FindSetting(checks[i])].intValue) << i;
    }
    const int firstNews = FindSetting("NI1_HTML");
    const int ids[] = {1040, 1033, 1034, 1035, 1039, 1043, 1041, 1036, 1037, 1038, 1042, 1044};
    for (int i = 0; i < kNewsFieldCount; ++i) {
        EXPECT_EQ(newsFields[i].text, settingKeys[firstNews + i].text) << i;
        EXPECT_EQ(newsFields[i].id, ids[i]) << i;
    }
}

TEST_F(DialogFields, ColourValuesGoThroughTheFilesConversion) {
    EXPECT_EQ(ColourValue(0), 0x73F7F7ul);  // default f7f773: red in the low byte
    for (int i = 0; i < kColourCount; ++i) {
        const std::string before = FormatColour(i);
        SetColourValue(i, ColourValue(i));
        EXPECT_EQ(FormatColour(i), before) << i;
    }
    SetColourValue(2, 0x00804020ul);
    EXPECT_STREQ(FormatColour(2), "204080");
    EXPECT_EQ(ColourValue(2), 0x00804020ul);
}
