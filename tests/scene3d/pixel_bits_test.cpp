// A lit block's shades land in the bits of a 5-6-5 pixel as the masks say: the 5-6-5 picture is
// the 8-8-8 picture of the same scene with each channel's low bits dropped.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace {

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

}  // namespace
