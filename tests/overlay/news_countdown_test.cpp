// A source whose fetch became wanted waits its whole interval before the next one.
#include <gtest/gtest.h>

#include "common/sjis.h"
#include "overlay/news_lines.h"
#include "overlay/overlay_step.h"
#include "shell/process_state.h"

namespace {

TEST(NewsCountdown, AWantedFetchRestartsTheCountdownFromTheInterval) {
    ResetProcessState();
    config.SHOW[SLOT_NEWS1] = 1;
    CopyBounded(config.NI[0].update, kSettingSize, "600");
    ASSERT_TRUE(StepNewsLines(0.25f));
    EXPECT_FLOAT_EQ(NewsCountdown[0], 599.75f);
}

}  // namespace
