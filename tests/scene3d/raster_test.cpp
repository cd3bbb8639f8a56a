// Pixel rules of the triangle rasterizer: triangles sharing edges cover every pixel once.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene3d/raster.h"
#include "shell/random.h"

namespace {

struct Surface {
    int w, h;
    std::vector<uint32_t> color;
    std::vector<uint16_t> depth;
    std::vector<int> hits;
    ka3D::RasterTarget t;
    Surface(int width, int height)
        : w(width), h(height), color(width * height), depth(width * height), hits(width * height) {
        ka3D::RenderTarget rt{color.data(), w * 4,        w,    h, 32, 0xFF0000, 0xFF00,
                              0xFF,         depth.data(), w * 2};
        ka3D::PrepareTarget(rt, &t);
    }
    // Draws one triangle on a cleared surface and counts the pixels it wrote.
    void Draw(ka3D::RasterVertex a, ka3D::RasterVertex b, ka3D::RasterVertex c) {
        ka3D::ClearClipRect(t, 0);
        ka3D::DrawTriangle(t, a, b, c);
        for (int i = 0; i < w * h; ++i) hits[i] += color[i] != 0;
    }
};

ka3D::RasterVertex At(double x, double y) {
    return ka3D::RasterVertex{static_cast<int32_t>(std::lround(x * ka3D::kSubPixel)),
                              static_cast<int32_t>(std::lround(y * ka3D::kSubPixel)),
                              100,
                              200,
                              200,
                              200};
}

TEST(Raster, GridThroughPixelCentresCoversEachPixelOnce) {
    // Quads from pixel centre to pixel centre, split both ways: every edge is a tie.
    Surface s(40, 40);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            double x0 = 4.5 + 7 * x, y0 = 4.5 + 7 * y, x1 = x0 + 7, y1 = y0 + 7;
            if ((x + y) % 2) {
                s.Draw(At(x0, y0), At(x1, y0), At(x0, y1));
                s.Draw(At(x1, y0), At(x1, y1), At(x0, y1));
            } else {
                s.Draw(At(x0, y0), At(x1, y1), At(x0, y1));
                s.Draw(At(x0, y0), At(x1, y0), At(x1, y1));
            }
        }
    }
    // Top and left edges are in, bottom and right edges out: pixels 4 .. 31 exactly.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            int expected = (x >= 4 && x < 32 && y >= 4 && y < 32) ? 1 : 0;
            ASSERT_EQ(s.hits[y * 40 + x], expected) << x << "," << y;
        }
    }
}

TEST(Raster, QuadDrawsExactlyWhatItsTwoTrianglesDraw) {
    SeedRand(11);
    for (int round = 0; round < 200; ++round) {
        // Four corners clockwise around a centre; some rounds make the quad concave or give
        // its corners different colours, which must not change a pixel either.
        const double cx = 24 + (Rand() % 256) / 256.0, cy = 24 + (Rand() % 256) / 256.0;
        ka3D::RasterVertex q[4];
        for (int i = 0; i < 4; ++i) {
            double a = (i + (Rand() % 100) / 150.0) * 2 * 3.14159265358979 / 4;
            double r = (round % 5 == 0 && i == 2) ? 2.0 : 6 + (Rand() % 1600) / 100.0;
            q[i] = At(cx + r * std::cos(a), cy + r * std::sin(a));
            if (round % 3 == 0) q[i].g = static_cast<float>(Rand() % 256);
        }
        Surface whole(48, 48), halves(48, 48);
        ka3D::ClearClipRect(whole.t, 0);
        ka3D::DrawQuad(whole.t, q[0], q[1], q[2], q[3]);
        ka3D::ClearClipRect(halves.t, 0);
        ka3D::DrawTriangle(halves.t, q[0], q[1], q[2]);
        ka3D::DrawTriangle(halves.t, q[0], q[2], q[3]);
        for (int i = 0; i < 48 * 48; ++i) {
            ASSERT_EQ(whole.color[i] != 0, halves.color[i] != 0)
                << "round " << round << " at " << i;
            if (round % 3 != 0 && whole.color[i]) {
                ASSERT_EQ(whole.color[i], halves.color[i]);
            }
        }
    }
}

TEST(Raster, BackFacesSliversAndFarCornersStayInBounds) {
    Surface s(16, 16);
    s.Draw(At(2, 2), At(2, 12), At(12, 2));  // counter-clockwise: a back face
    for (int v : s.hits) ASSERT_EQ(v, 0);
    // Far outside the surface and needle-thin: clipped, values in range, row 3 only.
    ka3D::RasterVertex a = At(-5000, 3.2), b = At(5000, 3.3), c = At(-5000, 3.9);
    a.r = 0, b.r = 255.5f, c.r = 0;
    a.z = 0, b.z = 65535, c.z = 65535;
    s.Draw(a, b, c);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.hits[i], i / 16 == 3 ? 1 : 0) << i;
    Surface t(16, 16);  // a flat top above the surface starts at its first row
    t.Draw(At(-100, -50.5), At(60, -50.5), At(8, 40.5));
    for (int y = 0; y < 16; ++y) EXPECT_EQ(t.hits[y * 16 + 8], 1) << y;
}

}  // namespace
