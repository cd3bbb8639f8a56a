// The reduction of the doubled text picture: eighths of the supersampled pixels over the
// background, in each pixel layout, and the clipping of a chunk. The pictures are exactly as large
// as their rows, so a read or write outside them trips the address sanitizer.
#include "overlay/text_blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

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
        if (k.draws) {
            EXPECT_EQ(std::memcmp(&c, &k.out, sizeof c), 0) << k.in.dx;
        }
    }
}

}  // namespace
