// Building the scene: the error table, loading and its frames, showing and hiding, the
// position convention, and cameras and lights made again.
#include <gtest/gtest.h>

#include <string>

#include "canvas.h"
#include "display/error_report.h"
#include "display/program_directory.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace {

std::string LastError() {
    return kaDraw::lastErrorText;
}

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ka3D::Init();
        kaDraw::lastErrorText[0] = '\0';
        ka3D::BuildBoxMesh(0.5f, &cube);
    }
    void TearDown() override { ka3D::Release(); }

    // A block of its own colour, lit flat.
    ka3D::Frame* Block(float x, float r, float g, float b) {
        ka3D::SetAmbient(1.0f);
        ka3D::UseFrameColor();
        ka3D::Frame* f = ka3D::LoadObjectFromMesh(cube, 0, nullptr);
        ka3D::SetFramePosition(f, x, 0, 0);
        ka3D::SetFrameColor(f, r, g, b);
        return f;
    }

    ka3D::Mesh cube;
};

TEST_F(SceneTest, LightAndCameraNumbersAndDirectionsAreChecked) {
    int errors = kaDraw::errorCount;
    EXPECT_EQ(ka3D::CreateLight(0, 0.7f, 3), 0);
    EXPECT_EQ(LastError(), "ka3D::CreateLight : ライトNoが範囲外です");
    EXPECT_EQ(ka3D::CreateLight(4, 0.7f, 3), 0);
    EXPECT_EQ(ka3D::CreateLight(0, 0.7f, 10), 0);  // the number is checked first
    EXPECT_EQ(ka3D::CreateLight(2, 0.7f, 10), 0);
    EXPECT_EQ(LastError(), "ka3D::CreateLight : ライト方向が異常です");
    EXPECT_EQ(ka3D::CreateLight(2, 0.7f, -1), 0);
    EXPECT_EQ(ka3D::CreateCamera(5, 0, 0, 10, 10), 0);
    EXPECT_EQ(LastError(), "ka3D::CreateCamera : カメラNoが範囲外です");
    EXPECT_EQ(ka3D::CreateCamera(0, 0, 0, 10, 10), 0);
    // The valid ends of each range report nothing.
    EXPECT_EQ(ka3D::CreateLight(1, 0.7f, 0) + ka3D::CreateLight(3, 0.7f, 9) +
                  ka3D::CreateCamera(1, 0, 0, 10, 10) + ka3D::CreateCamera(4, 0, 0, 10, 10) +
                  ka3D::Init(),
              5);
    EXPECT_EQ(kaDraw::errorCount, errors + 7);
    // Operations on slots that do not exist are ignored.
    ka3D::SetCameraPosition(7, 1, 2, 3);
    ka3D::TurnCamera(-1, 90);
    ka3D::SetLightPosition(0, 1, 2, 3);
    ka3D::SetCameraRange(9, 1, 2);
}

TEST_F(SceneTest, UnreadableShapeFileKeepsItsFramesInTheScene) {
    kaDraw::SetModulePath("/nonexistent/folder/koraven.scr");
    ka3D::Frame* frames[900] = {};
    ka3D::UseFrameColor();
    EXPECT_EQ(ka3D::LoadObject("koraven.x", 900, frames), nullptr);
    EXPECT_EQ(LastError(), "ka3D::LoadObject : Xファイルを読み込めません");
    EXPECT_EQ(ka3D::ShownFrameCount(), 900);
    for (int i = 0; i < 900; ++i)
        ASSERT_TRUE(frames[i] && ka3D::FrameShown(frames[i]) && (!i || frames[i] != frames[i - 1]));
    // The frames work as any other and draw nothing.
    ka3D::SetFramePosition(frames[3], 1, 2, 3);
    ka3D::HideFrame(frames[3]);
    EXPECT_EQ(ka3D::ShownFrameCount(), 899);
    ka3D::CreateCamera(1, 0, 0, 32, 32);
    ka3D::SetBackground(0, 0, 1);
    Canvas c(32, 32);
    c.Render();
    EXPECT_EQ(c.CoverOf(0x0000FF).count, 0);
    EXPECT_EQ(ka3D::LoadObject(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(ka3D::LoadObject(std::string(600, 'x').c_str(), 0, nullptr), nullptr);
    EXPECT_EQ(ka3D::ShownFrameCount(), 901);
}

TEST_F(SceneTest, ShippedShapeLoadsFromTheProgramFolder) {
    kaDraw::SetModulePath(KORAVEN_SOURCE_DIR "/resources/koraven.scr");
    int errors = kaDraw::errorCount;
    ka3D::Frame* f = ka3D::LoadObject("koraven.x", 0, nullptr);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(kaDraw::errorCount, errors);
    ka3D::SetAmbient(1.0f);
    ka3D::CreateCamera(1, 0, 0, 64, 64);
    ka3D::SetCameraPosition(1, 0, 0, 5);
    Canvas c(64, 64);
    c.Render();
    EXPECT_EQ(c.Pixel(32, 32), 0xFFFFFFu);  // white without the frame-colour option
}

TEST_F(SceneTest, FrameColourOptionHoldsForOneLoad) {
    Block(-1, 1, 0, 0);
    ka3D::Frame* plain = ka3D::LoadObjectFromMesh(cube, 0, nullptr);  // option cleared
    ka3D::SetFrameColor(plain, 0, 1, 0);
    ka3D::SetFramePosition(plain, 1, 0, 0);
    ka3D::CreateCamera(1, 0, 0, 64, 64);
    ka3D::SetCameraPosition(1, 0, 0, 10);
    Canvas c(64, 64);
    c.Render();
    EXPECT_EQ(c.Pixel(32 - 6, 32), 0xFF0000u);
    EXPECT_EQ(c.Pixel(32 + 6, 32), 0xFFFFFFu);
}

TEST_F(SceneTest, TurnsCombineBeforeThePresentOrientation) {
    // Tilt 180 then turn 90, the turn combined before the tilt: the eye at the scene's origin
    // looks along +x; combined after the tilt it would look along -x.
    Block(-10, 1, 0, 0);
    Block(10, 0, 1, 0);
    ka3D::CreateCamera(1, 0, 0, 64, 64);
    ka3D::TiltCamera(1, 180);
    ka3D::TurnCamera(1, 90);
    Canvas c(64, 64);
    c.Render();
    EXPECT_EQ(c.Pixel(32, 32), 0x00FF00u);
    ka3D::TurnCamera(1, -180);
    c.Render();
    EXPECT_EQ(c.Pixel(32, 32), 0xFF0000u);
}

TEST_F(SceneTest, FramesOutliveReleaseAndNothingIsDrawnAfterIt) {
    ka3D::Frame* f = Block(0, 1, 1, 1);
    ka3D::CreateCamera(1, 0, 0, 16, 16);
    ka3D::Release();
    // The program may still touch its frames during shutdown.
    ka3D::HideFrame(f);
    ka3D::ShowFrame(f);
    ka3D::SetFramePosition(f, 1, 2, 3);
    Canvas c(16, 16);
    c.Render();
    EXPECT_EQ(c.Pixel(8, 8), 0xA5A5A5A5u);
    EXPECT_EQ(ka3D::Init(), 1);  // starts afresh
    EXPECT_EQ(ka3D::ShownFrameCount(), 0);
}

}  // namespace
