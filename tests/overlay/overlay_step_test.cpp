// The overlay lines' frame step on the real process-wide state: the news schedule and its
// hand-over to the fetch worker (driven through the worker's own calls), the line texts, the
// motion with its wrap, and the drawing order.
#include "overlay/overlay_step.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "news/news_jobs.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/random.h"

namespace {

class OverlayStep : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettings(), ResetShellState(), ResetNewsStore(), ResetOverlay(); }
    static std::string Text(int slot) { return overlayLines[slot].text; }
};

TEST_F(OverlayStep, DueTogetherSourceTwoIsFetchedFirstAndResultsApplyOnALaterFrame) {
    EXPECT_FALSE(StepNewsLines(0.5f));  // nothing shown: nothing fetched, the countdowns stand
    EXPECT_EQ(TakeNewsJob() * 10 + NewsCountdown[0], -10);
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    std::strcpy(config.NI[1].update, "7");  // below the floor: 30 s
    std::strcpy(NewsHeadlines[0][1], "old second");
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_FLOAT_EQ(NewsCountdown[0] + NewsCountdown[1], 599.75f + 29.75f);
    EXPECT_FALSE(StepNewsLines(0.25f));  // under way: not wanted twice
    ASSERT_EQ(TakeNewsJob(), 1);         // the worker's side: "a", "b", "c" read
    for (int i = 0; i < 3; ++i) newsJobs[1].headlines[i][0] = char('a' + i);
    newsJobs[1].count = 3;
    FinishNewsJob(1, 0);
    ASSERT_EQ(TakeNewsJob(), 0);
    FinishNewsJob(0, 3);              // failed (no host), nothing kept
    EXPECT_EQ(Text(SLOT_NEWS2), "");  // nothing applied before the next frame
    SeedRand(7);
    const int shown = Rand() % 3;
    SeedRand(7);
    NewsCountdown[0] = 0.0f;  // the refresh key while the fetch ran: fetched again at once
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_EQ(NewsCount[1] * 10 + NewsCurrent[1], 30 + shown);
    EXPECT_EQ(Text(SLOT_NEWS2), std::string(1, char('a' + shown)));
    EXPECT_FLOAT_EQ(NewsCountdown[1], 29.75f);  // restarted after the fetch, then the frame's dt
    EXPECT_EQ(Text(SLOT_NEWS1) + std::to_string(NewsCount[0]), kNewsFailureText + std::string("1"));
    EXPECT_STREQ(NewsHeadlines[0][1], "old second");  // slots the fetch did not write are kept
    EXPECT_EQ(TakeNewsJob(), 0);
    const char* texts[] = {"600", "45.5s", "29.9", "", "-5", "nan"};
    const float seconds[] = {600, 45.5f, 30, 30, 30, 30};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(NewsInterval(texts[i]), seconds[i]) << texts[i];
}

TEST_F(OverlayStep, LinesRiseByDepthWrapBelowTheBottomAndDrawByDepth) {
    // depth * H / 480 pixels a second; above -H/12 a line re-enters 53H/48 lower.
    const struct {
        int slot, depth;
        float y, dt;
        int height;
        float after;
    } cases[] = {{SLOT_INFO, 16, 300, 1, 480, 284},        {SLOT_FPS, 39, 300, 1, 480, 261},
                 {SLOT_INFO, 16, 500, 0.3f, 768, 492.32f}, {SLOT_DATE, 16, 300, 1, 480, 300},
                 {SLOT_TIME, 20, -40, 0, 480, -40},        {SLOT_MSG, 20, -40.5f, 0, 480, 489.5f},
                 {SLOT_NEWS2, 20, -41, 0, 480, 489}};  // the date hidden; news 2 has no headline
    for (const auto& c : cases) {
        SetUp();
        OverlayLine& line = overlayLines[c.slot];
        config.SHOW[c.slot] = c.slot != SLOT_DATE;
        line.depth = c.depth;
        line.y = c.y;
        MoveOverlayLines(c.dt, c.height);
        EXPECT_FLOAT_EQ(line.y, c.after) << c.slot << " " << c.y;
        EXPECT_TRUE(line.depth >= 16 && line.depth < 40 && line.x < 512 && !line.text[0]) << c.slot;
    }
    // A news line re-enters at x 0 with its source's next headline, wrapping over the count.
    std::strcpy(NewsHeadlines[0][0], "first");
    NewsCount[0] = 2;
    NewsCurrent[0] = 1;
    config.SHOW[SLOT_NEWS1] = 1;
    overlayLines[SLOT_NEWS1] = OverlayLine{};
    overlayLines[SLOT_NEWS1].y = -40.5f;
    overlayLines[SLOT_NEWS1].x = 33;
    MoveOverlayLines(0.0f, 480);
    EXPECT_EQ(Text(SLOT_NEWS1) + std::to_string(overlayLines[SLOT_NEWS1].x + NewsCurrent[0]),
              "first0");

    const int depths[7] = {20, 16, 20, 39, 16, 25, 20};  // equal depths keep the slot order
    for (int slot = 0; slot < 7; ++slot)
        config.SHOW[slot] = slot != 5, overlayLines[slot].depth = depths[slot];
    int order[kOverlaySlots];
    ASSERT_EQ(OverlayDrawOrder(order), 6);
    EXPECT_EQ(std::vector<int>(order, order + 6), std::vector<int>({1, 4, 0, 2, 6, 3}));
}

TEST_F(OverlayStep, TextLines) {
    for (int slot = 0; slot < SLOT_NEWS1; ++slot) config.SHOW[slot] = 1;
    std::memset(config.TEXT, 'm', 198);
    std::memcpy(config.TEXT + 198, "\x82\xA0tail", 7);  // a two-byte character across the cut
    // The local time by the C library (the clock may turn during the step: read before and after).
    char clock[2][32];
    for (int i = 0; i < 2; ++i) {
        const std::time_t t = std::time(nullptr);
        std::strftime(clock[i], 32, "TIME %H:%M DATE %m/%d", std::localtime(&t));
        if (i == 0) StepTextLines(0.02f);
    }
    const std::string shown = Text(SLOT_TIME) + " " + Text(SLOT_DATE);
    EXPECT_TRUE(shown == clock[0] || shown == clock[1]) << shown;
    EXPECT_EQ(Text(SLOT_INFO) + Text(SLOT_FPS), kVersionText + std::string("50.0 FPS"));
    EXPECT_EQ(Text(SLOT_MSG), std::string(198, 'm'));
}

}  // namespace
