// The 3D layer: the device choice, the rasterizer's pixel rules, and scenes rendered into
// memory: projection under the game's camera, depth, lighting, clipping and pixel formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "scene3d/box_mesh.h"
#include "game/demo_scene.h"
#include "settings/settings.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "scene3d/raster.h"
#include "tests/alloc_count.h"
#include "tests/scene3d/canvas.h"

namespace {

using ka3D::DeviceInfo;
constexpr uint32_t kRGB = ka3D::kColorModelRGB, kMono = ka3D::kColorModelMono;
constexpr uint32_t k16 = ka3D::kDepth16, k24 = ka3D::kDepth24, k32 = ka3D::kDepth32;

DeviceInfo Hw(uint32_t model, uint32_t z = k16, uint32_t render = k16 | k24 | k32) {
    return DeviceInfo{"hw", {model, render, z}, {kRGB, render, k16}};
}
DeviceInfo Sw(uint32_t model) {
    return DeviceInfo{"sw", {}, {model, k16 | k24 | k32, k16}};
}

TEST(Config, HardwareRGBThenHardwareMonoThenTheLastSoftwareMonoWithTheSmallestZBuffer) {
    const struct {
        std::vector<DeviceInfo> table;
        int chosen;  // -1: none usable
        bool hardware = false;
        int z = 16;
    } cases[] = {
        {{Sw(kRGB), Sw(kMono)}, 1},
        {{Sw(kMono), Hw(kMono), Hw(kRGB)}, 2, true},
        {{Hw(kMono), Sw(kMono)}, 0, true},
        {{Hw(kRGB, k16, ka3D::kDepth8), Sw(kMono)}, 1},  // cannot draw 16 to 32 bits
        {{Hw(kRGB, k16 | k24)}, 0, true},                // the smallest Z-buffer
        {{Hw(kRGB, k24 | k32)}, 0, true, 24},
        {{}, -1},
        {{Sw(kRGB)}, -1},  // a software RGB device alone is dropped by the mono pass
        {{Sw(3), DeviceInfo{"none", {}, {}}}, -1},
    };
    ka3D::SetDisplayForConfig(640, 480, 4u << 20);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        lastErrorText[0] = '\0';
        EXPECT_EQ(ka3D::ConfigFromTable(c.table.data(), static_cast<int>(c.table.size())),
                  c.chosen >= 0);
        EXPECT_EQ(ka3D::ChosenDevice(), c.chosen);
        EXPECT_EQ(lastErrorText,
                  std::string(c.chosen < 0 ? "ka3D::Config : Direct3D RMが使用できません" : ""));
        if (c.chosen < 0) continue;
        EXPECT_EQ(ka3D::HardwareDeviceChosen(), c.hardware);
        EXPECT_EQ(ka3D::ZBufferDepth(), c.z);
        EXPECT_TRUE(c.hardware || !ka3D::ZBufferInVideoMemory());
    }
    EXPECT_EQ(ka3D::ConfigFromTable(nullptr, 3), 0);
}

// The rasterizer on its own, on a cleared 32-bit canvas.
struct Raster : Canvas {
    ka3D::RasterTarget t;
    Raster(int w, int h, int bits = 32) : Canvas(w, h, bits) { ka3D::PrepareTarget(target, &t); }
    // Adds 1 to `hits` for each pixel the triangle, or the quad a b c d, draws.
    void Draw(std::vector<int>& hits, ka3D::RasterVertex a, ka3D::RasterVertex b,
              ka3D::RasterVertex c, const ka3D::RasterVertex* d = nullptr) {
        ka3D::ClearClipRect(t, 0);
        d ? ka3D::DrawQuad(t, a, b, c, *d) : ka3D::DrawTriangle(t, a, b, c);
        for (int i = 0; i < width * height; ++i) hits[i] += Pixel(i % width, i / width) != 0;
    }
};

ka3D::RasterVertex At(double x, double y, float g = 200) {
    const auto fixed = [](double v) { return int32_t(std::lround(v * ka3D::kSubPixel)); };
    return {fixed(x), fixed(y), 100, 200, g, 200};
}

// Quads from pixel centre to pixel centre, split both ways and drawn whole: every edge is a
// tie. Top and left edges are in, bottom and right edges out: pixels 4 .. 31 exactly.
TEST(Raster, SharedEdgesDrawEachPixelOnce) {
    Raster s(40, 40);
    std::vector<int> hits(1600), quads(1600);
    for (int i = 0; i < 16; ++i) {
        const double x0 = 4.5 + 7 * (i % 4), y0 = 4.5 + 7 * (i / 4), x1 = x0 + 7, y1 = y0 + 7;
        const auto tl = At(x0, y0), tr = At(x1, y0), bl = At(x0, y1), br = At(x1, y1);
        const bool other = (i % 4 + i / 4) % 2;
        s.Draw(hits, tl, other ? tr : br, bl);
        s.Draw(hits, other ? tr : tl, other ? br : tr, other ? bl : br);
        s.Draw(quads, tl, tr, br, &bl);
    }
    EXPECT_EQ(quads, hits);
    for (int i = 0; i < 1600; ++i) {
        const bool inside = i % 40 >= 4 && i % 40 < 32 && i / 40 >= 4 && i / 40 < 32;
        ASSERT_EQ(hits[i], inside ? 1 : 0) << "pixel (" << i % 40 << ", " << i / 40 << ")";
    }
}

// A flat rectangle at depth 100 over a depth buffer holding 99, 100 and 101 in turn, and the
// far value 0xFFFF around it: a pixel is written where its old depth is not nearer, and the
// pixels a group of eight reaches past the span's end keep colour and depth, far value or not.
TEST(Raster, GroupsOfPixelsWriteWhereNotNearerAndKeepPixelsPastTheSpan) {
    for (int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        Raster s(40, 8, bits);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 2 && x < 21 && y >= 1 && y < 5;
                s.depth[y * 40 + x] = inside ? static_cast<uint16_t>(99 + x % 3) : 0xFFFF;
            }
        }
        const std::vector<uint8_t> before = s.color;
        const auto a = At(2.5, 1.5), b = At(21.5, 1.5), c = At(21.5, 5.5), d = At(2.5, 5.5);
        ka3D::DrawQuad(s.t, a, b, c, d);  // 19 pixels a row: two groups of eight and three
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 2 && x < 21 && y >= 1 && y < 5;
                const bool written = inside && x % 3 != 0;  // old depth 100 or 101
                const size_t at = (static_cast<size_t>(y) * 40 + x) * s.bytes;
                const bool changed = std::memcmp(&s.color[at], &before[at], s.bytes) != 0;
                ASSERT_EQ(changed, written) << "pixel (" << x << ", " << y << ")";
                const int kept = inside ? 99 + x % 3 : 0xFFFF;
                ASSERT_EQ(s.depth[y * 40 + x], written ? 100 : kept)
                    << "pixel (" << x << ", " << y << ")";
            }
        }
    }
}

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00;

class Scene : public testing::Test {
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

TEST_F(Scene, BlocksLandWhereTheGameCameraProjectsThemTheNearerHidingTheFarther) {
    Canvas c(640, 480);
    Block(0, 0, 0, 1, 0, 0);
    GameCamera(640, 480, 0);
    c.Render();
    const double half = 480.0 * 0.95 / (65.0 - 0.95);  // 480 pixels a unit at distance 1
    Canvas::Cover cover = c.Of(0, true);
    EXPECT_NEAR(cover.x0, 320 - half, 1.0);
    EXPECT_NEAR(cover.x1 + 1, 320 + half, 1.0);
    EXPECT_NEAR(cover.y0, 240 - half, 1.0);
    EXPECT_EQ(cover.count, (cover.x1 - cover.x0 + 1) * (cover.y1 - cover.y0 + 1));
    for (int order = 0; order < 2; ++order) {  // program z -2 is nearer at angle 0
        ka3D::Init();
        ka3D::SetAmbient(1.0f);
        if (order) Block(0.5f, 0, -2, 1, 0, 0);  // the red block, made first or last
        Block(0, 0, 2, 0, 1, 0);
        if (!order) Block(0.5f, 0, -2, 1, 0, 0);
        GameCamera(640, 480, 0);
        c.Render();
        EXPECT_EQ(c.Pixel(322, 240), kRed) << order;
        EXPECT_LT(c.Of(kGreen).x1, 320) << order;
    }
}

TEST_F(Scene, LightingIsAmbientPlusDiffusePlusWhiteSpecular) {
    ka3D::SetAmbient(0.2f);
    ASSERT_EQ(ka3D::CreateLight(1, 0.3f, 5), 1);
    Block(0, 0, 0, 0.4f, 0.2f, 0.0f);
    ka3D::CreateCamera(1, 0, 0, 200, 200);
    ka3D::SetCameraPosition(1, 0, 0, 10);
    Canvas c(200, 200);  // the camera looks along +z at the block
    // Light behind the eye: N.L = 1 and N.H = 1. Behind the block: the ambient part only.
    const struct {
        float z;
        int rgb[3];
    } rows[] = {{1000, {0x7F, 0x66, 0x4D}}, {-1000, {0x14, 0x0A, 0x00}}};
    for (const auto& row : rows) {
        ka3D::SetLightPosition(1, 0, 0, row.z);
        c.Render();
        const uint32_t pixel = c.Pixel(100, 100);
        EXPECT_NEAR(int(pixel >> 16 & 255), row.rgb[0], 1) << "light at " << row.z;
        EXPECT_NEAR(int(pixel >> 8 & 255), row.rgb[1], 1) << "light at " << row.z;
        EXPECT_NEAR(int(pixel & 255), row.rgb[2], 1) << "light at " << row.z;
    }
}

// Depth exact enough at every distance, from inside the well to far out (Page Down takes the
// camera to 1500 and beyond): either drawing order gives the same picture; no render allocates.
TEST(DepthOrder, NoPixelDependsOnTheDrawingOrderAtAnyDistanceAndNoRenderAllocates) {
    ka3D::Mesh block;
    ASSERT_TRUE(ka3D::LoadXFile(KORAVEN_SOURCE_DIR "/resources/koraven.x", &block));
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ResetSettings();  // the blocks take the default colours
    ka3D::BuildDemoScene(block, 640, 480, 10, 20, 20, frames);
    std::vector<int> shown;
    for (int i = 0; i < ka3D::kDemoBlocks; ++i)
        if (ka3D::FrameShown(frames[i])) shown.push_back(i);
    Canvas forward(640, 480, 16), backward(640, 480, 16);
    forward.Render();
    long allocations = 0;
    for (float distance : {65.0f, 120.0f, 200.0f, 400.0f, 800.0f, 1500.0f, 20.0f, 5.0f, 0.5f}) {
        for (float angle : {0.0f, 33.0f, 71.0f}) {
            ka3D::DemoOrbit(angle, distance);
            for (Canvas* c : {&forward, &backward}) {
                for (int i : shown) ka3D::HideFrame(frames[i]);  // shown again first to last,
                for (size_t k = 0; k < shown.size(); ++k)        // then last to first
                    ka3D::ShowFrame(frames[shown[c == &forward ? k : shown.size() - 1 - k]]);
                const long before = newCallCount;
                c->Render();
                allocations += newCallCount - before;
            }
            ka3D::UndoDemoOrbit(angle);
            EXPECT_EQ(forward.color, backward.color) << distance << " at " << angle;
            EXPECT_GT(forward.Of(0, true).count, 20) << "the well is in the picture";
        }
    }
    EXPECT_EQ(allocations, 0);
    ka3D::Release();
}

}  // namespace
