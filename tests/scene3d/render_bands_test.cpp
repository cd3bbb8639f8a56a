// The renderer on every core: bands drawn apart give the pixels of one thread, worker threads
// start once and end with the layer, and kept buffers cleared only where the blocks were give the
// picture of a whole clear. (That no render allocates is render_test's DepthOrder.)
#include <gtest/gtest.h>

#include <cstring>

#include "game/demo_scene.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "scene3d/render_bands.h"
#include "settings/settings.h"
#include "tests/scene3d/canvas.h"

namespace {

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

TEST_F(Bands, WorkersStartOnceAndEndWhenTheLayerIsReleased) {
    ka3D::SetRenderThreads(3);
    Well(320, 240);
    Canvas b(320, 240, 32);
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
