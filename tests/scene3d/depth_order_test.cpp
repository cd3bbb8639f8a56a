// Depth exact enough at every camera distance: a well drawn with its blocks in one order and in
// the reverse order gives the same picture, pixel for pixel, from near the well to far away
// (the game's Page Down takes the camera out to 1500 and beyond).
#include <gtest/gtest.h>

#include <vector>

#include "scene3d/box_mesh.h"
#include "scene3d/demo_scene.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "tests/scene3d/canvas.h"

namespace {

// Hides every shown block and shows them again, first to last or last to first.
void ReorderShown(ka3D::Frame** frames, const std::vector<int>& shown, bool reverse) {
    for (int i : shown) ka3D::HideFrame(frames[i]);
    for (size_t k = 0; k < shown.size(); ++k) {
        ka3D::ShowFrame(frames[shown[reverse ? shown.size() - 1 - k : k]]);
    }
}

}  // namespace

TEST(DepthOrder, NoPixelDependsOnTheDrawingOrderAtAnyDistance) {
    ka3D::Mesh block;
    if (!ka3D::LoadXFile(KORAVEN_SOURCE_DIR "/resources/koraven.x", &block)) {
        ka3D::BuildBoxMesh(0.95f, &block);
    }
    static ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::Init();
    ka3D::BuildDemoScene(block, 640, 480, 10, 20, 20, frames);
    std::vector<int> shown;
    for (int i = 0; i < ka3D::kDemoBlocks; ++i) {
        if (ka3D::FrameShown(frames[i])) shown.push_back(i);
    }
    ASSERT_GT(shown.size(), 150u);
    for (float distance : {65.0f, 120.0f, 200.0f, 400.0f, 800.0f, 1500.0f}) {
        for (float angle : {0.0f, 33.0f, 71.0f}) {
            Canvas forward(640, 480, 16, 0xF800, 0x07E0, 0x001F);
            Canvas backward(640, 480, 16, 0xF800, 0x07E0, 0x001F);
            ka3D::DemoOrbit(angle, distance);
            ReorderShown(frames, shown, false);
            forward.Render();
            ReorderShown(frames, shown, true);
            backward.Render();
            ka3D::UndoDemoOrbit(angle);
            int differing = 0;
            for (size_t i = 0; i < forward.color.size(); i += 2) {
                differing += forward.color[i] != backward.color[i] ||
                             forward.color[i + 1] != backward.color[i + 1];
            }
            EXPECT_EQ(differing, 0) << "distance " << distance << ", angle " << angle;
            EXPECT_GT(forward.CoverOf(0).count, 20) << "the well is in the picture";
        }
    }
    ka3D::Release();
}
