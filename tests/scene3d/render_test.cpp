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

uint32_t Only(const Canvas& c, uint32_t colour) {
    return c.CoverWhere([colour](uint32_t p) { return p == colour; }).count;
}

TEST_F(RenderTest, BlocksLandWhereTheGameCameraProjectsThemNearerHidingFarther) {
    Canvas c(640, 480);
    Block(0, 0, 0, 1, 0, 0);
    GameCamera(640, 480, 0);
    c.Render();
    // Front face at distance 65 - 0.95; 480 pixels per unit at distance 1.
    const double half = 480.0 * 0.95 / (65.0 - 0.95);
    Canvas::Cover cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 - half, 1.0);
    EXPECT_NEAR(cover.x1 + 1, 320 + half, 1.0);
    EXPECT_NEAR(cover.y0, 240 - half, 1.0);
    EXPECT_EQ(cover.count, (cover.x1 - cover.x0 + 1) * (cover.y1 - cover.y0 + 1));
    for (int order = 0; order < 2; ++order) {  // program z -2 is nearer at angle 0
        ka3D::Init();
        ka3D::SetAmbient(1.0f);
        for (int i = 0; i < 2; ++i) {
            if ((i == 0) == (order == 0))
                Block(0, 0, 2, 0, 1, 0);
            else
                Block(0.5f, 0, -2, 1, 0, 0);
        }
        GameCamera(640, 480, 0);
        c.Render();
        EXPECT_EQ(c.Pixel(322, 240), kRed) << order;
        EXPECT_LT(c.CoverWhere([](uint32_t p) { return p == kGreen; }).x1, 320) << order;
    }
}

TEST_F(RenderTest, OrbitKeepsTheWellCentredLeftOnTheLeftAndUpOnTop) {
    ka3D::BuildBoxMesh(0.2f, &cube);  // small: outlines centred on their origins at every angle
    ka3D::Frame* centre = Block(0, 0, 0, 1, 0, 0);
    ka3D::Frame* left = Block(-6, 0, 0, 0, 1, 0);
    Block(0, 6, 0, 0, 0, 1);
    for (float angle = 0; angle < 360; angle += 45) {
        Canvas c(640, 480);
        GameCamera(640, 480, angle);
        ka3D::HideFrame(left);
        c.Render();
        ka3D::ShowFrame(left);
        Canvas::Cover red = c.CoverWhere([](uint32_t p) { return p == kRed; });
        Canvas::Cover blue = c.CoverWhere([](uint32_t p) { return p == kBlue; });
        EXPECT_NEAR(red.cx, 320, 0.75) << angle;
        EXPECT_NEAR(red.cy, 240, 0.75) << angle;
        EXPECT_NEAR(blue.cx, 320, 0.75) << angle;
        EXPECT_LT(blue.cy, 240 - 30) << angle;
        ka3D::HideFrame(centre);
        c.Render();
        ka3D::ShowFrame(centre);
        ka3D::UndoDemoOrbit(angle);
        const double a =
            angle * 3.14159265 / 180;  // camera space: x = -6 cos a, depth 65 + 6 sin a
        EXPECT_NEAR(c.CoverWhere([](uint32_t p) { return p == kGreen; }).cx,
                    320 - 480 * 6 * std::cos(a) / (65 + 6 * std::sin(a)), 1.0)
            << angle;
    }
}

TEST_F(RenderTest, LightingIsAmbientPlusDiffusePlusWhiteSpecular) {
    ka3D::SetAmbient(0.2f);
    ASSERT_EQ(ka3D::CreateLight(1, 0.3f, 5), 1);
    ka3D::Frame* block = Block(0, 0, 0, 0.4f, 0.2f, 0.0f);
    ka3D::CreateCamera(1, 0, 0, 200, 200);
    ka3D::SetCameraPosition(1, 0, 0, 10);  // looking along +z at the block
    Canvas c(200, 200);
    // Light behind the eye: N.L = 1 and N.H = 1. Behind the block: the ambient part only.
    const struct {
        float z;
        uint32_t rgb;
    } cases[] = {{1000, (127u << 16) | (102u << 8) | 77u}, {-1000, (20u << 16) | (10u << 8)}};
    for (const auto& k : cases) {
        ka3D::SetLightPosition(1, 0, 0, k.z);
        c.Render();
        for (int ch = 0; ch < 24; ch += 8)
            EXPECT_NEAR(int(c.Pixel(100, 100) >> ch & 255), int(k.rgb >> ch & 255), 1)
                << k.z << " " << ch;
    }
    ka3D::SetAmbient(0.0f);  // a point light (direction 0) shines from its place to each vertex
    ka3D::SetFrameColor(block, 1, 1, 1);
    ASSERT_EQ(ka3D::CreateLight(2, 1.0f, 0), 1);
    ka3D::SetLightPosition(1, 0, 0, -1000);
    ka3D::SetLightPosition(2, 3, 0, 1.5f);
    c.Render();
    EXPECT_GT(int(c.Pixel(118, 100) >> 8 & 255), int(c.Pixel(82, 100) >> 8 & 255) + 20);
}

TEST_F(RenderTest, EveryPixelFormatGetsTheRightBitsAndTheFastPathsMatchThePlainOne) {
    const struct {
        int bits;
        uint32_t r, g, b, expected;  // the colour (1, 0.5, 0.25)
    } formats[] = {{16, 0xF800, 0x07E0, 0x001F, (31u << 11) | (32u << 5) | 8u},
                   {16, 0x7C00, 0x03E0, 0x001F, (31u << 10) | (16u << 5) | 8u},
                   {24, 0xFF0000, 0xFF00, 0xFF, 0xFF8040},
                   {32, 0xFF0000, 0xFF00, 0xFF, 0xFF8040},
                   {32, 0x0000FF, 0xFF00, 0xFF0000, 0x4080FF},
                   {32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0x3FC80100}};
    for (const auto& f : formats) {
        ka3D::Init();
        ka3D::SetAmbient(1.0f);
        ka3D::SetBackground(1.0f, 0.5f, 0.25f);
        Block(0, 0, 0, 1.0f, 0.5f, 0.25f);
        Canvas c(64, 48, f.bits, f.r, f.g, f.b, /*padding=*/3);
        GameCamera(64, 48, 0, 10);
        c.Render();
        EXPECT_EQ(c.Pixel(32, 24), f.expected) << std::hex << f.r;
        EXPECT_EQ(c.Pixel(0, 0), f.expected) << std::hex << f.r;
        for (int y = 0; y < 48; ++y) {  // bytes beyond each row's width stay as they were
            for (int k = 64 * c.bytes; k < c.target.colorPitch; ++k)
                ASSERT_EQ(c.color[size_t(y) * c.target.colorPitch + k], 0xA5);
            ASSERT_EQ(c.depth[size_t(y) * 67 + 64], 0x1234);
        }
    }
    ka3D::Init();
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(cube, 160, 120, 10, 20, 12, frames);
    ka3D::DemoOrbit(37.0f, 40.0f);
    Canvas pairs[][2] = {{Canvas(160, 120, 16, 0xF800, 0x07E0, 0x001F),
                          Canvas(160, 120, 32, 0xF800, 0x07E0, 0x001F)},
                         {Canvas(160, 120, 16, 0x7C00, 0x03E0, 0x001F),
                          Canvas(160, 120, 32, 0x7C00, 0x03E0, 0x001F)},
                         {Canvas(160, 120, 32), Canvas(160, 120, 24)}};
    for (auto& p : pairs) {
        p[0].Render();
        p[1].Render();
        for (int i = 0; i < 160 * 120; ++i)
            ASSERT_EQ(p[0].Pixel(i % 160, i / 160), p[1].Pixel(i % 160, i / 160)) << i;
        EXPECT_EQ(p[0].depth, p[1].depth);
        EXPECT_GT(p[0].CoverOf(0).count, 2000);
    }
}

TEST_F(RenderTest, FramesCrossingTheFrontAndBackPlanesDrawOnlyTheirVisiblePart) {
    ka3D::CreateCamera(1, 0, 0, 640, 480);  // at the origin, looking along +z
    ka3D::UseFrameColor();
    ka3D::Mesh wall;  // at x = 2 from behind the eye to 50 units ahead, facing the eye
    wall.positions = {{2, 1, -50}, {2, 1, 50}, {2, -1, -50}, {2, -1, 50}};
    wall.normals = {{-1, 0, 0}};
    wall.triangles = {{{{0, 0}, {2, 0}, {1, 0}}}, {{{1, 0}, {2, 0}, {3, 0}}}};
    ka3D::SetFrameColor(ka3D::LoadObjectFromMesh(wall, 0, nullptr), 0, 1, 0);
    Canvas c(640, 480);
    c.Render();
    Canvas::Cover cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 + 480 * 2 / 50.0, 1.0);
    EXPECT_EQ(cover.x1, 639);
    for (int x = cover.x0 + 1; x < 640; x += 37) {  // its height shrinks with distance
        int top = 0;
        while (top < 480 && c.Pixel(x, top) == 0) ++top;
        EXPECT_NEAR(240 - top, 480 / (480 * 2.0 / (x + 0.5 - 320)), 1.5) << x;
    }
    ka3D::SetCameraRange(1, 20, 30);
    c.Render();
    cover = c.CoverOf(0);
    EXPECT_NEAR(cover.x0, 320 + 480 * 2 / 30.0, 1.0);
    EXPECT_NEAR(cover.x1 + 1, 320 + 480 * 2 / 20.0, 1.0);
}

TEST_F(RenderTest, AbsurdNumbersNeitherCrashNorSpoilTheRest) {
    const float inf = std::numeric_limits<float>::infinity(),
                nan = std::numeric_limits<float>::quiet_NaN();
    Block(0, 0, 0, 1, 0, 0);
    ka3D::Frame* lost = Block(3, 0, 0, 0, 1, 0);
    ka3D::SetFramePosition(lost, nan, 0, 0);  // ignored
    ka3D::SetFrameColor(lost, nan, inf, 0);   // ignored
    Block(1e30f, -1e30f, 3e38f, 0, 0, 1);
    Block(0, 0, -64.5f, 1, 1, 0);  // just behind the front plane
    Block(2, 2, -63.8f, 1, 1, 0);  // crossing it
    ka3D::CreateLight(1, nan, 3);
    ka3D::SetLightPosition(1, inf, 0, 0);
    GameCamera(640, 480, 0);
    ka3D::SetCameraPosition(1, nan, 0, 0);
    Canvas c(640, 480);
    c.Render();
    EXPECT_EQ(c.Pixel(320, 240), kRed);
    EXPECT_GT(Only(c, kGreen), 50u);
    ka3D::CreateCamera(2, -2000000000, -2000000000, 2000000000, 2000000000);
    ka3D::CreateCamera(3, 100, 100, 50, 50);  // turned inside out
    c.Render();
}

TEST_F(RenderTest, RenderingAllocatesNothingEvenWithTheCameraDrivenThroughTheWell) {
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(cube, 160, 120, 30, 30, 30, frames);
    Canvas c(160, 120, 16, 0xF800, 0x07E0, 0x001F);
    c.Render();
    const long before = newCallCount;
    int drawn = 0;
    float angle = 3.0f;
    for (float distance = 65.0f; distance > 0.01f; distance *= 0.9f, angle += 7.3f) {
        ka3D::DemoOrbit(angle, distance);
        ka3D::HideFrame(frames[29]);
        c.Render();
        ka3D::UndoDemoOrbit(angle);
        drawn += c.CoverOf(0).count > 0;
    }
    EXPECT_GT(drawn, 20);
    EXPECT_EQ(newCallCount, before);
}

}  // namespace
