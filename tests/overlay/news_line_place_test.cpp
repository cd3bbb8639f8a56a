// Both news lines start at the left edge, so a long headline has the whole width.
#include <gtest/gtest.h>

#include "common/random.h"
#include "common/shell_state.h"
#include "overlay/overlay_layout.h"
#include "settings/settings.h"

namespace {

TEST(NewsLinePlace, EachNewsLineStartsAtTheLeftEdgeWhateverIsDrawn) {
    ResetSettings();
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SeedRand(seed);
        RandomizeOverlayLine(SLOT_NEWS1);
        RandomizeOverlayLine(SLOT_NEWS2);
        EXPECT_EQ(overlayLines[SLOT_NEWS1].x, 0) << "seed " << seed;
        EXPECT_EQ(overlayLines[SLOT_NEWS2].x, 0) << "seed " << seed;
    }
}

}  // namespace
