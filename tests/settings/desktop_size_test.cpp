// RESOLUTION 5, the desktop's own size, and the fall-back to it when the mode cannot be had.
#include "settings/desktop_size.h"

#include <gtest/gtest.h>

#include "settings/dialog_fields.h"
#include "settings/settings.h"

namespace {

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

TEST_F(DesktopSize, UnknownDesktopSizeGivesTheSmallestMode) {
    SetDesktopSize(0, 1080);
    config.RESOLUTION = 5;
    EXPECT_EQ(DisplayWidth(), 640);
    EXPECT_EQ(DisplayHeight(), 480);
}

TEST_F(DesktopSize, FallBackMakesAFixedRowTheDesktopsSizeAndKeepsTheSetting) {
    config.RESOLUTION = 4;
    SetDesktopFallBack(true);
    EXPECT_EQ(DisplayWidth(), 1920);
    EXPECT_EQ(DisplayHeight(), 1080);
    EXPECT_EQ(config.RESOLUTION, 4);
}

TEST_F(DesktopSize, TrackbarsLastPositionNamesTheDesktopsSize) {
    const SettingKey& field = settingKeys[FindSetting("RESOLUTION")];
    config.RESOLUTION = 5;
    char label[kLabelTextSize];
    FormatTrackbarLabel(field, label);
    EXPECT_STREQ(label, "1920x1080");
}

}  // namespace
