// The renderer on every core: bands drawn apart give the pixels of one thread, worker threads
// start once and end with the layer, a steady frame allocates nothing, and kept buffers cleared
// only where the blocks were give the picture of a whole clear.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "game/demo_scene.h"
#include "scene3d/draw_list.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "scene3d/raster.h"
#include "scene3d/render_bands.h"
#include "settings/settings.h"

extern long newCallCount;  // tests/alloc_count.h, included by render_test.cpp

namespace {

// Colour and depth buffers filled with junk, 5-6-5 or 8-8-8-8.
struct Buffers {
    std::vector<uint8_t> color;
    std::vector<uint16_t> depth;
    ka3D::RenderTarget target;
    Buffers(int w, int h, int bits)
        : color(static_cast<size_t>(w) * h * (bits / 8), 0xA5),
          depth(static_cast<size_t>(w) * h, 0x1234) {
        const bool deep = bits == 32;
        target = {color.data(),
                  w * bits / 8,
                  w,
                  h,
                  bits,
                  deep ? 0xFF0000u : 0xF800u,
                  deep ? 0x00FF00u : 0x07E0u,
                  deep ? 0x0000FFu : 0x001Fu,
                  depth.data(),
                  w * 2};
    }
    void Render() { ka3D::RenderInto(target); }
};

class Bands : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ka3D::LoadXFile(KORAVEN_SOURCE_DIR "/resources/koraven.x", &block));
    }
    void TearDown() override {
        ka3D::Release();
        ka3D::SetRenderThreads(0);
        ka3D::KeepPictures(false);
    }
    // The game's full 30 x 30 well, or `rows` rows of it, seen at `angle` from `distance`.
    void Well(int width, int height, int rows = 30) {
        ResetSettings();  // the blocks take the default colours
        ka3D::BuildDemoScene(block, width, height, 30, 30, rows, frames);
    }
    void RenderAt(Buffers& b, float angle, float distance = 65.0f) {
        ka3D::DemoOrbit(angle, distance);
        b.Render();
        ka3D::UndoDemoOrbit(angle);
    }
    ka3D::Mesh block;
    ka3D::Frame* frames[ka3D::kDemoBlocks];
};

TEST_F(Bands, EveryCoreGivesThePixelsOfOneThreadAtEveryAngleAndSize) {
    // Heights that no band count divides, a close camera whose blocks are clipped, and one
    // narrower than a band.
    const struct {
        int width, height, bits;
        float distance;
    } cases[] = {
        {1001, 777, 32, 65.0f}, {333, 251, 16, 65.0f}, {640, 479, 32, 12.0f}, {97, 13, 32, 65.0f}};
    for (const auto& c : cases) {
        Well(c.width, c.height);
        for (float angle : {0.0f, 37.0f, 90.0f, 181.0f, 300.0f}) {
            Buffers one(c.width, c.height, c.bits), many(c.width, c.height, c.bits);
            ka3D::SetRenderThreads(1);
            RenderAt(one, angle, c.distance);
            ka3D::SetRenderThreads(5);
            RenderAt(many, angle, c.distance);
            EXPECT_EQ(one.color, many.color) << c.width << "x" << c.height << " at " << angle;
            EXPECT_EQ(one.depth, many.depth) << c.width << "x" << c.height << " at " << angle;
        }
        ka3D::Release();
    }
}

TEST_F(Bands, WorkersStartOnceAndEndWhenTheLayerIsReleased) {
    ka3D::SetRenderThreads(3);
    Well(320, 240);
    Buffers b(320, 240, 32);
    const long before = ka3D::RenderWorkersStarted();
    for (int frame = 0; frame < 10; ++frame) RenderAt(b, frame * 1.3f);
    EXPECT_EQ(ka3D::RenderWorkersStarted() - before, 2);
    EXPECT_EQ(ka3D::RenderWorkersRunning(), 2);
    ka3D::Release();
    EXPECT_EQ(ka3D::RenderWorkersRunning(), 0);
    Well(320, 240);  // a new scene starts them again
    RenderAt(b, 0);
    EXPECT_EQ(ka3D::RenderWorkersStarted() - before, 4);
    EXPECT_EQ(ka3D::RenderWorkersRunning(), 2);
}

TEST_F(Bands, OneThreadStopsTheWorkers) {
    ka3D::SetRenderThreads(2);
    Well(320, 240);
    Buffers b(320, 240, 32);
    RenderAt(b, 0);
    EXPECT_EQ(ka3D::RenderWorkersRunning(), 1);
    ka3D::SetRenderThreads(1);
    RenderAt(b, 10);
    EXPECT_EQ(ka3D::RenderWorkersRunning(), 0);
}

TEST_F(Bands, ASteadyFrameOnEveryCoreAllocatesNothing) {
    ka3D::SetRenderThreads(2);
    ka3D::KeepPictures(true);
    Well(800, 600);
    Buffers b(800, 600, 32);
    RenderAt(b, 0);
    const long before = newCallCount;
    for (int frame = 1; frame < 20; ++frame) RenderAt(b, frame * 1.3f);
    EXPECT_EQ(newCallCount - before, 0);
}

TEST_F(Bands, KeptBuffersClearedWhereTheBlocksWereGiveTheWholeClearsPicture) {
    ka3D::KeepPictures(true);
    Well(640, 480);
    Buffers kept(640, 480, 16);
    RenderAt(kept, 0);
    RenderAt(kept, 25);
    for (int i = 0; i < ka3D::kDemoBlocks; i += 2) ka3D::HideFrame(frames[i]);  // blocks go
    RenderAt(kept, 50, 90.0f);  // and the well shrinks on the screen
    ka3D::KeepPictures(false);
    Buffers fresh(640, 480, 16);
    RenderAt(fresh, 50, 90.0f);
    EXPECT_EQ(kept.color, fresh.color);
    EXPECT_EQ(kept.depth, fresh.depth);
}

TEST_F(Bands, OtherBuffersAChangedBackgroundOrForgottenPicturesClearTheWholeViewport) {
    Well(320, 240, 10);
    Buffers reference(320, 240, 32);
    RenderAt(reference, 20);  // cleared whole: not kept
    ka3D::KeepPictures(true);
    Buffers first(320, 240, 32), second(320, 240, 32);
    RenderAt(first, 20);
    RenderAt(second, 20);  // other buffers of the same shape
    EXPECT_EQ(second.color, reference.color);

    std::memset(first.color.data(), 0x5A, first.color.size());  // the contents are lost
    ka3D::ForgetLastPictures();
    RenderAt(first, 20);
    EXPECT_EQ(first.color, reference.color);

    ka3D::SetBackground(0, 0, 1);
    RenderAt(first, 20);
    EXPECT_EQ(first.color[0], 0xFF);  // blue, in the corner no block reaches
    EXPECT_EQ(first.color.back(), 0x00);
}

// The rasterizer on its own: a Gouraud-shaded triangle drawn in two bands at any split row
// gives the pixels of the triangle drawn whole.
TEST(BandRaster, ATriangleDrawnInTwoBandsGivesThePixelsOfTheWholeTriangle) {
    const int w = 120, h = 90;
    auto vertex = [](double x, double y, float z, float r, float g, float b) {
        return ka3D::RasterVertex{static_cast<int32_t>(x * ka3D::kSubPixel),
                                  static_cast<int32_t>(y * ka3D::kSubPixel),
                                  z,
                                  r,
                                  g,
                                  b};
    };
    const ka3D::RasterVertex a = vertex(3.3, 2.7, 100, 10, 250, 30),
                             b = vertex(117.1, 31.4, 40000, 255, 0, 128),
                             c = vertex(20.6, 88.9, 9000, 60, 90, 200);
    Buffers whole(w, h, 32);
    ka3D::RasterTarget t;
    ASSERT_TRUE(ka3D::PrepareTarget(whole.target, &t));
    ka3D::ClearClipRect(t, 0);
    ka3D::DrawTriangle(t, a, b, c);
    for (int split : {1, 17, 45, 88}) {
        Buffers parts(w, h, 32);
        ka3D::RasterTarget p;
        ASSERT_TRUE(ka3D::PrepareTarget(parts.target, &p));
        ka3D::ClearClipRect(p, 0);
        p.bandY1 = split;
        ka3D::DrawTriangle(p, a, b, c);
        p.bandY0 = split;
        p.bandY1 = h;
        ka3D::DrawTriangle(p, a, b, c);
        EXPECT_EQ(parts.color, whole.color) << split;
        EXPECT_EQ(parts.depth, whole.depth) << split;
    }
}

// A list without room to sort its items into bands is drawn by every band looking at every
// item, with the same pixels.
TEST(BandRaster, AListWithoutRoomForBinningDrawsTheSamePixels) {
    const int w = 64, h = 64;
    auto vertex = [](double x, double y, float g) {
        return ka3D::RasterVertex{static_cast<int32_t>(x * ka3D::kSubPixel),
                                  static_cast<int32_t>(y * ka3D::kSubPixel),
                                  500,
                                  90,
                                  g,
                                  40};
    };
    const ka3D::RasterVertex a = vertex(1.5, 1.5, 10), b = vertex(62.5, 20.5, 250),
                             c = vertex(8.5, 62.5, 120), d = vertex(30.5, 3.5, 60);
    Buffers whole(w, h, 32), banded(w, h, 32), unbinned(w, h, 32);
    ka3D::RasterTarget t;
    ASSERT_TRUE(ka3D::PrepareTarget(whole.target, &t));
    ka3D::ClearClipRect(t, 0);
    ka3D::DrawTriangle(t, a, b, c);
    ka3D::DrawTriangle(t, d, b, a);
    for (Buffers* out : {&banded, &unbinned}) {
        ka3D::RasterTarget p;
        ASSERT_TRUE(ka3D::PrepareTarget(out->target, &p));
        ka3D::ClearClipRect(p, 0);
        ka3D::DrawList list;
        list.Start(p);
        if (out == &banded) list.Reserve(2);
        list.AddTriangle(a, b, c);
        list.AddTriangle(d, b, a);
        EXPECT_EQ(list.Bin(0, 16, 4), out == &banded);
        for (int band = 0; band < 4; ++band) {
            p.bandY0 = band * 16;
            p.bandY1 = band * 16 + 16;
            ka3D::DrawBand(p, list, band);
        }
    }
    EXPECT_EQ(banded.color, whole.color);
    EXPECT_EQ(unbinned.color, whole.color);
}

}  // namespace
