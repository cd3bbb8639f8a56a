// The overlay's frame step on the real process-wide state, the title's line breaking and blending.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "news/news_jobs.h"
#include "overlay/news_lines.h"
#include "overlay/overlay_step.h"
#include "overlay/text_blend.h"
#include "overlay/text_layout.h"
#include "settings/settings.h"
#include "common/random.h"

namespace {

class OverlayStep : public ::testing::Test {
  protected:
    void SetUp() override { ResetSettings(), ResetShellState(), ResetNewsStore(), ResetOverlay(); }
    static std::string Text(int slot) { return overlayLines[slot].text; }
};

TEST_F(OverlayStep, NewsFetchedInTurnAndAppliedLaterLinesRiseWrapAndDrawByDepth) {
    // Due together, source 2 is fetched first; results apply on a later frame.
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    std::strcpy(config.NI[1].update, "7");  // below the floor: 30 s
    std::strcpy(NewsHeadlines[0][1], "old second");
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_FLOAT_EQ(NewsCountdown[0] + NewsCountdown[1], 599.75f + 29.75f);
    EXPECT_FALSE(StepNewsLines(0.25f));  // under way: not wanted twice
    ASSERT_EQ(TakeNewsJob(), 1);         // the worker's side: "a", "b", "c" read
    for (int i = 0; i < 3; ++i) newsJobs[1].headlines[i][0] = char('a' + i);
    newsJobs[1].count = 3, FinishNewsJob(1, 0);
    ASSERT_EQ(TakeNewsJob(), 0);
    FinishNewsJob(0, 3);              // failed (no host), nothing kept
    EXPECT_EQ(Text(SLOT_NEWS2), "");  // nothing applied before the next frame
    SeedRand(7);                      // the next Rand() is 61: "b" shown first
    NewsCountdown[0] = 0.0f;          // the refresh key while the fetch ran: fetched again at once
    EXPECT_TRUE(StepNewsLines(0.25f));
    EXPECT_EQ(Text(SLOT_NEWS2) + std::to_string(NewsCount[1] * 10 + NewsCurrent[1]), "b31");
    EXPECT_FLOAT_EQ(NewsCountdown[1], 29.75f);  // restarted after the fetch, then the frame's dt
    EXPECT_EQ(Text(SLOT_NEWS1) + std::to_string(NewsCount[0]), kNewsFailureText + std::string("1"));
    EXPECT_STREQ(NewsHeadlines[0][1], "old second");  // slots the fetch did not write are kept
    EXPECT_EQ(TakeNewsJob(), 0);
    for (const char* text : {"29.9", "-5", "nan"}) EXPECT_EQ(NewsInterval(text), 30.0f) << text;
    SetUp();
    // Up depth * H / 480 pixels a second; above -H/12 back 53H/48 lower with a new depth and x, a
    // news line at x 0 with its source's next headline (none before the first fetch).
    const int slots[] = {SLOT_INFO, SLOT_FPS, SLOT_INFO,  SLOT_DATE,
                         SLOT_TIME, SLOT_MSG, SLOT_NEWS1, SLOT_NEWS2};
    const float ys[] = {300, 300, 500, 300, -40, -40.5f, -40.5f, -41},
                dts[] = {1, 1, 0.3f, 1, 0, 0, 0, 0},
                after[] = {284, 261, 492.32f, 300, -40, 489.5f, 489.5f, 489};  // the date hidden
    std::strcpy(NewsHeadlines[0][0], "first");
    NewsCount[0] = 2, NewsCurrent[0] = 1;
    for (int i = 0; i < 8; ++i) {
        const int slot = slots[i];
        for (int& shown : config.SHOW) shown = 0;
        OverlayLine& line = overlayLines[slot];
        config.SHOW[slot] = slot != SLOT_DATE;
        line = OverlayLine{{}, slot == SLOT_FPS ? 39 : 16, 33, ys[i]};
        MoveOverlayLines(dts[i], i == 2 ? 768 : 480);
        EXPECT_FLOAT_EQ(line.y, after[i]) << i;
        EXPECT_EQ(Text(slot), slot == SLOT_NEWS1 ? "first" : "") << i;
        EXPECT_TRUE(line.depth >= 16 && line.depth < 40 && (slot < SLOT_NEWS1 || line.x == 0));
    }
    const int depths[7] = {20, 16, 20, 39, 16, 25, 20};  // equal depths keep the slot order
    for (int slot = 0; slot < 7; ++slot)
        config.SHOW[slot] = slot != 5, overlayLines[slot].depth = depths[slot];
    int order[kOverlaySlots];
    ASSERT_EQ(OverlayDrawOrder(order), 6);
    EXPECT_EQ(std::vector<int>(order, order + 6), std::vector<int>({1, 4, 0, 2, 6, 3}));
    // The text lines take the C library's local time (read before and after the step) and the rate.
    char clock[2][32];
    for (int i = 0; i < 2; ++i) {
        const std::time_t t = std::time(nullptr);
        std::strftime(clock[i], 32, "TIME %H:%M DATE %m/%d 50.0 FPS", std::localtime(&t));
        if (i == 0) StepTextLines(0.02f);
    }
    const std::string shown = Text(SLOT_TIME) + " " + Text(SLOT_DATE) + " " + Text(SLOT_FPS);
    EXPECT_TRUE(shown == clock[0] || shown == clock[1]) << shown;
}

// Single-byte characters 9 wide (rounded to 10), double-byte ones 20, all `height` high; "■" is
// 61 high, "＿" 500 wide. Records the draws' x and the chunks as "penX,penY WxH".
struct Recorder {
    int height = 48;
    std::vector<int> draws;
    std::string chunks;

    static TextExtent Draw(void* ctx, int x, const char* bytes, int length) {
        auto* r = static_cast<Recorder*>(ctx);
        const std::string ch(bytes, length);
        r->draws.push_back(x);
        return {ch == "＿" ? 500 : length == 2 ? 20 : 9, ch == "■" ? 61 : r->height};
    }
    static void Blend(void* ctx, int penX, int penY, int w, int h, bool) {
        char chunk[64];
        std::snprintf(chunk, sizeof chunk, " %d,%d %dx%d", penX, penY, w, h);
        static_cast<Recorder*>(ctx)->chunks += chunk;
    }
    TextBox LayOut(const char* text, TextBox box = {100, 50, 160, 400}, int bufferWidth = 1000,
                   int fontHeight = 48) {
        return LayOutText(box, fontHeight, bufferWidth, text, TextLayoutOps{this, Draw, Blend});
    }
};

// A line from x 100 to 160 holds five double-byte characters (100 buffer pixels).
TEST_F(OverlayStep, FailedFetchAfterARejectedCandidateShowsOnlyTheFailureText) {
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

TEST(LayOutText, LinesBreakAtTheEdgeExceptBeforeAFullStopAndDarkTextTurnsGrey) {
    const struct {
        const char* text;
        int bottom, bufferWidth;
        const char* chunks;
    } cases[] = {
        {"あいうえお。か", 400, 1000, " 100,50 120x48 100,74 20x48"},  // a full stop stays
        {"あいうえおかき", 400, 1000, " 100,50 100x48 100,74 40x48"},  // others go on
        {"あい\nう\n\nえ", 400, 1000, " 100,50 40x48 100,74 20x48 100,98 0x48 100,122 20x48"},
        {"\x82\x81\x42ソ\x82", 400, 1000, " 100,50 50x48"},   // 82 81 42 is no "。"; a lone lead
        {"あいうえ", 400, 50, " 100,50 40x48 120,50 40x48"},  // the buffer width splits
        {"あ■いうえおか", 400, 1000, " 100,50 100x62 100,81 40x48"},  // the tallest: step
        {"あいうえおかきくけこさし", 80, 1000, " 100,50 100x48 100,74 100x12"}};  // cut
    for (const auto& c : cases) {
        Recorder r;
        r.LayOut(c.text, {100, 50, 160, c.bottom}, c.bufferWidth);
        EXPECT_EQ(r.chunks, c.chunks) << c.text;
    }
    Recorder once;  // a character carried over is drawn again at x 0
    const TextBox covered = once.LayOut("あいうえおかき");
    EXPECT_EQ(std::vector<int>({covered.right, covered.bottom, once.draws[5], once.draws[6]}),
              std::vector<int>({150, 98, 100, 0}));
    // A character wider than the line is drawn once, not retried forever (even at height 0).
    Recorder wide{0, {}, {}};
    wide.LayOut("＿あ", {100, 50, 160, 400}, 1000, 0);
    EXPECT_TRUE(wide.chunks.substr(0, 11) == " 100,50 500" && wide.draws.size() <= 3)
        << wide.chunks;
    // The characters that may not start a line.
    for (const char* p = "、。，．・…‥”’（」　"; *p; p += 2) EXPECT_TRUE(LineStartForbidden(p, 2));
    for (const char* p = "あ）「ソ"; *p; p += 2) EXPECT_FALSE(LineStartForbidden(p, 2)) << p;
    for (char c : std::string(",. A\x81")) EXPECT_EQ(LineStartForbidden(&c, 1), c < '0' && c > 0);
    // Near-black text would vanish in a sprite keyed on black: it becomes 16 grey.
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

TEST(BlendTextPixels, EighthsOfTheSamplesOverTheBackgroundNeverOutsideThePicturesAndClipping) {
    const auto Rgb565 = [](uint32_t r, uint32_t g, uint32_t b) { return r << 11 | g << 6 | b; };
    // One sample at the centre of (1, 1): (31 + 31) / 8 over black; no sample leaves a pixel.
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 1, 1), Rgb565(7, 7, 7));
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 2, 2), 0u);
    // Nine samples leave the background out: (9 s + 31) / 8, at most 31.
    EXPECT_EQ(Blended(k565, {{1, 1, 3, Rgb565(31, 10, 5)}}, 0xFFFF, 1, 1), Rgb565(31, 15, 9));
    // (0, 0) has no left column and no upper row: four samples, the background weighs 4;
    // (1, 0) sees only two of them, the background weighs 6.
    const uint32_t red = Rgb565(31, 0, 0), back = Rgb565(0, 16, 31);
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 0, 0), Rgb565(155 / 8, 95 / 8, 155 / 8));
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 1, 0), Rgb565(93 / 8, 127 / 8, 217 / 8));
    // The unused byte of X8R8G8B8 set (everywhere here) is still black: one sample, not nine.
    EXPECT_EQ(Blended(k888, {{2, 2, 1, ~0u}}, 0xFF000000, 1, 1), 0x3F3F3Fu);
    // Three bytes, a channel each in memory order: (255 + 255 + 6 * 128) / 8, ...
    EXPECT_EQ(Blended(k24, {{2, 2, 1, 0xFF}, {3, 3, 1, 0x010000}}, 0x80, 1, 1), 0x201F9Fu);
    // A source starting at column 2 (after clipping): x = 0 still leaves out column 1.
    for (int x : {0, 1})
        EXPECT_EQ(
            Blended(k565, {{1, 0, 1, 0xFFFF}, {3, 0, 1, 0xFFFF}}, 0, x, 0, {0, 0, 2, 0, 3, 2}),
            Rgb565(7, 7, 7));
    // Placements reaching outside any of the three pictures.
    const int placements[][6] = {
        {0, 0, 0, 0, 100, 100}, {3, 3, 0, 0, 10, 10}, {-5, -5, 0, 0, 10, 10}, {0, 0, 6, 6, 10, 10},
        {0, 0, -4, -4, 4, 4},   {2, 1, 100, 0, 2, 2}, {40, 40, 0, 0, 2, 2}};
    for (const TextPixelLayout& l : {k565, k888, k24})
        for (const auto& p : placements)
            Blended(l, {{0, 0, 8, ~0u}}, 0, 0, 0, {p[0], p[1], p[2], p[3], p[4], p[5]});
    // Clipping to 640 x 480: a chunk, then what is left (none: not drawn), two source pixels each.
    const std::vector<int> cases[] = {{630, 470, 0, 0, 20, 20, 630, 470, 0, 0, 10, 10},
                                      {-10, -3, 0, 0, 30, 30, 0, 0, 20, 6, 20, 27},
                                      {640, 0, 0, 0, 10, 10, 640, 0, 0, 0, 0, 10},
                                      {650, 0, 0, 0, 10, 10},
                                      {-20, 0, 0, 0, 10, 10}};
    for (const auto& k : cases) {
        TextChunkPlacement c{k[0], k[1], k[2], k[3], k[4], k[5]};
        std::vector<int> got(k.begin(), k.begin() + 6);
        if (ClipTextChunk(TextClip{0, 0, 640, 480}, c))
            got.insert(got.end(), {c.dx, c.dy, c.sx, c.sy, c.width, c.height});
        EXPECT_EQ(got, k);
    }
}

}  // namespace
