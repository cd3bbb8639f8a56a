#include "overlay/text_blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A picture of w x h pixels with a guard band of bytes around it, so a write outside shows.
struct Picture {
    static constexpr int kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;
    int bytes;
    std::vector<uint8_t> memory;
    PixelPlane plane;

    Picture(int w, int h, int bpp) : bytes(bpp / 8) {
        int pitch = w * bytes + 6;  // rows a little longer than the pixels, as surfaces are
        memory.assign(kGuard * 2 + pitch * h, 0);
        std::memset(memory.data(), kGuardByte, kGuard);
        std::memset(memory.data() + memory.size() - kGuard, kGuardByte, kGuard);
        plane = PixelPlane{memory.data() + kGuard, pitch, w, h};
    }
    void Fill(uint32_t v) {
        for (int y = 0; y < plane.height; ++y)
            for (int x = 0; x < plane.width; ++x) Set(x, y, v);
    }
    void Set(int x, int y, uint32_t v) {
        std::memcpy(plane.bits + y * plane.pitch + x * bytes, &v, bytes);
    }
    uint32_t Get(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, plane.bits + y * plane.pitch + x * bytes, bytes);
        return v;
    }
    bool GuardsIntact() const {
        for (int i = 0; i < kGuard; ++i)
            if (memory[i] != kGuardByte || memory[memory.size() - 1 - i] != kGuardByte)
                return false;
        return true;
    }
};

const TextPixelLayout k565{
    16, {11, 6, 0}, 0xFFFF};  // 5-bit shifts: green's top five bits start at 6
const TextPixelLayout k555{16, {10, 5, 0}, 0x7FFF};
const TextPixelLayout k888{32, {16, 8, 0}, 0xFFFFFF};
const TextPixelLayout k24{24, {0, 0, 0}, 0};

uint32_t Rgb5(const TextPixelLayout& l, uint32_t r, uint32_t g, uint32_t b) {
    return r << l.shift[0] | g << l.shift[1] | b << l.shift[2];
}

void Blend(Picture& src, Picture& dst, Picture& back, const TextPixelLayout& l,
           TextChunkPlacement c) {
    BlendTextPixels(src.plane, dst.plane, back.plane, l, c);
}

}  // namespace

TEST(BlendTextPixels, OneWhiteSampleOverBlackGivesSevenOf31) {
    for (const TextPixelLayout& l : {k565, k555}) {
        Picture src(8, 8, 16), dst(4, 4, 16), back(4, 4, 16);
        src.Set(2, 2, 0xFFFF);  // centre of destination (1, 1)
        Blend(src, dst, back, l, {0, 0, 0, 0, 4, 4});
        EXPECT_EQ(dst.Get(1, 1), Rgb5(l, 7, 7, 7));
        // (2, 2) is the centre of (1, 1) and in no other pixel's neighbourhood.
        EXPECT_EQ(dst.Get(0, 0), 0u);
        EXPECT_EQ(dst.Get(2, 2), 0u);
        // The low bit of a 6-bit green stays clear.
        if (l.shift[1] == 6) {
            EXPECT_EQ(dst.Get(1, 1) & 0x20, 0u);
        }
    }
}

TEST(BlendTextPixels, NineSamplesIgnoreTheBackgroundAndSaturate) {
    for (uint32_t background : {0x0000u, 0xFFFFu, 0x1234u}) {
        Picture src(8, 8, 16), dst(4, 4, 16), back(4, 4, 16);
        back.Fill(background);
        for (int y = 1; y <= 3; ++y)
            for (int x = 1; x <= 3; ++x) src.Set(x, y, Rgb5(k565, 20, 10, 5));
        Blend(src, dst, back, k565, {0, 0, 0, 0, 4, 4});
        // (9 * s + 31) / 8, at most 31.
        EXPECT_EQ(dst.Get(1, 1), Rgb5(k565, 26, 15, 9)) << background;
    }
    Picture src(8, 8, 16), dst(4, 4, 16), back(4, 4, 16);
    src.Fill(0xFFFF);
    Blend(src, dst, back, k565, {0, 0, 0, 0, 4, 4});
    EXPECT_EQ(dst.Get(1, 1), Rgb5(k565, 31, 31, 31));
}

TEST(BlendTextPixels, PartialCoverageBlendsInEighthsAndEmptyPixelsStayUntouched) {
    Picture src(8, 8, 16), dst(4, 4, 16), back(4, 4, 16);
    back.Fill(Rgb5(k565, 0, 16, 31));
    dst.Fill(0x0001);  // marker: a pixel the kernel must not write
    // Destination (0, 0) has no left column and no upper row: samples (0..1, 0..1), all four set.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) src.Set(x, y, Rgb5(k565, 31, 0, 0));
    Blend(src, dst, back, k565, {0, 0, 0, 0, 4, 4});
    // red (4*31 + 31 + 4*0)/8 = 19; green (0 + 31 + 4*16)/8 = 11; blue (31 + 4*31)/8 = 19.
    EXPECT_EQ(dst.Get(0, 0), Rgb5(k565, 19, 11, 19));
    // (1, 0) sees column 1 (its left column) in rows 0..1: two samples.
    EXPECT_EQ(dst.Get(1, 0), Rgb5(k565, (62 + 31) / 8, (31 + 6 * 16) / 8, (31 + 6 * 31) / 8));
    EXPECT_EQ(dst.Get(2, 0), 0x0001u);
    EXPECT_EQ(dst.Get(3, 3), 0x0001u);
}

TEST(BlendTextPixels, ThirtyTwoAndTwentyFourBitPixels) {
    {
        Picture src(8, 8, 32), dst(4, 4, 32), back(4, 4, 32);
        src.Set(2, 2, 0x00FFFFFF);
        Blend(src, dst, back, k888, {0, 0, 0, 0, 4, 4});
        EXPECT_EQ(dst.Get(1, 1), 0x003F3F3Fu);  // (255 + 255) / 8 = 63
        for (int y = 1; y <= 3; ++y)
            for (int x = 1; x <= 3; ++x) src.Set(x, y, 0x00102030);
        back.Fill(0x00FFFFFF);
        Blend(src, dst, back, k888, {0, 0, 0, 0, 4, 4});
        EXPECT_EQ(dst.Get(1, 1), uint32_t((9 * 0x10 + 255) / 8 << 16 | (9 * 0x20 + 255) / 8 << 8 |
                                          std::min(255, (9 * 0x30 + 255) / 8)));
    }
    {
        // Three bytes per pixel, each a channel in memory order; a pixel is black only when all
        // three bytes are 0, so a sample with only its last byte set counts.
        Picture src(8, 8, 24), dst(4, 4, 24), back(4, 4, 24);
        src.Set(2, 2, 0x0000FF);  // bytes FF 00 00
        src.Set(3, 3, 0x010000);  // bytes 00 00 01
        back.Fill(0x000080);      // bytes 80 00 00
        Blend(src, dst, back, k24, {0, 0, 0, 0, 4, 4});
        // n = 2: byte 0 (255 + 255 + 6*128)/8 = 159, byte 1 255/8 = 31, byte 2 (1 + 255)/8 = 32.
        EXPECT_EQ(dst.Get(1, 1), uint32_t(159 | 31 << 8 | 32 << 16));
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

TEST(BlendTextPixels, BitsOutsideTheChannelsDoNotMakeAPixelNonBlack) {
    // A colour fill may leave the unused byte of X8R8G8B8 (or the top bit of X1R5G5B5) set.
    Picture src(8, 8, 32), dst(4, 4, 32), back(4, 4, 32);
    src.Fill(0xFF000000);
    src.Set(2, 2, 0xFFFFFFFF);
    back.Fill(0xFF000000);
    Blend(src, dst, back, k888, {0, 0, 0, 0, 4, 4});
    EXPECT_EQ(dst.Get(1, 1), 0x003F3F3Fu);  // one sample, not nine
    EXPECT_EQ(dst.Get(0, 0), 0u);
    Picture src16(8, 8, 16), dst16(4, 4, 16), back16(4, 4, 16);
    src16.Fill(0x8000);
    Blend(src16, dst16, back16, k555, {0, 0, 0, 0, 4, 4});
    EXPECT_EQ(dst16.Get(1, 1), 0u);
}

TEST(BlendTextPixels, SourceOffsetAndTheLeftColumnRule) {
    // After clipping the source can start at column 2: destination x = 0 still leaves out the
    // column left of its centre, so a sample in column 1 is never seen.
    Picture src(8, 4, 16), dst(4, 2, 16), back(4, 2, 16);
    src.Set(1, 0, 0xFFFF);
    Blend(src, dst, back, k565, {0, 0, 2, 0, 3, 2});
    EXPECT_EQ(dst.Get(0, 0), 0u);
    src.Set(3, 0, 0xFFFF);  // right column of x = 0 and left column of x = 1
    Blend(src, dst, back, k565, {0, 0, 2, 0, 3, 2});
    EXPECT_EQ(dst.Get(0, 0), Rgb5(k565, 7, 7, 7));
    EXPECT_EQ(dst.Get(1, 0), Rgb5(k565, 7, 7, 7));
}

TEST(BlendTextPixels, PlacementsOutsideThePicturesNeverOverrun) {
    const TextChunkPlacement placements[] = {
        {0, 0, 0, 0, 100, 100}, {3, 3, 0, 0, 10, 10}, {-5, -5, 0, 0, 10, 10},
        {0, 0, 14, 14, 10, 10}, {0, 0, -4, -4, 4, 4}, {2, 1, 100, 0, 2, 2},
        {40, 40, 0, 0, 2, 2},   {0, 0, 0, 0, 0, 0},
    };
    for (int bpp : {16, 24, 32}) {
        const TextPixelLayout l = bpp == 16 ? k565 : bpp == 32 ? k888 : k24;
        for (const TextChunkPlacement& c : placements) {
            Picture src(16, 16, bpp), dst(5, 4, bpp), back(4, 5, bpp);
            src.Fill(0x00FFFFFF);
            Blend(src, dst, back, l, c);
            EXPECT_TRUE(src.GuardsIntact() && dst.GuardsIntact() && back.GuardsIntact())
                << bpp << " " << c.dx << "," << c.dy << " " << c.sx << "," << c.sy;
        }
    }
}

TEST(ClipTextChunk, EdgesShortenAndMoveTheChunk) {
    const TextClip clip{0, 0, 640, 480};
    TextChunkPlacement c{630, 470, 0, 0, 20, 20};
    EXPECT_TRUE(ClipTextChunk(clip, c));
    EXPECT_EQ(c.width, 10);
    EXPECT_EQ(c.height, 10);

    c = {-10, -3, 0, 0, 30, 30};
    EXPECT_TRUE(ClipTextChunk(clip, c));
    EXPECT_EQ(c.dx, 0);
    EXPECT_EQ(c.width, 20);
    EXPECT_EQ(c.sx, 20);  // two buffer pixels per screen pixel
    EXPECT_EQ(c.dy, 0);
    EXPECT_EQ(c.height, 27);
    EXPECT_EQ(c.sy, 6);

    c = {640, 0, 0, 0, 10, 10};  // on the right edge: nothing, but not an error
    EXPECT_TRUE(ClipTextChunk(clip, c));
    EXPECT_EQ(c.width, 0);
    c = {650, 0, 0, 0, 10, 10};  // beyond it
    EXPECT_FALSE(ClipTextChunk(clip, c));
    c = {-20, 0, 0, 0, 10, 10};
    EXPECT_FALSE(ClipTextChunk(clip, c));
}
