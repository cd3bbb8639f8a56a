// The overlay lines' frame step on the real process-wide state: the news schedule and its
// hand-over to the fetch worker (driven here through the worker's own calls), the line texts,
// the motion with its wrap, and the drawing order.
#include "overlay/overlay_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "news/news_jobs.h"
#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/overlay_layout.h"
#include "shell/random.h"

namespace {

class OverlayStepTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettings();
        ResetShellState();
        ResetNewsStore();
        ResetOverlay();
        SeedRand(7);
        LayOutOverlayLines();
        for (int& s : config.SHOW) s = 0;
    }

    // The worker's side of a fetch: take the next wanted job and finish it with these headlines.
    static int Serve(int result, std::initializer_list<const char*> kept) {
        const int source = TakeNewsJob();
        if (source < 0) return source;
        NewsJob& job = newsJobs[source];
        int i = 0;
        for (const char* h : kept) std::snprintf(job.headlines[i++], kHeadlineSize, "%s", h);
        job.count = i;
        FinishNewsJob(source, result);
        return source;
    }
    static std::string Text(int slot) { return overlayLines[slot].text; }
    // The local time formatted by the C library (the clock may turn during a step: read it
    // before and after).
    static std::string Clock(const char* format) {
        const std::time_t t = std::time(nullptr);
        char text[32];
        std::strftime(text, sizeof text, format, std::localtime(&t));
        return text;
    }
};

TEST_F(OverlayStepTest, NothingShownMovesDrawsOrFetchesNothing) {
    const OverlayLine before = overlayLines[SLOT_NEWS1];
    EXPECT_FALSE(StepNewsLines(0.5f));
    StepTextLines(0.5f);
    MoveOverlayLines(0.5f, 480);
    int order[kOverlaySlots];
    EXPECT_EQ(OverlayDrawOrder(order), 0);
    EXPECT_EQ(TakeNewsJob(), -1);
    EXPECT_EQ(overlayLines[SLOT_NEWS1].y, before.y);
    EXPECT_EQ(NewsCountdown[0], 0.0f);  // a hidden line's countdown stands still
    for (int slot = 0; slot < kOverlaySlots; ++slot) EXPECT_STREQ(overlayLines[slot].text, "");
}

TEST_F(OverlayStepTest, DueTogetherSourceTwoIsFetchedFirstAndResultsApplyOnALaterFrame) {
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    std::strcpy(config.NI[0].update, "600");
    std::strcpy(config.NI[1].update, "7");  // below the floor: 30 s
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_FLOAT_EQ(NewsCountdown[0], 599.75f);
    EXPECT_FLOAT_EQ(NewsCountdown[1], 29.75f);
    EXPECT_FALSE(StepNewsLines(0.25f));  // under way: not wanted twice
    EXPECT_EQ(Serve(0, {"a", "b", "c"}), 1);
    EXPECT_EQ(Serve(3, {}), 0);
    EXPECT_EQ(Text(SLOT_NEWS2), "");  // nothing applied before the next frame

    SeedRand(7);
    const int expected = Rand() % 3;
    SeedRand(7);
    EXPECT_FALSE(StepNewsLines(0.25f));
    EXPECT_EQ(NewsCount[1], 3);
    EXPECT_EQ(NewsCurrent[1], expected);
    EXPECT_EQ(Text(SLOT_NEWS2), std::string(1, static_cast<char>('a' + expected)));
    EXPECT_FLOAT_EQ(NewsCountdown[1], 29.75f);  // restarted after the fetch, then the frame's dt
    EXPECT_EQ(Text(SLOT_NEWS1), kNewsFailureText);
    EXPECT_EQ(NewsCount[0], 1);
    EXPECT_FLOAT_EQ(NewsCountdown[0], 599.75f);
}

TEST_F(OverlayStepTest, AFailedFetchLeavesTheSlotsItDidNotWrite) {
    config.SHOW[SLOT_NEWS1] = 1;
    std::strcpy(NewsHeadlines[0][0], "old first");
    std::strcpy(NewsHeadlines[0][1], "old second");
    NewsCount[0] = 2;
    StepNewsLines(0.1f);
    Serve(0, {});  // read, but nothing kept
    StepNewsLines(0.1f);
    EXPECT_EQ(Text(SLOT_NEWS1), kNewsFailureText);
    EXPECT_EQ(NewsCount[0], 1);
    EXPECT_STREQ(NewsHeadlines[0][1], "old second");
    overlayLines[SLOT_NEWS1].y = -1000;  // the next wrap shows the first slot's leftover
    MoveOverlayLines(0.0f, 480);
    EXPECT_EQ(Text(SLOT_NEWS1), "old first");
}

TEST_F(OverlayStepTest, TheRefreshKeyDuringAFetchFetchesAgainOnceItIsApplied) {
    config.SHOW[SLOT_NEWS1] = 1;
    StepNewsLines(0.1f);
    NewsCountdown[0] = 0.0f;  // keypad point while the fetch runs
    EXPECT_FALSE(StepNewsLines(0.1f));
    Serve(0, {"x"});
    EXPECT_TRUE(StepNewsLines(0.1f));
    EXPECT_EQ(Text(SLOT_NEWS1), "x");
    EXPECT_EQ(TakeNewsJob(), 0);
}

TEST_F(OverlayStepTest, IntervalIsTheNumberButNeverBelowThirtySeconds) {
    const struct {
        const char* text;
        float seconds;
    } cases[] = {{"600", 600}, {"45.5s", 45.5f}, {"30", 30}, {"29.9", 30},
                 {"", 30},     {"abc", 30},      {"-5", 30}, {"nan", 30}};
    for (const auto& c : cases) EXPECT_EQ(NewsInterval(c.text), c.seconds) << c.text;
}

TEST_F(OverlayStepTest, LinesRiseByDepthAndWrapBelowTheBottomEdge) {
    for (int slot = 0; slot <= SLOT_NEWS2; ++slot) config.SHOW[slot] = 1;
    config.SHOW[SLOT_DATE] = 0;
    overlayLines[SLOT_INFO].depth = 16;
    overlayLines[SLOT_FPS].depth = 39;
    for (int slot = 0; slot <= SLOT_NEWS2; ++slot) overlayLines[slot].y = 300;
    for (int frame = 0; frame < 60; ++frame) MoveOverlayLines(1.0f / 60, 480);
    EXPECT_NEAR(overlayLines[SLOT_INFO].y, 300 - 16, 0.01);
    EXPECT_NEAR(overlayLines[SLOT_FPS].y, 300 - 39, 0.01);
    EXPECT_EQ(overlayLines[SLOT_DATE].y, 300);  // a hidden line keeps its place

    // The same step at 1024 x 768: H / 480 pixels per second per unit of depth, single
    // precision with the products in order.
    config.RESOLUTION = 2;
    overlayLines[SLOT_INFO].y = 500;
    MoveOverlayLines(0.3f, 768);
    EXPECT_EQ(overlayLines[SLOT_INFO].y, 500.0f - 16 * 768 * 0.3f * 0.0020833334f);

    // Wrap: top edge above -H/12 (-40 at H = 480), back at about 53H/48 lower.
    config.RESOLUTION = 0;
    std::strcpy(NewsHeadlines[0][0], "first");
    std::strcpy(NewsHeadlines[0][1], "second");
    NewsCount[0] = 2;
    NewsCurrent[0] = 1;
    overlayLines[SLOT_TIME].y = -40.0f;
    overlayLines[SLOT_MSG].y = -40.5f;
    overlayLines[SLOT_NEWS1].y = -40.5f;
    overlayLines[SLOT_NEWS1].x = 33;
    overlayLines[SLOT_NEWS2].y = -41.0f;  // no headline yet: it only moves
    MoveOverlayLines(0.0f, 480);
    EXPECT_EQ(overlayLines[SLOT_TIME].y, -40.0f);
    EXPECT_NEAR(overlayLines[SLOT_MSG].y, 489.5, 0.01);
    EXPECT_GE(overlayLines[SLOT_MSG].depth, 16);
    EXPECT_LE(overlayLines[SLOT_MSG].depth, 39);
    EXPECT_EQ(overlayLines[SLOT_NEWS1].x, 0);
    EXPECT_EQ(NewsCurrent[0], 0);
    EXPECT_EQ(Text(SLOT_NEWS1), "first");
    EXPECT_NEAR(overlayLines[SLOT_NEWS2].y, 489, 0.01);
    EXPECT_EQ(Text(SLOT_NEWS2), "");
}

TEST_F(OverlayStepTest, DrawOrderIsByDepthWithEqualDepthsInSlotOrder) {
    const int depths[7] = {20, 16, 20, 39, 16, 25, 20};
    for (int slot = 0; slot < 7; ++slot) {
        config.SHOW[slot] = 1;
        overlayLines[slot].depth = depths[slot];
    }
    config.SHOW[5] = 0;
    int order[kOverlaySlots];
    ASSERT_EQ(OverlayDrawOrder(order), 6);
    const int expected[6] = {1, 4, 0, 2, 6, 3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(order[i], expected[i]) << i;
}

TEST_F(OverlayStepTest, TextLinesAndTheirFrameCounters) {
    for (int slot = 0; slot < SLOT_NEWS1; ++slot) config.SHOW[slot] = 1;
    std::memset(config.TEXT, 'm', 198);
    std::memcpy(config.TEXT + 198, "\x82\xA0tail", 7);  // a two-byte character across the cut
    const std::string before = Clock("TIME %H:%M"), dayBefore = Clock("DATE %m/%d");
    StepTextLines(0.02f);
    EXPECT_TRUE(Text(SLOT_TIME) == before || Text(SLOT_TIME) == Clock("TIME %H:%M"));
    EXPECT_TRUE(Text(SLOT_DATE) == dayBefore || Text(SLOT_DATE) == Clock("DATE %m/%d"));
    EXPECT_EQ(Text(SLOT_INFO), kVersionText);
    EXPECT_EQ(Text(SLOT_FPS), "50.0 FPS");
    EXPECT_EQ(Text(SLOT_MSG), std::string(198, 'm'));

    // The rate is one frame's, sampled every 99 frames; the message is read again after 54,321.
    std::strcpy(config.TEXT, "new");
    for (int frame = 1; frame < 99; ++frame) StepTextLines(0.5f);
    EXPECT_EQ(Text(SLOT_FPS), "50.0 FPS");
    StepTextLines(0.0f);
    EXPECT_EQ(Text(SLOT_FPS), "30.0 FPS");
    EXPECT_EQ(Text(SLOT_MSG), std::string(198, 'm'));
    for (int frame = 100; frame < 54321; ++frame) StepTextLines(0.5f);
    EXPECT_EQ(Text(SLOT_MSG), std::string(198, 'm'));
    StepTextLines(0.5f);
    EXPECT_EQ(Text(SLOT_MSG), "new");
}

}  // namespace
