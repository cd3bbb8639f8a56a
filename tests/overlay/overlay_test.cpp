// The overlay: the frame step on the real process-wide state (the news schedule and its hand-over
// to the fetch worker, driven through the worker's own calls; the line texts; the motion; the
// drawing order), the line breaking of the title text, and the reduction of its doubled picture.
// The pictures are exactly as large as their rows: a read or write outside trips the sanitizer.
#include <gtest/gtest.h>

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

// Single-byte characters 9 wide (rounded to 10), double-byte ones 20, all `height` high; "■" is
// `tall` high and "＿" 500 wide. Records the draws and, per chunk, "penX,penY WxH characters"
// where the characters are those drawn inside the chunk's width (one taken back lies beyond).
struct Recorder {
    int height = 48, tall = 48;
    std::vector<std::pair<int, std::string>> draws, pending;
    std::string chunks;

    static TextExtent Draw(void* ctx, int x, const char* bytes, int length) {
        auto* r = static_cast<Recorder*>(ctx);
        const std::string ch(bytes, length);
        r->draws.push_back({x, ch});
        r->pending.push_back({x, ch});
        return {ch == "＿" ? 500 : length == 2 ? 20 : 9, ch == "■" ? r->tall : r->height};
    }
    static void Blend(void* ctx, int penX, int penY, int w, int h, bool) {
        auto* r = static_cast<Recorder*>(ctx);
        r->chunks += (r->chunks.empty() ? "" : " | ") + std::to_string(penX) + "," +
                     std::to_string(penY) + " " + std::to_string(w) + "x" + std::to_string(h) + " ";
        for (const auto& d : r->pending)
            if (d.first < w) r->chunks += d.second;
        r->pending.clear();
    }
    TextBox LayOut(const char* text, TextBox box = {100, 50, 160, 400}, int bufferWidth = 1000,
                   int fontHeight = 48) {
        return LayOutText(box, fontHeight, bufferWidth, text, TextLayoutOps{this, Draw, Blend});
    }
};

// The line from x 100 to 160 holds five double-byte characters (100 buffer pixels).
TEST(LayOutText, LinesBreakAtTheEdgeExceptBeforeAFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        // A full stop at the right edge stays on its line; any other character starts the next.
        {"あいうえお。か", "100,50 120x48 あいうえお。 | 100,74 20x48 か"},
        {"あいうえおかき", "100,50 100x48 あいうえお | 100,74 40x48 かき"},
        // A line feed ends the line and is not drawn; an empty line still moves the pen down.
        {"あい\nう\n\nえ", "100,50 40x48 あい | 100,74 20x48 う | 100,98 0x48  | 100,122 20x48 え"},
        // 82 81 then 42 is not "。"; a lone lead byte at the end is dropped.
        {"\x82\x81"
         "Bソ\x82",
         "100,50 50x48 \x82\x81"
         "Bソ"}};
    for (const auto& c : cases) {
        Recorder r;
        r.LayOut(c.first);
        EXPECT_EQ(r.chunks, c.second) << c.first;
    }
    // The buffer width splits a line into chunks; the tallest character sets the line step; the
    // bottom edge cuts the last line; a character carried over is drawn again at x 0.
    Recorder narrow, tall, cut, once;
    narrow.LayOut("あいうえ", {100, 50, 160, 400}, 50);
    EXPECT_EQ(narrow.chunks, "100,50 40x48 あい | 120,50 40x48 うえ");
    tall.tall = 61;
    tall.LayOut("あ■いうえおか");
    EXPECT_EQ(tall.chunks, "100,50 100x62 あ■いうえ | 100,81 40x48 おか");
    cut.LayOut("あいうえおかきくけこさしすせそ", {100, 50, 160, 80});
    EXPECT_EQ(cut.chunks, "100,50 100x48 あいうえお | 100,74 100x12 かきくけこ");
    const TextBox covered = once.LayOut("あいうえおかき");
    EXPECT_EQ(std::vector<int>({covered.left, covered.top, covered.right, covered.bottom}),
              std::vector<int>({100, 50, 150, 98}));
    EXPECT_EQ(once.draws[6].first, 0);

    // A long text stays in the box; a character wider than the line is drawn once, not retried
    // forever (even at height 0).
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += i % 7 == 0 ? "。" : i % 5 == 0 ? "a" : "あ";
    Recorder r;
    const TextBox box = r.LayOut(longText.c_str(), {100, 50, 160, 300}, 64);
    EXPECT_TRUE(box.right <= 160 + 10 && box.bottom <= 300 && r.draws.size() < 200u);
    for (int fontHeight : {48, 0}) {
        Recorder w;
        w.height = 0;
        w.LayOut("＿あ", {100, 50, 160, 400}, 1000, fontHeight);
        EXPECT_TRUE(w.chunks.substr(0, 10) == "100,50 500" && w.draws.size() <= 3) << w.chunks;
    }
}

TEST(LayOutText, LineStartRuleAndTextColour) {
    for (const char* p = "、。，．・…‥”’（」　"; *p; p += 2)
        EXPECT_TRUE(LineStartForbidden(p, 2)) << p;
    for (const char* p = "あ）「ソ"; *p; p += 2) EXPECT_FALSE(LineStartForbidden(p, 2)) << p;
    for (char c : std::string(",. A\x81"))
        EXPECT_EQ(LineStartForbidden(&c, 1), c == ',' || c == '.' || c == ' ') << c;
    // Near-black text would vanish in a sprite keyed on black: it becomes 16 grey.
    const uint32_t colours[] = {0x080808, 0, 0x0F0F0F, 0x100808, 0xFFFFFF};
    const uint32_t shown[] = {0x101010, 0x101010, 0x101010, 0x100808, 0xFFFFFF};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TextColorForSprite(colours[i]), shown[i]) << i;
}

struct Picture {
    int bytes;
    std::vector<uint8_t> memory;
    PixelPlane plane;

    Picture(int w, int h, int bpp, uint32_t fill = 0)
        : bytes(bpp / 8),
          memory((w * bpp / 8 + 6) * h),  // rows longer than their pixels
          plane{memory.data(), w * bpp / 8 + 6, w, h} {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Set(x, y, fill);
    }
    uint8_t* At(int x, int y) { return plane.bits + y * plane.pitch + x * bytes; }
    void Set(int x, int y, uint32_t v) { std::memcpy(At(x, y), &v, bytes); }
    uint32_t Get(int x, int y) {
        uint32_t v = 0;
        std::memcpy(&v, At(x, y), bytes);
        return v;
    }
};

const TextPixelLayout k565{16, {11, 6, 0}, 0xFFFF}, k555{16, {10, 5, 0}, 0x7FFF},
    k888{32, {16, 8, 0}, 0xFFFFFF}, k24{24, {0, 0, 0}, 0};

uint32_t Rgb(const TextPixelLayout& l, uint32_t r, uint32_t g, uint32_t b) {
    return r << l.shift[0] | g << l.shift[1] | b << l.shift[2];
}

struct Square {
    int x, y, size;
    uint32_t v;
};

// One pixel of a 4 x 4 picture blended from an 8 x 8 source holding these squares.
uint32_t Blended(const TextPixelLayout& l, std::initializer_list<Square> squares, uint32_t back,
                 int x, int y, TextChunkPlacement c = {0, 0, 0, 0, 4, 4}, uint32_t fill = 0) {
    Picture src(8, 8, l.bitsPerPixel, fill), bg(4, 4, l.bitsPerPixel, back),
        dst(4, 4, l.bitsPerPixel);
    for (const Square& q : squares)
        for (int i = 0; i < q.size * q.size; ++i) src.Set(q.x + i % q.size, q.y + i / q.size, q.v);
    BlendTextPixels(src.plane, dst.plane, bg.plane, l, c);
    return dst.Get(x, y);
}

TEST(BlendTextPixels, EighthsOfTheSamplesOverTheBackground) {
    // One sample at the centre of (1, 1): (31 + 31) / 8 over black; no sample leaves a pixel.
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 1, 1), Rgb(k565, 7, 7, 7));
    EXPECT_EQ(Blended(k555, {{2, 2, 1, 0x7FFF}}, 0, 1, 1), Rgb(k555, 7, 7, 7));
    EXPECT_EQ(Blended(k565, {{2, 2, 1, 0xFFFF}}, 0, 2, 2), 0u);
    // Nine samples leave the background out: (9 s + 31) / 8, at most 31.
    EXPECT_EQ(Blended(k565, {{1, 1, 3, Rgb(k565, 31, 10, 5)}}, 0xFFFF, 1, 1), Rgb(k565, 31, 15, 9));
    // (0, 0) has no left column and no upper row: four samples, the background weighs 4;
    // (1, 0) sees only two of them, the background weighs 6.
    const uint32_t red = Rgb(k565, 31, 0, 0), back = Rgb(k565, 0, 16, 31);
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 0, 0), Rgb(k565, 155 / 8, 95 / 8, 155 / 8));
    EXPECT_EQ(Blended(k565, {{0, 0, 2, red}}, back, 1, 0), Rgb(k565, 93 / 8, 127 / 8, 217 / 8));
    // The unused byte of X8R8G8B8 set is still black: one sample, not nine.
    EXPECT_EQ(Blended(k888, {{2, 2, 1, ~0u}}, 0xFF000000, 1, 1, {0, 0, 0, 0, 4, 4}, 0xFF000000),
              0x3F3F3Fu);
    // Three bytes, a channel each in memory order: (255 + 255 + 6 * 128) / 8, ...
    EXPECT_EQ(Blended(k24, {{2, 2, 1, 0xFF}, {3, 3, 1, 0x010000}}, 0x80, 1, 1),
              uint32_t(159 | 31 << 8 | 32 << 16));
    // A source starting at column 2 (after clipping): x = 0 still leaves out column 1.
    for (int x : {0, 1})
        EXPECT_EQ(
            Blended(k565, {{1, 0, 1, 0xFFFF}, {3, 0, 1, 0xFFFF}}, 0, x, 0, {0, 0, 2, 0, 3, 2}),
            Rgb(k565, 7, 7, 7));
    // Placements reaching outside any of the three pictures never read or write outside them.
    const TextChunkPlacement placements[] = {{0, 0, 0, 0, 100, 100}, {3, 3, 0, 0, 10, 10},
                                             {-5, -5, 0, 0, 10, 10}, {0, 0, 14, 14, 10, 10},
                                             {0, 0, -4, -4, 4, 4},   {2, 1, 100, 0, 2, 2},
                                             {40, 40, 0, 0, 2, 2},   {0, 0, 0, 0, 0, 0}};
    for (const TextPixelLayout& l : {k565, k888, k24}) {
        for (const TextChunkPlacement& c : placements) {
            Picture src(16, 16, l.bitsPerPixel, 0xFFFFFF), dst(5, 4, l.bitsPerPixel),
                back(4, 5, l.bitsPerPixel);
            BlendTextPixels(src.plane, dst.plane, back.plane, l, c);
        }
    }
}

TEST(ClipTextChunk, EdgesShortenAndMoveTheChunkTwoSourcePixelsAPixel) {
    const TextChunkPlacement in[] = {{630, 470, 0, 0, 20, 20},
                                     {-10, -3, 0, 0, 30, 30},
                                     {640, 0, 0, 0, 10, 10},
                                     {650, 0, 0, 0, 10, 10},
                                     {-20, 0, 0, 0, 10, 10}};
    const std::vector<int> out[] = {{630, 470, 0, 0, 10, 10},
                                    {0, 0, 20, 6, 20, 27},
                                    {640, 0, 0, 0, 0, 10},
                                    {},
                                    {}};  // {}: nothing drawn
    for (int i = 0; i < 5; ++i) {
        TextChunkPlacement c = in[i];
        std::vector<int> got;
        if (ClipTextChunk(TextClip{0, 0, 640, 480}, c))
            got = {c.dx, c.dy, c.sx, c.sy, c.width, c.height};
        EXPECT_EQ(got, out[i]) << i;
    }
}

}  // namespace
