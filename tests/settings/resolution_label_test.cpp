// The resolution trackbar's label names the size the saver will use, width first.
#include <gtest/gtest.h>

#include "settings/dialog_fields.h"
#include "settings/settings.h"

namespace {

TEST(ResolutionLabel, NamesWidthByHeight) {
    ResetSettings();
    config.RESOLUTION = 1;
    char label[kLabelTextSize];
    FormatTrackbarLabel(settingKeys[FindSetting("RESOLUTION")], label);
    EXPECT_STREQ(label, "800x600");
}

}  // namespace
