// A drawn block's colour lands in the bits of a 5-6-5 pixel as the masks say.
#include <gtest/gtest.h>

#include <vector>

#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace {

// The colour of the centre pixel of a 5-6-5 picture of one flat-lit block of the given colour.
uint16_t CentrePixelOf565Block(float red, float green, float blue) {
    constexpr int kSide = 40;
    std::vector<uint16_t> color(kSide * kSide, 0);
    std::vector<uint16_t> depth(kSide * kSide, 0);
    ka3D::RenderTarget target = {color.data(), kSide * 2, kSide,  kSide, 16,
                                 0xF800,       0x07E0,    0x001F, depth.data(), kSide * 2};
    ka3D::Mesh cube;
    ka3D::Init();
    ka3D::BuildBoxMesh(0.95f, &cube);
    ka3D::SetAmbient(1.0f);  // no light: every drawn pixel is the frame's colour
    ka3D::UseFrameColor();
    ka3D::Frame* block = ka3D::LoadObjectFromMesh(cube, 0, nullptr);
    ka3D::SetFramePosition(block, 0, 0, 0);
    ka3D::SetFrameColor(block, red, green, blue);
    ka3D::CreateCamera(1, 0, 0, kSide, kSide);
    ka3D::SetCameraPosition(1, 0, 0, 10);  // looking along +z at the block
    ka3D::RenderInto(target);
    ka3D::Release();
    return color[kSide / 2 * kSide + kSide / 2];
}

TEST(PixelBits, FullGreenFillsTheSixGreenBitsOnly) {
    EXPECT_EQ(CentrePixelOf565Block(0, 1, 0), 0x07E0);
}

TEST(PixelBits, FullRedFillsTheFiveRedBitsOnly) {
    EXPECT_EQ(CentrePixelOf565Block(1, 0, 0), 0xF800);
}

}  // namespace
