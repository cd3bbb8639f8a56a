// Where the black covers go around the saver's monitor, for layouts of monitors met in practice.
#include "display/cover_layout.h"

#include <gtest/gtest.h>

namespace {

struct Layout {
    ScreenRect covers[kMaxCovers];
    int count;
};

Layout Covers(const ScreenRect* monitors, int count, const ScreenRect& saver) {
    Layout l = {};
    l.count = LayOutCovers(monitors, count, saver, l.covers);
    return l;
}

void ExpectRect(const ScreenRect& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

const ScreenRect kPrimary = {0, 0, 1920, 1080};

TEST(CoverLayout, OneMonitorNeedsNoCover) {
    const ScreenRect monitors[] = {kPrimary};
    EXPECT_EQ(Covers(monitors, 1, kPrimary).count, 0);
}

TEST(CoverLayout, MonitorsLeftAndAboveAtNegativeCoordinatesAreCovered) {
    const ScreenRect monitors[] = {{-1280, 200, 0, 1224}, kPrimary, {0, -768, 1024, 0}};
    const Layout l = Covers(monitors, 3, kPrimary);
    ASSERT_EQ(l.count, 2);
    ExpectRect(l.covers[0], -1280, 200, 0, 1224);
    ExpectRect(l.covers[1], 0, -768, 1024, 0);
}

TEST(CoverLayout, SaverOnTheSecondMonitorCoversThePrimary) {
    const ScreenRect second = {1920, 0, 3840, 1080};
    const ScreenRect monitors[] = {kPrimary, second};
    const Layout l = Covers(monitors, 2, second);
    ASSERT_EQ(l.count, 1);
    ExpectRect(l.covers[0], 0, 0, 1920, 1080);
}

TEST(CoverLayout, MonitorAroundTheSaversGetsFourBands) {
    const ScreenRect saver = {100, 100, 200, 200};
    const ScreenRect monitors[] = {{0, 0, 300, 300}};
    const Layout l = Covers(monitors, 1, saver);
    ASSERT_EQ(l.count, 4);
    ExpectRect(l.covers[0], 0, 0, 300, 100);
    ExpectRect(l.covers[1], 0, 200, 300, 300);
    ExpectRect(l.covers[2], 0, 100, 100, 200);
    ExpectRect(l.covers[3], 200, 100, 300, 200);
}

TEST(CoverLayout, EmptyMonitorRectanglesAreSkipped) {
    const ScreenRect monitors[] = {kPrimary, {1920, 0, 1920, 1080}, {3000, 500, 2000, 0}};
    EXPECT_EQ(Covers(monitors, 3, kPrimary).count, 0);
}

TEST(CoverLayout, ManyMonitorsStopAtTheTablesEnd) {
    ScreenRect monitors[kMaxCovers + 8];
    for (int i = 0; i < kMaxCovers + 8; ++i) monitors[i] = {2000 + i * 100, 0, 2100 + i * 100, 100};
    EXPECT_EQ(Covers(monitors, kMaxCovers + 8, kPrimary).count, kMaxCovers);
}

}  // namespace
