#include "overlay/text_blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// w x h pixels inside a guard band, so a write outside the picture shows.
struct Picture {
    static constexpr int kGuard = 64;
    int bytes;
    std::vector<uint8_t> memory;
    PixelPlane plane;

    Picture(int w, int h, int bpp) : bytes(bpp / 8), memory(2 * kGuard + (w * bpp / 8 + 6) * h) {
        // Rows a little longer than their pixels, as a surface's pitch may be.
        plane = PixelPlane{memory.data() + kGuard, w * bytes + 6, w, h};
        std::memset(memory.data(), 0xA5, kGuard);
        std::memset(memory.data() + memory.size() - kGuard, 0xA5, kGuard);
    }
    void Set(int x, int y, uint32_t v) { std::memcpy(At(x, y), &v, bytes); }
    void Fill(uint32_t v) {
        for (int y = 0; y < plane.height; ++y)
            for (int x = 0; x < plane.width; ++x) Set(x, y, v);
    }
    uint32_t Get(int x, int y) {
        uint32_t v = 0;
        std::memcpy(&v, At(x, y), bytes);
        return v;
    }
    uint8_t* At(int x, int y) { return plane.bits + y * plane.pitch + x * bytes; }
    bool GuardsIntact() const {
        for (int i = 0; i < kGuard; ++i)
            if (memory[i] != 0xA5 || memory[memory.size() - 1 - i] != 0xA5) return false;
        return true;
    }
};

// 16 bits: the five top bits of each channel; green's 6-bit channel starts one higher.
const TextPixelLayout k565{16, {11, 6, 0}, 0xFFFF};
const TextPixelLayout k555{16, {10, 5, 0}, 0x7FFF};
const TextPixelLayout k888{32, {16, 8, 0}, 0xFFFFFF};
const TextPixelLayout k24{24, {0, 0, 0}, 0};

uint32_t Rgb(const TextPixelLayout& l, uint32_t r, uint32_t g, uint32_t b) {
    return r << l.shift[0] | g << l.shift[1] | b << l.shift[2];
}

// Blends source into a fresh 4 x 4 destination over the background; returns the destination.
Picture Blend(Picture& src, Picture& back, const TextPixelLayout& l,
              TextChunkPlacement c = {0, 0, 0, 0, 4, 4}) {
    Picture dst(4, 4, l.bitsPerPixel);
    BlendTextPixels(src.plane, dst.plane, back.plane, l, c);
    return dst;
}

}  // namespace

TEST(BlendTextPixels, SixteenBitEighths) {
    for (const TextPixelLayout& l : {k565, k555}) {
        Picture src(8, 8, 16), black(4, 4, 16);
        src.Set(2, 2, 0xFFFF);  // centre of (1, 1), in no other pixel's neighbourhood
        Picture one = Blend(src, black, l);
        EXPECT_EQ(one.Get(1, 1), Rgb(l, 7, 7, 7));  // (31 + 31) / 8 over black
        EXPECT_EQ(one.Get(0, 0), 0u);               // no sample: left black
        EXPECT_EQ(one.Get(2, 2), 0u);
    }
    // Nine samples leave the background out: (9 s + 31) / 8, at most 31.
    for (uint32_t background : {0x0000u, 0xFFFFu, 0x1234u}) {
        Picture src(8, 8, 16), back(4, 4, 16);
        back.Fill(background);
        for (int y = 1; y <= 3; ++y)
            for (int x = 1; x <= 3; ++x) src.Set(x, y, Rgb(k565, 31, 10, 5));
        EXPECT_EQ(Blend(src, back, k565).Get(1, 1), Rgb(k565, 31, 15, 9)) << background;
    }
    // (0, 0) has no left column and no upper row: four samples, the background weighs 4.
    Picture src(8, 8, 16), back(4, 4, 16);
    back.Fill(Rgb(k565, 0, 16, 31));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) src.Set(x, y, Rgb(k565, 31, 0, 0));
    Picture part = Blend(src, back, k565);
    EXPECT_EQ(part.Get(0, 0), Rgb(k565, (4 * 31 + 31) / 8, (31 + 4 * 16) / 8, (31 + 4 * 31) / 8));
    // (1, 0) sees only its left column of them: two samples, the background weighs 6.
    EXPECT_EQ(part.Get(1, 0), Rgb(k565, (62 + 31) / 8, (31 + 6 * 16) / 8, (31 + 6 * 31) / 8));
}

TEST(BlendTextPixels, ThirtyTwoAndTwentyFourBitsAndASourceOffset) {
    Picture src(8, 8, 32), back(4, 4, 32);
    src.Fill(0xFF000000);  // the unused byte of X8R8G8B8 set: still black
    back.Fill(0xFF000000);
    src.Set(2, 2, 0xFFFFFFFF);
    EXPECT_EQ(Blend(src, back, k888).Get(1, 1), 0x003F3F3Fu);  // one sample, not nine
    // Three bytes, a channel each in memory order: n = 2 gives (255 + 255 + 6 * 128) / 8, ...
    Picture s24(8, 8, 24), b24(4, 4, 24);
    s24.Set(2, 2, 0x0000FF);
    s24.Set(3, 3, 0x010000);
    b24.Fill(0x000080);
    EXPECT_EQ(Blend(s24, b24, k24).Get(1, 1), uint32_t(159 | 31 << 8 | 32 << 16));
    // A source starting at column 2 (after clipping): x = 0 still leaves out column 1.
    Picture s16(8, 4, 16), b16(4, 4, 16);
    s16.Set(1, 0, 0xFFFF);
    s16.Set(3, 0, 0xFFFF);
    Picture d = Blend(s16, b16, k565, {0, 0, 2, 0, 3, 2});
    EXPECT_EQ(d.Get(0, 0), Rgb(k565, 7, 7, 7));
    EXPECT_EQ(d.Get(1, 0), Rgb(k565, 7, 7, 7));
}

TEST(BlendTextPixels, PlacementsOutsideThePicturesNeverOverrun) {
    const TextChunkPlacement placements[] = {
        {0, 0, 0, 0, 100, 100}, {3, 3, 0, 0, 10, 10}, {-5, -5, 0, 0, 10, 10},
        {0, 0, 14, 14, 10, 10}, {0, 0, -4, -4, 4, 4}, {2, 1, 100, 0, 2, 2},
        {40, 40, 0, 0, 2, 2},   {0, 0, 0, 0, 0, 0},
    };
    for (const TextPixelLayout& l : {k565, k888, k24}) {
        for (const TextChunkPlacement& c : placements) {
            Picture src(16, 16, l.bitsPerPixel), dst(5, 4, l.bitsPerPixel),
                back(4, 5, l.bitsPerPixel);
            src.Fill(0x00FFFFFF);
            BlendTextPixels(src.plane, dst.plane, back.plane, l, c);
            EXPECT_TRUE(src.GuardsIntact() && dst.GuardsIntact() && back.GuardsIntact())
                << l.bitsPerPixel << " " << c.dx << "," << c.dy << " " << c.sx << "," << c.sy;
        }
    }
}

TEST(ClipTextChunk, EdgesShortenAndMoveTheChunk) {
    const TextClip clip{0, 0, 640, 480};
    const struct {
        TextChunkPlacement in;
        bool draws;
        TextChunkPlacement out;
    } cases[] = {{{630, 470, 0, 0, 20, 20}, true, {630, 470, 0, 0, 10, 10}},
                 {{-10, -3, 0, 0, 30, 30}, true, {0, 0, 20, 6, 20, 27}},  // two source pixels each
                 {{640, 0, 0, 0, 10, 10}, true, {640, 0, 0, 0, 0, 10}},
                 {{650, 0, 0, 0, 10, 10}, false, {}},
                 {{-20, 0, 0, 0, 10, 10}, false, {}}};
    for (const auto& k : cases) {
        TextChunkPlacement c = k.in;
        ASSERT_EQ(ClipTextChunk(clip, c), k.draws) << k.in.dx;
        if (k.draws) EXPECT_EQ(std::memcmp(&c, &k.out, sizeof c), 0) << k.in.dx;
    }
}
