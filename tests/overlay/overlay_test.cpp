// The overlay lines on the real process-wide state: first layout, news schedule, motion and
// drawing order; the title's line breaking and the text's blending.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/random.h"
#include "common/sjis.h"
#include "news/news_jobs.h"
#include "overlay/news_lines.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_step.h"
#include "overlay/text_blend.h"
#include "overlay/text_layout.h"
#include "settings/settings.h"
#include "shell/process_state.h"

namespace {

class Overlay : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    static std::string Text(int slot) { return overlayLines[slot].text; }
    // Only `slot` shown, at depth 16 (39 for the frame-rate line) and height y.
    static OverlayLine& ShowOnly(int slot, float y) {
        for (int& shown : config.SHOW) shown = 0;
        config.SHOW[slot] = 1;
        overlayLines[slot] = OverlayLine{{}, slot == SLOT_FPS ? 39 : 16, 33, y};
        return overlayLines[slot];
    }
    static std::string LocalTime(const char* format) {
        const std::time_t t = std::time(nullptr);
        char text[32];
        std::strftime(text, sizeof text, format, std::localtime(&t));
        return text;
    }
    // The text of the clock line `slot` after its first step; `now` := the local time in
    // `format` then (stepped again when the minute turned meanwhile).
    static std::string StepClock(int slot, const char* format, std::string& now) {
        do {
            now = LocalTime(format);
            ResetOverlay();
            ShowOnly(slot, 100);
            StepTextLines(0.01f);
        } while (LocalTime(format) != now);
        return Text(slot);
    }
};

TEST_F(Overlay, FirstLayoutStacksTheLinesFortyEightPixelsApartFromFifty) {
    LayOutOverlayLines();
    EXPECT_EQ(overlayLines[0].y, 50.0f);
    EXPECT_EQ(overlayLines[3].y, 194.0f);
}

TEST_F(Overlay, TheTimeLineShowsHoursThenMinutes) {
    // Zones an hour apart: in one of them at least the hour and the minute differ.
    for (const char* zone : {"UTC0", "ZZZ-1"}) {
        setenv("TZ", zone, 1);
        tzset();
        std::string now;
        const std::string shown = StepClock(SLOT_TIME, "TIME %H:%M", now);
        EXPECT_EQ(shown, now) << zone;
    }
}

TEST_F(Overlay, TheDateLineShowsMonthThenDay) {
    std::string today;
    const std::string shown = StepClock(SLOT_DATE, "DATE %m/%d", today);
    EXPECT_EQ(shown, today);
}

TEST_F(Overlay, DueTogetherSourceTwoIsFetchedFirst) {
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_FALSE(StepNewsLines(0.25f));  // under way: not wanted twice
    EXPECT_EQ(TakeNewsJob(), 1);
    EXPECT_EQ(TakeNewsJob(), 0);
}

TEST_F(Overlay, UpdateIntervalIsTheNumberButNeverBelowThirtySeconds) {
    EXPECT_EQ(NewsInterval("45"), 45.0f);
    for (const char* text : {"7", "29.9", "-5", "nan", ""})
        EXPECT_EQ(NewsInterval(text), 30.0f) << '"' << text << '"';
}

TEST_F(Overlay, AWantedFetchRestartsTheCountdownFromTheInterval) {
    config.SHOW[SLOT_NEWS1] = 1;
    CopyBounded(config.NI[0].update, kSettingSize, "600");
    ASSERT_TRUE(StepNewsLines(0.25f));
    EXPECT_FLOAT_EQ(NewsCountdown[0], 599.75f);
}

TEST_F(Overlay, LinesRiseByDepthTimesHeightOver480PixelsASecond) {
    OverlayLine& near = ShowOnly(SLOT_INFO, 300);
    MoveOverlayLines(1, 480);
    EXPECT_FLOAT_EQ(near.y, 284);
    OverlayLine& far = ShowOnly(SLOT_FPS, 300);
    MoveOverlayLines(1, 480);
    EXPECT_FLOAT_EQ(far.y, 261);
    OverlayLine& tall = ShowOnly(SLOT_INFO, 500);
    MoveOverlayLines(0.3f, 768);
    EXPECT_FLOAT_EQ(tall.y, 492.32f);
}

TEST_F(Overlay, ALinePastATwelfthAboveTheTopReentersBelowTheBottom) {
    OverlayLine& at = ShowOnly(SLOT_TIME, -40);
    MoveOverlayLines(0, 480);
    EXPECT_EQ(at.y, -40);
    OverlayLine& past = ShowOnly(SLOT_MSG, -40.5f);
    MoveOverlayLines(0, 480);
    EXPECT_FLOAT_EQ(past.y, 489.5f);
    EXPECT_GE(past.depth, 16);
    EXPECT_LE(past.depth, 39);
}

TEST_F(Overlay, AWrappedNewsLineShowsItsSourcesNextHeadlineAtTheLeftEdge) {
    std::strcpy(NewsHeadlines[0][0], "first");
    NewsCount[0] = 2;
    NewsCurrent[0] = 1;
    OverlayLine& line = ShowOnly(SLOT_NEWS1, -41);
    MoveOverlayLines(0, 480);
    EXPECT_EQ(Text(SLOT_NEWS1), "first");
    EXPECT_EQ(line.x, 0);
}

// Both news lines start at the left edge, so a long headline has the whole width.
TEST_F(Overlay, EachNewsLineStartsAtTheLeftEdgeWhateverIsDrawn) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SeedRand(seed);
        RandomizeOverlayLine(SLOT_NEWS1);
        RandomizeOverlayLine(SLOT_NEWS2);
        EXPECT_EQ(overlayLines[SLOT_NEWS1].x, 0) << "seed " << seed;
        EXPECT_EQ(overlayLines[SLOT_NEWS2].x, 0) << "seed " << seed;
    }
}

TEST_F(Overlay, ShownLinesAreDrawnFarthestLastEqualDepthsInSlotOrder) {
    const int depths[kShownLines] = {20, 16, 20, 39, 16, 25, 20};
    for (int slot = 0; slot < kShownLines; ++slot) {
        config.SHOW[slot] = slot != SLOT_NEWS1;
        overlayLines[slot].depth = depths[slot];
    }
    int order[kOverlaySlots];
    ASSERT_EQ(OverlayDrawOrder(order), 6);
    EXPECT_EQ(std::vector<int>(order, order + 6), std::vector<int>({1, 4, 0, 2, 6, 3}));
}

// A chunk blended: pen x and y, width and height.
using Chunk = std::array<int, 4>;

// Single-byte characters 9 wide (rounded to 10), double-byte ones 20, all 48 high but "■", 61
// high. Records the chunks blended.
struct Recorder {
    std::vector<Chunk> chunks;

    static TextExtent Draw(void*, int, const char* bytes, int length) {
        return {length == 2 ? 20 : 9, std::string(bytes, length) == "■" ? 61 : 48};
    }
    static void Blend(void* ctx, int penX, int penY, int w, int h, bool) {
        static_cast<Recorder*>(ctx)->chunks.push_back({penX, penY, w, h});
    }
    // A line from x 100 to 160 holds five double-byte characters (100 buffer pixels).
    TextBox LayOut(const char* text, int bottom, int bufferWidth) {
        return LayOutText({100, 50, 160, bottom}, 48, bufferWidth, text,
                          TextLayoutOps{this, Draw, Blend});
    }
};

TEST_F(Overlay, FailedFetchAfterARejectedCandidateShowsOnlyTheFailureText) {
    config.SHOW[SLOT_NEWS1] = 1;
    EXPECT_TRUE(StepNewsLines(0.25f));
    ASSERT_EQ(TakeNewsJob(), 0);
    // The fetch wrote a candidate that the reject text removed, then failed.
    std::strcpy(newsJobs[0].headlines[0], "[PR] rejected");
    FinishNewsJob(0, 3);
    StepNewsLines(0.25f);
    EXPECT_EQ(Text(SLOT_NEWS1), kNewsFailureText);
    // Risen past the top, the line re-enters with its source's next headline.
    overlayLines[SLOT_NEWS1].y = -100.0f;
    MoveOverlayLines(0.0f, 480);
    EXPECT_EQ(Text(SLOT_NEWS1), kNewsFailureText);
}

TEST(LayOutText, LinesBreakAtTheEdgeExceptBeforeAFullStop) {
    const struct {
        const char* text;
        int bottom, bufferWidth;
        std::vector<Chunk> chunks;
    } rows[] = {
        {"あいうえお。か", 400, 1000, {{100, 50, 120, 48}, {100, 74, 20, 48}}},
        {"あいうえおa.か", 400, 1000, {{100, 50, 120, 48}, {100, 74, 20, 48}}},
        {"あい\nう\n\nえ",
         400,
         1000,
         {{100, 50, 40, 48}, {100, 74, 20, 48}, {100, 98, 0, 48}, {100, 122, 20, 48}}},
        {"あいうえ", 400, 50, {{100, 50, 40, 48}, {120, 50, 40, 48}}},          // the buffer splits
        {"あ■いうえおか", 400, 1000, {{100, 50, 100, 62}, {100, 81, 40, 48}}},  // the tallest
        {"あいうえおかきくけこさし", 80, 1000, {{100, 50, 100, 48}, {100, 74, 100, 12}}}};
    for (const auto& row : rows) {
        Recorder r;
        r.LayOut(row.text, row.bottom, row.bufferWidth);
        EXPECT_EQ(r.chunks, row.chunks) << row.text;
    }
}

TEST(LayOutText, NearBlackTextTurnsSixteenGreySoTheKeyDoesNotHideIt) {
    for (uint32_t c : {0x080808u, 0u, 0x0F0F0Fu}) EXPECT_EQ(TextColorForSprite(c), 0x101010u) << c;
    for (uint32_t c : {0x100808u, 0xFFFFFFu}) EXPECT_EQ(TextColorForSprite(c), c);
}

// w x h pixels, rows longer than their pixels, and no more memory: the sanitizer sees overruns.
struct Picture {
    int bytes;
    std::vector<uint8_t> memory;
    PixelPlane plane;

    Picture(int w, int h, int bpp, uint32_t fill = 0)
        : bytes(bpp / 8), memory((w * bytes + 6) * h), plane{memory.data(), w * bytes + 6, w, h} {
        for (int i = 0; i < w * h; ++i) Set(i % w, i / w, fill);
    }
    uint8_t* At(int x, int y) { return &memory[y * plane.pitch + x * bytes]; }
    void Set(int x, int y, uint32_t v) { std::memcpy(At(x, y), &v, bytes); }
    uint32_t Get(int x, int y) {
        uint32_t v = 0;
        return *static_cast<uint32_t*>(std::memcpy(&v, At(x, y), bytes));
    }
};

const TextPixelLayout k565{16, {11, 6, 0}, 0xFFFF}, k888{32, {16, 8, 0}, 0xFFFFFF},
    k24{24, {0, 0, 0}, 0};

// Pixel (x, y) of a 5 x 4 target blended over a 4 x 5 `back` from 8 x 8 squares {x, y, size, v}.
uint32_t Blended(const TextPixelLayout& l, std::vector<std::vector<uint32_t>> squares,
                 uint32_t back, int x, int y, TextChunkPlacement c = {0, 0, 0, 0, 4, 4}) {
    Picture src(8, 8, l.bitsPerPixel, l.bitsPerPixel == 32 ? 0xFF000000 : 0),
        bg(4, 5, l.bitsPerPixel, back), dst(5, 4, l.bitsPerPixel);
    for (const auto& q : squares)
        for (uint32_t i = 0; i < q[2] * q[2]; ++i) src.Set(q[0] + i % q[2], q[1] + i / q[2], q[3]);
    BlendTextPixels(src.plane, dst.plane, bg.plane, l, c);
    return dst.Get(x, y);
}

const auto Rgb565 = [](uint32_t r, uint32_t g, uint32_t b) { return r << 11 | g << 6 | b; };

TEST(BlendTextPixels, EachPixelIsEighthsOfItsSamplesOverTheBackground) {
    // One sample at the centre of (1, 1): (31 + 31) / 8 over black; no sample leaves a pixel.
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 1, 1), Rgb565(7, 7, 7));
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 2, 2), 0u);
    // Nine samples leave the background out: (9 s + 31) / 8, at most 31.
    EXPECT_EQ(Blended(k565, {{1, 1, 3, Rgb565(31, 10, 5)}}, 0xFFFF, 1, 1), Rgb565(31, 15, 9));
    // (0, 0) has no left column and no upper row: four samples, the background weighs 4
    // (red (4 * 31 + 31) / 8); (1, 0) sees only two of them, the background weighs 6.
    const uint32_t red = Rgb565(31, 0, 0), back = Rgb565(0, 16, 31);
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 0, 0), Rgb565(19, 11, 19));
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 1, 0), Rgb565(11, 15, 27));
    // Three bytes, a channel each in memory order: (255 + 255 + 6 * 128) / 8, ...
    EXPECT_EQ(Blended(k24, {{2, 2, 1, 0xFF}, {3, 3, 1, 0x010000}}, 0x80, 1, 1), 0x201F9Fu);
}

// A source starting at column 2 (after clipping): x = 0 still leaves out column 1.
TEST(BlendTextPixels, AClippedSourceStartsAtItsOwnColumn) {
    for (int x : {0, 1})
        EXPECT_EQ(
            Blended(k565, {{1, 0, 1, 0xFFFF}, {3, 0, 1, 0xFFFF}}, 0, x, 0, {0, 0, 2, 0, 3, 2}),
            Rgb565(7, 7, 7));
}

// Placements reaching outside any of the three pictures: the sanitizer sees any overrun.
TEST(BlendTextPixels, NoPlacementReadsOrWritesOutsideThePictures) {
    const int placements[][6] = {
        {0, 0, 0, 0, 100, 100}, {3, 3, 0, 0, 10, 10}, {-5, -5, 0, 0, 10, 10}, {0, 0, 6, 6, 10, 10},
        {0, 0, -4, -4, 4, 4},   {2, 1, 100, 0, 2, 2}, {40, 40, 0, 0, 2, 2}};
    for (const TextPixelLayout& l : {k565, k888, k24})
        for (const auto& p : placements)
            Blended(l, {{0, 0, 8, ~0u}}, 0, 0, 0, {p[0], p[1], p[2], p[3], p[4], p[5]});
}

std::array<int, 6> Fields(const TextChunkPlacement& c) {
    return {c.dx, c.dy, c.sx, c.sy, c.width, c.height};
}

// Clipping to 640 x 480; two source pixels to each pixel drawn.
TEST(ClipTextChunk, EdgesShortenTheChunkAndALeftOrTopCutMovesTheSourceByTwice) {
    const struct {
        const char* name;
        TextChunkPlacement chunk;
        bool drawn;
        TextChunkPlacement clipped;
    } rows[] = {{"bottom right", {630, 470, 0, 0, 20, 20}, true, {630, 470, 0, 0, 10, 10}},
                {"top left", {-10, -3, 0, 0, 30, 30}, true, {0, 0, 20, 6, 20, 27}},
                {"beyond the right edge", {650, 0, 0, 0, 10, 10}, false, {}},
                {"beyond the left edge", {-20, 0, 0, 0, 10, 10}, false, {}}};
    for (const auto& row : rows) {
        TextChunkPlacement c = row.chunk;
        EXPECT_EQ(ClipTextChunk(TextClip{0, 0, 640, 480}, c), row.drawn) << row.name;
        if (row.drawn) {
            EXPECT_EQ(Fields(c), Fields(row.clipped)) << row.name;
        }
    }
}

}  // namespace
