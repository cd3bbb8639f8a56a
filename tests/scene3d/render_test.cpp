// The 3D layer: the .x loader, the device choice, the rasterizer's pixel rules, and scenes
// rendered into memory: projection under the game's camera, depth, lighting, clipping, pixel
// formats, and the renderer on every core (bands drawn apart give the pixels of one thread, kept
// buffers cleared only where the blocks were give the picture of a whole clear).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
#include "scene3d/render_bands.h"
#include "tests/alloc_count.h"

namespace {

// A colour and a depth buffer, 8-8-8-8 or 5-6-5, filled with 0xA5 and 0x1234.
struct Canvas {
    int width, height, bytes;
    std::vector<uint8_t> color;
    std::vector<uint16_t> depth;
    ka3D::RenderTarget target;
    Canvas(int w, int h, int bits = 32) : width(w), height(h), bytes(bits / 8) {
        color.assign(size_t(w) * h * bytes, 0xA5);
        depth.assign(size_t(w) * h, 0x1234);
        const bool deep = bits == 32;
        const uint32_t r = deep ? 0xFF0000 : 0xF800, g = deep ? 0xFF00 : 0x07E0,
                       b = deep ? 0xFF : 0x1F;
        target = {color.data(), w * bytes, w, h, bits, r, g, b, depth.data(), w * 2};
    }
    void Render() { ka3D::RenderInto(target); }
    uint32_t Pixel(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, &color[y * target.colorPitch + x * bytes], bytes);
        return v;
    }
    // Number and bounding box of the pixels of one colour, or of all others.
    struct Cover {
        int count = 0, x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    };
    Cover Of(uint32_t colour, bool others = false) const {
        Cover c;
        for (int i = 0; i < width * height; ++i) {
            const int x = i % width, y = i / width;
            if ((Pixel(x, y) == colour) == others) continue;
            ++c.count;
            c.x0 = std::min(c.x0, x);
            c.y0 = std::min(c.y0, y);
            c.x1 = std::max(c.x1, x);
            c.y1 = std::max(c.y1, y);
        }
        return c;
    }
};

using ka3D::Mesh;
using ka3D::Vec3;

// Whether the text parses; a failed parse must leave the mesh empty.
bool Parses(const std::string& text, Mesh* m) {
    *m = Mesh{{Vec3{1, 2, 3}}, {}, {}};
    const bool ok = ka3D::ParseXText(text.data(), text.size(), m);
    EXPECT_TRUE(ok || (m->positions.empty() && m->normals.empty() && m->triangles.empty()));
    return ok;
}

const std::string kHeader = "xof 0302txt 0032\n";

TEST(XFile, FramesNestOnlySoDeep) {
    Mesh m;
    auto nested = [](int depth) {
        std::string s = kHeader;
        for (int i = 0; i < depth; ++i) s += "Frame {";
        return s + "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }" + std::string(depth, '}');
    };
    EXPECT_TRUE(Parses(nested(60), &m));
    EXPECT_FALSE(Parses(nested(100000), &m));  // refused, not a stack overflow
}

TEST(XFile, BadFilesAreRefusedWithoutAllocating) {
    Mesh m;
    EXPECT_FALSE(ka3D::LoadXFile("/nonexistent/koraven.x", &m));
    EXPECT_FALSE(ka3D::LoadXFile(nullptr, &m));
    EXPECT_FALSE(ka3D::LoadXFile(KORAVEN_SOURCE_DIR, &m));  // a directory
    const std::string v = "3; 0;0;0;, 0;1;0;, 1;0;0;; ", mesh = "Mesh { " + v + "1; 3;0,1,2;; ",
                      n = mesh + "MeshNormals { 1; 0;0;1;; ", m1 = "1,0,0,0, 0,1,0,0, 0,0,1,0, ";
    for (const char* header :
         {"xof 0302bin 0032", "xof 0302tzip0032", "xof 0302txt 0016", "xof 0201txt 0032",
          "xof 0304txt 0032", "XOF 0302txt 0032", " xof 0302txt 0032", "xof 0302txt", ""})
        EXPECT_FALSE(Parses(header + ("\n" + mesh + "}"), &m)) << header;
    const std::string bad[] = {
        "", "Mesh { 0;; 0;; }",  // nothing to draw
        // Counts that would ask for gigabytes if trusted (under ASan such an allocation aborts).
        "Mesh { 2000000000; 0;0;0;; 1; 3;0,0,0;; }", "Mesh { 4294967297; 0;0;0;; 1; 3;0,0,0;; }",
        "Mesh { " + v + "2000000000; 3;0,1,2;; }", "Mesh { " + v + "1; 2000000000;0,1,2;; }",
        mesh + "MeshNormals { 1500000000; 0;0;1;; 1; 3;0,0,0;; } }",
        "Mesh { -3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }", "Mesh { " + v + "1; 3;0,1,3;; }",
        "Mesh { 3.0; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }", n + "1; 3;0,1,0;; } }",
        n + "2; 3;0,0,0;, 3;0,0,0;; } }", n + "1; 4;0,0,0,0;; } }",
        mesh + "MeshMaterialList { 1; 1; 1;; } }", mesh + "Unknown { \"open }", mesh,
        "Mesh { 3; 0;0;0;, 0;1;0;, 1e999;0;0;; 1; 3;0,1,2;; }", "template { }", "} " + mesh + "}",
        "Frame { FrameTransformMatrix { " + m1 + ";; } }",  // 12 of 16 values
        "Frame { FrameTransformMatrix { 1e30,0,0,0, " + m1.substr(9) +
            "0,0,0,1;; } Mesh { 3; 1e30;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; } }"};  // 1e60
    for (const std::string& b : bad) EXPECT_FALSE(Parses(kHeader + b, &m)) << b;
}

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

// A point light shines on each vertex from its own direction: close to one edge of the face
// in view, it lights that edge's corners more than the far ones, though every corner of the
// face has the same normal.
TEST_F(Scene, APointLightLightsEachCornerFromWhereItIs) {
    ka3D::SetAmbient(0.0f);
    ASSERT_EQ(ka3D::CreateLight(1, 1.0f, 0), 1);
    ka3D::SetLightPosition(1, 0.9f, 0, 1.2f);
    Block(0, 0, 0, 1, 1, 1);
    ka3D::CreateCamera(1, 0, 0, 200, 200);
    ka3D::SetCameraPosition(1, 0, 0, 10);
    Canvas c(200, 200);
    c.Render();
    const int nearLight = int(c.Pixel(115, 100) >> 16 & 255);
    const int farFromLight = int(c.Pixel(85, 100) >> 16 & 255);
    EXPECT_GT(nearLight, farFromLight + 20);
}

// The 16-bit depth buffer spends its range on the blocks in view, from inside the well to far out
// (Page Down takes the camera to 1500 and beyond), so that faces meeting at a block's edge never
// share a depth value; no render allocates.
TEST(DepthRange, TheBlocksInViewSpreadOverMostOfTheDepthRangeAtEveryDistance) {
    ka3D::Mesh block;
    ASSERT_TRUE(ka3D::LoadXFile(KORAVEN_SOURCE_DIR "/resources/koraven.x", &block));
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ResetSettings();  // the blocks take the default colours
    ka3D::BuildDemoScene(block, 640, 480, 10, 20, 20, frames);
    Canvas canvas(640, 480, 16);
    canvas.Render();
    long allocations = 0;
    for (float distance : {65.0f, 200.0f, 800.0f, 1500.0f, 5.0f}) {
        ka3D::DemoOrbit(33.0f, distance);
        const long before = newCallCount;
        canvas.Render();
        allocations += newCallCount - before;
        ka3D::UndoDemoOrbit(33.0f);
        int nearest = 65535, farthest = 0;
        for (int y = 0; y < canvas.height; ++y) {
            for (int x = 0; x < canvas.width; ++x) {
                if (canvas.Pixel(x, y) == 0) continue;
                nearest = std::min(nearest, int(canvas.depth[y * canvas.width + x]));
                farthest = std::max(farthest, int(canvas.depth[y * canvas.width + x]));
            }
        }
        EXPECT_GT(farthest - nearest, 16384) << "at " << distance;
    }
    EXPECT_EQ(allocations, 0);
    ka3D::Release();
}

constexpr int kSide = 64;

// One block lit from the side, so its pixels take many shades, drawn into a target of the
// given depth; the pixels as 32-bit values.
std::vector<uint32_t> RenderLitBlock(int bits, uint32_t r, uint32_t g, uint32_t b) {
    const int bytes = bits / 8;
    std::vector<uint8_t> color(kSide * kSide * bytes, 0);
    std::vector<uint16_t> depth(kSide * kSide, 0);
    ka3D::RenderTarget target = {color.data(), kSide * bytes, kSide, kSide, bits, r, g, b,
                                 depth.data(), kSide * 2};
    ka3D::Mesh cube;
    ka3D::Init();
    ka3D::BuildBoxMesh(0.95f, &cube);
    ka3D::SetAmbient(0.3f);
    ka3D::CreateLight(1, 0.7f, 3);
    ka3D::UseFrameColor();
    ka3D::Frame* block = ka3D::LoadObjectFromMesh(cube, 0, nullptr);
    ka3D::SetFramePosition(block, 0, 0, 0);
    ka3D::SetFrameColor(block, 0.9f, 0.8f, 0.7f);
    ka3D::CreateCamera(1, 0, 0, kSide, kSide);
    ka3D::SetCameraPosition(1, 2, 1, 8);
    ka3D::RenderInto(target);
    ka3D::Release();
    std::vector<uint32_t> pixels(kSide * kSide);
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t v = 0;
        std::memcpy(&v, &color[i * bytes], bytes);
        pixels[i] = v;
    }
    return pixels;
}

TEST(PixelBits, FiveSixFivePixelsAreTheTrueColourPixelsTopBits) {
    const std::vector<uint32_t> wide = RenderLitBlock(32, 0xFF0000, 0x00FF00, 0x0000FF);
    const std::vector<uint32_t> narrow = RenderLitBlock(16, 0xF800, 0x07E0, 0x001F);
    int drawn = 0;
    for (size_t i = 0; i < wide.size(); ++i) {
        const uint32_t w = wide[i];
        if (w == 0) continue;
        ++drawn;
        const uint32_t want = ((w >> 19 & 0x1F) << 11) | ((w >> 10 & 0x3F) << 5) | (w >> 3 & 0x1F);
        ASSERT_EQ(narrow[i], want) << "pixel " << i;
    }
    EXPECT_GT(drawn, 100);
}

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
    void RenderAt(Canvas& b, float angle, float distance = 65.0f) {
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
            Canvas one(c.width, c.height, c.bits), many(c.width, c.height, c.bits);
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

TEST_F(Bands, KeptBuffersClearedWhereTheBlocksWereGiveTheWholeClearsPicture) {
    ka3D::KeepPictures(true);
    Well(640, 480);
    Canvas kept(640, 480, 16);
    RenderAt(kept, 0);
    RenderAt(kept, 25);
    for (int i = 0; i < ka3D::kDemoBlocks; i += 2) ka3D::HideFrame(frames[i]);  // blocks go
    RenderAt(kept, 50, 90.0f);  // and the well shrinks on the screen
    ka3D::KeepPictures(false);
    Canvas fresh(640, 480, 16);
    RenderAt(fresh, 50, 90.0f);
    EXPECT_EQ(kept.color, fresh.color);
    EXPECT_EQ(kept.depth, fresh.depth);
}

// A restored surface has lost its contents: the next picture clears the whole viewport.
TEST_F(Bands, ForgottenPicturesClearTheWholeViewport) {
    Well(320, 240, 10);
    Canvas reference(320, 240, 32);
    RenderAt(reference, 20);  // cleared whole: not kept
    ka3D::KeepPictures(true);
    Canvas kept(320, 240, 32);
    RenderAt(kept, 20);
    std::memset(kept.color.data(), 0x5A, kept.color.size());
    ka3D::ForgetLastPictures();
    RenderAt(kept, 20);
    EXPECT_EQ(kept.color, reference.color);
}

}  // namespace
