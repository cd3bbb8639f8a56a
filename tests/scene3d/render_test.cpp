// The renderer seen from outside: where blocks land on the screen under the game's camera,
// depth order, lighting, clipping, pixel formats, and that a render allocates nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "canvas.h"
#include "scene3d/box_mesh.h"
#include "scene3d/demo_scene.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

// Counts every allocation of the test program, to show that a render makes none.
#include "tests/alloc_count.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ka3D::Init();
        ka3D::BuildBoxMesh(0.95f, &cube);
        ka3D::SetAmbient(1.0f);  // flat colours: every drawn pixel is its frame's colour
    }
    void TearDown() override { ka3D::Release(); }

    ka3D::Frame* Block(float x, float y, float z, float r, float g, float b) {
        ka3D::UseFrameColor();
        ka3D::Frame* f = ka3D::LoadObjectFromMesh(cube, 0, nullptr);
        ka3D::SetFramePosition(f, x, y, z);
        ka3D::SetFrameColor(f, r, g, b);
        return f;
    }

    // Camera 1 as the game holds it while rendering: flipped, on its orbit, facing the well.
    void GameCamera(int w, int h, float angle, float distance = 65.0f) {
        ka3D::CreateCamera(1, 0, 0, w, h);
        ka3D::TiltCamera(1, 180.0f);
        ka3D::DemoOrbit(angle, distance);
    }

    ka3D::Mesh cube;
};

TEST_F(RenderTest, BlockAtTheOriginCoversTheProjectedRectangle) {
    Canvas c(640, 480);
    Block(0, 0, 0, 1, 0, 0);
    GameCamera(640, 480, 0);
    c.Render();
    // Front face at distance 65 - 0.95; 480 pixels per unit at distance 1 (field 0.5).
    const double half = 480.0 * 0.95 / (65.0 - 0.95);
    Canvas::Cover cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 - half, 1.0);
    EXPECT_NEAR(cover.x1 + 1, 320 + half, 1.0);
    EXPECT_NEAR(cover.y0, 240 - half, 1.0);
    EXPECT_NEAR(cover.y1 + 1, 240 + half, 1.0);
    EXPECT_EQ(cover.count, (cover.x1 - cover.x0 + 1) * (cover.y1 - cover.y0 + 1));
    EXPECT_EQ(c.Pixel(320, 240), kRed);
}

TEST_F(RenderTest, OrbitKeepsTheWellCentredLeftOnTheLeftAndUpOnTop) {
    // Small blocks, so that their outlines are centred on their origins at every angle.
    ka3D::BuildBoxMesh(0.2f, &cube);
    ka3D::Frame* centre = Block(0, 0, 0, 1, 0, 0);
    ka3D::Frame* left = Block(-6, 0, 0, 0, 1, 0);  // a column to the left of the centre
    ka3D::Frame* up = Block(0, 6, 0, 0, 0, 1);     // a larger y: higher
    for (float angle = 0; angle < 360; angle += 15) {
        SCOPED_TRACE(angle);
        Canvas c(640, 480);
        GameCamera(640, 480, angle);
        ka3D::HideFrame(left);
        c.Render();
        ka3D::ShowFrame(left);
        Canvas::Cover red = c.CoverWhere([](uint32_t p) { return p == kRed; });
        Canvas::Cover blue = c.CoverWhere([](uint32_t p) { return p == kBlue; });
        ASSERT_GT(red.count, 0);
        EXPECT_NEAR(red.cx, 320, 0.75);
        EXPECT_NEAR(red.cy, 240, 0.75);
        ASSERT_GT(blue.count, 0);
        EXPECT_NEAR(blue.cx, 320, 0.75);
        EXPECT_LT(blue.cy, 240 - 30);

        ka3D::HideFrame(centre);
        c.Render();
        ka3D::ShowFrame(centre);
        ka3D::UndoDemoOrbit(angle);
        Canvas::Cover green = c.CoverWhere([](uint32_t p) { return p == kGreen; });
        ASSERT_GT(green.count, 0);
        double cosine = std::cos(angle * 3.14159265 / 180);
        // Camera space: x = -6 cos a, depth 65 + 6 sin a.
        double sine = std::sin(angle * 3.14159265 / 180);
        EXPECT_NEAR(green.cx, 320 - 480 * 6 * cosine / (65 + 6 * sine), 1.0);
        EXPECT_NEAR(green.cy, 240, 0.75);
    }
    (void)up;
}

TEST_F(RenderTest, NearerFrameHidesFartherInEitherOrder) {
    for (int order = 0; order < 2; ++order) {
        ka3D::Init();
        ka3D::SetAmbient(1.0f);
        // The camera at angle 0 stands on the scene's +z side: program z -2 is nearer.
        if (order == 0) {
            Block(0, 0, 2, 0, 1, 0);
            Block(0.5f, 0, -2, 1, 0, 0);
        } else {
            Block(0.5f, 0, -2, 1, 0, 0);
            Block(0, 0, 2, 0, 1, 0);
        }
        Canvas c(640, 480);
        GameCamera(640, 480, 0);
        c.Render();
        EXPECT_EQ(c.Pixel(322, 240), kRed) << "order " << order;
        Canvas::Cover far = c.CoverWhere([](uint32_t p) { return p == kGreen; });
        EXPECT_GT(far.count, 0);
        EXPECT_LT(far.x1, 320) << "only the far block's uncovered left strip shows";
    }
}

TEST_F(RenderTest, HiddenFrameDrawsNothingAndBackgroundFillsTheRest) {
    ka3D::Frame* f = Block(0, 0, 0, 1, 1, 1);
    ka3D::SetBackground(0.2f, 0.4f, 0.6f);
    Canvas c(320, 240, 16, 0xF800, 0x07E0, 0x001F);
    GameCamera(320, 240, 30);
    ka3D::HideFrame(f);
    c.Render();
    // 0.2 * 255 = 51 -> 6 of 31; 0.4 -> 102 -> 25 of 63; 0.6 -> 153 -> 19 of 31.
    const uint32_t background = (6u << 11) | (25u << 5) | 19u;
    EXPECT_EQ(c.CoverOf(background).count, 0);
    for (size_t i = 0; i < c.depth.size(); ++i) ASSERT_EQ(c.depth[i], 0xFFFF);
    ka3D::ShowFrame(f);
    c.Render();
    EXPECT_GT(c.CoverOf(background).count, 40);
    EXPECT_EQ(c.Pixel(0, 0), background);
}

TEST_F(RenderTest, LightingIsAmbientPlusDiffusePlusWhiteSpecular) {
    ka3D::SetAmbient(0.2f);
    ASSERT_EQ(ka3D::CreateLight(1, 0.3f, 5), 1);
    Block(0, 0, 0, 0.4f, 0.2f, 0.0f);
    ka3D::CreateCamera(1, 0, 0, 200, 200);
    ka3D::SetCameraPosition(1, 0, 0, 10);  // scene (0, 0, -10), looking along +z at the block
    Canvas c(200, 200);
    auto channels = [&](int x, int y, int* r, int* g, int* b) {
        uint32_t p = c.Pixel(x, y);
        *r = (p >> 16) & 255, *g = (p >> 8) & 255, *b = p & 255;
    };
    int r, g, b;
    // Light behind the eye: N.L = 1, and N.H = 1 as the eye looks straight on.
    ka3D::SetLightPosition(1, 0, 0, 1000);
    c.Render();
    channels(100, 100, &r, &g, &b);
    EXPECT_NEAR(r, 255 * (0.4 * (0.2 + 0.3) + 0.3), 1.0);
    EXPECT_NEAR(g, 255 * (0.2 * (0.2 + 0.3) + 0.3), 1.0);
    EXPECT_NEAR(b, 255 * (0.0 + 0.3), 1.0);
    // Light behind the block: the face only gets the ambient part.
    ka3D::SetLightPosition(1, 0, 0, -1000);
    c.Render();
    channels(100, 100, &r, &g, &b);
    EXPECT_NEAR(r, 255 * 0.4 * 0.2, 1.0);
    EXPECT_NEAR(g, 255 * 0.2 * 0.2, 1.0);
    EXPECT_EQ(b, 0);
}

TEST_F(RenderTest, PointLightShinesFromItsPositionToEachVertex) {
    ka3D::SetAmbient(0.0f);
    ASSERT_EQ(ka3D::CreateLight(2, 1.0f, 0), 1);  // direction 0: a point light
    Block(0, 0, 0, 1, 1, 1);
    ka3D::CreateCamera(1, 0, 0, 200, 200);
    ka3D::SetCameraPosition(1, 0, 0, 10);
    ka3D::SetLightPosition(2, 3, 0, 1.5f);  // close in front of the face's right-hand edge
    Canvas c(200, 200);
    c.Render();
    auto green = [&](int x) { return static_cast<int>((c.Pixel(x, 100) >> 8) & 255); };
    // The face, 9.05 from the eye at 200 pixels per unit, spans about pixels 79 .. 121.
    EXPECT_GT(green(118), green(82) + 20);
}

TEST_F(RenderTest, EveryPixelFormatGetsTheRightBits) {
    struct Format {
        int bits;
        uint32_t r, g, b;
        uint32_t expected;  // the colour (1, 0.5, 0.25) = (255, 128, 64)
    } formats[] = {
        {16, 0xF800, 0x07E0, 0x001F, (31u << 11) | (32u << 5) | 8u},
        {16, 0x7C00, 0x03E0, 0x001F, (31u << 10) | (16u << 5) | 8u},
        {24, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF8040},
        {32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF8040},
        {32, 0x0000FF, 0x00FF00, 0xFF0000, 0x4080FF},          // blue in the high byte
        {32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0x3FC80100},  // 10 bits: top 8 bits used
    };
    for (const Format& f : formats) {
        SCOPED_TRACE(f.r);
        ka3D::Init();
        ka3D::SetAmbient(1.0f);
        ka3D::SetBackground(1.0f, 0.5f, 0.25f);
        Block(0, 0, 0, 1.0f, 0.5f, 0.25f);
        Canvas c(64, 48, f.bits, f.r, f.g, f.b, /*padding=*/3);
        GameCamera(64, 48, 0, 10);
        c.Render();
        EXPECT_EQ(c.Pixel(32, 24), f.expected);  // the block
        EXPECT_EQ(c.Pixel(0, 0), f.expected);    // the background
        // Bytes beyond the width of each row stay as they were.
        for (int y = 0; y < 48; ++y) {
            for (int k = 64 * c.bytes; k < c.target.colorPitch; ++k) {
                ASSERT_EQ(c.color[static_cast<size_t>(y) * c.target.colorPitch + k], 0xA5);
            }
            ASSERT_EQ(c.depth[static_cast<size_t>(y) * 67 + 64], 0x1234);
        }
    }
}

TEST_F(RenderTest, FastAndPlainPixelPathsDrawTheSamePicture) {
    // The common formats have their own span loops; the same masks in a wider pixel take the
    // plain one. Both must give the same picture, bit for bit.
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(cube, 160, 120, 10, 20, 12, frames);
    ka3D::DemoOrbit(37.0f, 40.0f);
    struct Pair {
        Canvas fast, plain;
    } pairs[] = {
        {Canvas(160, 120, 16, 0xF800, 0x07E0, 0x001F),
         Canvas(160, 120, 32, 0xF800, 0x07E0, 0x001F)},
        {Canvas(160, 120, 16, 0x7C00, 0x03E0, 0x001F),
         Canvas(160, 120, 32, 0x7C00, 0x03E0, 0x001F)},
        {Canvas(160, 120, 32), Canvas(160, 120, 24)},
    };
    for (Pair& p : pairs) {
        p.fast.Render();
        p.plain.Render();
        int drawn = 0;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                ASSERT_EQ(p.fast.Pixel(x, y), p.plain.Pixel(x, y)) << x << "," << y;
                drawn += p.fast.Pixel(x, y) != 0;
            }
        }
        EXPECT_GT(drawn, 2000);
        EXPECT_EQ(p.fast.depth, p.plain.depth);
    }
}

// A wall at x = 2 reaching from behind the eye to 50 units ahead, facing the eye.
ka3D::Mesh Wall() {
    ka3D::Mesh m;
    m.positions = {{2, 1, -50}, {2, 1, 50}, {2, -1, -50}, {2, -1, 50}};
    m.normals = {{-1, 0, 0}};
    m.triangles = {{{{0, 0}, {2, 0}, {1, 0}}}, {{{1, 0}, {2, 0}, {3, 0}}}};
    return m;
}

TEST_F(RenderTest, FrameCrossingTheFrontPlaneDrawsOnlyItsVisiblePart) {
    ka3D::CreateCamera(1, 0, 0, 640, 480);  // at the origin, looking along +z
    ka3D::UseFrameColor();
    ka3D::Frame* wall = ka3D::LoadObjectFromMesh(Wall(), 0, nullptr);
    ka3D::SetFrameColor(wall, 0, 1, 0);
    Canvas c(640, 480);
    c.Render();
    // From the front plane (z = 1: x = 320 + 480 * 2) to z = 50 (x = 320 + 480 * 2 / 50).
    Canvas::Cover cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 + 480 * 2 / 50.0, 1.0);
    EXPECT_EQ(cover.x1, 639);
    // Its height shrinks with distance: 1 unit at z = 50 is 9.6 pixels from the centre row.
    for (int x = cover.x0 + 1; x < 640; x += 37) {
        int top = 0;
        while (top < 480 && c.Pixel(x, top) == 0) ++top;
        double z = 480 * 2.0 / (x + 0.5 - 320);
        EXPECT_NEAR(240 - top, 480 / z, 1.5) << x;
    }
    // Block cut by a nearer back plane and a farther front plane: only the slice between.
    ka3D::SetCameraRange(1, 20, 30);
    c.Render();
    cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 + 480 * 2 / 30.0, 1.0);
    EXPECT_NEAR(cover.x1 + 1, 320 + 480 * 2 / 20.0, 1.0);
}

TEST_F(RenderTest, AbsurdNumbersNeitherCrashNorSpoilTheRest) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Block(0, 0, 0, 1, 0, 0);
    ka3D::Frame* lost = Block(3, 0, 0, 0, 1, 0);
    ka3D::SetFramePosition(lost, nan, 0, 0);  // ignored: stays at x = 3
    ka3D::SetFrameColor(lost, nan, inf, 0);   // ignored: stays green
    Block(1e30f, -1e30f, 3e38f, 0, 0, 1);     // far outside every plane
    Block(0, 0, -64.5f, 1, 1, 0);             // just behind the front plane: clipped away
    Block(2, 2, -63.8f, 1, 1, 0);             // crossing it, close to the eye
    ka3D::CreateLight(1, nan, 3);
    ka3D::SetLightPosition(1, inf, 0, 0);
    GameCamera(640, 480, 0);
    ka3D::SetCameraPosition(1, nan, 0, 0);  // ignored
    Canvas c(640, 480);
    c.Render();
    EXPECT_EQ(c.Pixel(320, 240), kRed);
    EXPECT_GT(c.CoverWhere([](uint32_t p) { return p == kGreen; }).count, 50);
    // Viewports far larger than the target, or turned inside out, draw within the target.
    ka3D::CreateCamera(2, -2000000000, -2000000000, 2000000000, 2000000000);
    ka3D::CreateCamera(3, 100, 100, 50, 50);
    c.Render();
    SUCCEED();
}

TEST_F(RenderTest, CameraDrivenIntoTheWellKeepsDrawingSafely) {
    // Page Up brings the camera ever closer: through the blocks and out behind them.
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(cube, 160, 120, 30, 30, 30, frames);
    Canvas c(160, 120, 16, 0xF800, 0x07E0, 0x001F);
    int drawnFrames = 0;
    float angle = 3.0f;
    for (float distance = 65.0f; distance > 0.01f; distance *= 0.9f, angle += 7.3f) {
        ka3D::DemoOrbit(angle, distance);
        c.Render();
        ka3D::UndoDemoOrbit(angle);
        drawnFrames += c.CoverOf(0).count > 0;
    }
    EXPECT_GT(drawnFrames, 20);
}

TEST_F(RenderTest, RenderingAllocatesNothing) {
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(cube, 320, 240, 10, 20, 10, frames);
    Canvas c(320, 240, 16, 0xF800, 0x07E0, 0x001F);
    c.Render();
    long before = newCallCount;
    for (float angle = 0; angle < 360; angle += 7) {
        ka3D::DemoOrbit(angle, 65.0f);
        ka3D::ShowFrame(frames[5]);
        ka3D::HideFrame(frames[29]);
        c.Render();
        ka3D::UndoDemoOrbit(angle);
    }
    EXPECT_EQ(newCallCount, before);
}

}  // namespace
