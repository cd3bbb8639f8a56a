// The .x loader against the shipped block shapes and hand-written files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene3d/mesh.h"

namespace {

using ka3D::Mesh;
using ka3D::Vec3;

float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
bool Near(Vec3 a, Vec3 b) {
    return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z) < 1e-5f;
}

// Whether the text parses; a failed parse must leave the mesh empty.
bool Parses(const std::string& text, Mesh* m) {
    *m = Mesh{{Vec3{1, 2, 3}}, {}, {}};
    const bool ok = ka3D::ParseXText(text.data(), text.size(), m);
    EXPECT_TRUE(ok || (m->positions.empty() && m->normals.empty() && m->triangles.empty()));
    return ok;
}

const std::string kHeader = "xof 0302txt 0032\n";

TEST(XFile, ShippedShapesAreClosedOutwardFacingBlocks) {
    for (const auto& [file, triangles] :
         {std::make_pair("koraven.x", 44u), std::make_pair("cube.x", 12u),
          std::make_pair("round.x", 108u)}) {
        Mesh m;
        ASSERT_TRUE(ka3D::LoadXFile((KORAVEN_BINARY_DIR "/bin/" + std::string(file)).c_str(), &m));
        EXPECT_EQ(m.triangles.size(), triangles) << file;
        float extent = 0;
        for (const Vec3& p : m.positions)
            extent = std::max({extent, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        EXPECT_NEAR(extent, 0.95f, 1e-5f) << file;
        for (const Vec3& n : m.normals) EXPECT_NEAR(Dot(n, n), 1.0f, 1e-5f) << file;
        // (b - a) x (c - a), with left-handed axes the side a clockwise triangle is seen from,
        // points away from the centre and agrees with the corner normals.
        for (size_t t = 0; t < m.triangles.size(); ++t) {
            const ka3D::MeshCorner* c = m.triangles[t].corner;
            const Vec3 a = m.positions[c[0].position], b = m.positions[c[1].position],
                       d = m.positions[c[2].position];
            const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{d.x - a.x, d.y - a.y, d.z - a.z};
            const Vec3 face{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
            EXPECT_GT(Dot(face, Vec3{a.x + b.x + d.x, a.y + b.y + d.y, a.z + b.z + d.z}), 0)
                << file << " triangle " << t;
            for (int k = 0; k < 3; ++k) EXPECT_GT(Dot(face, m.normals[c[k].normal]), 0) << file;
        }
    }
}

// A pentagon without normals; a triangle in a frame turned 90 degrees about Y (x -> -z,
// z -> x) and raised 1, inside one scaled 2 and moved 10 along x.
TEST(XFile, PolygonsAreFannedWithAFlatNormalAndFramesMoveTheirMeshes) {
    const std::string text =
        kHeader + "Mesh { 5; 2;0;0;, 2;1;0;, 3;1.5;0;, 4;1;0;, 4;0;0;; 1; 5;0,1,2,3,4;; }\n" +
        "Frame { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1;; }\n Frame { " +
        "FrameTransformMatrix { 0,0,-1,0, 0,1,0,0, 1,0,0,0, 0,1,0,1;; }\n  Mesh { 3; 1;0;0;, " +
        "0;1;0;, 0;0;1;; 1; 3;0,1,2;; } } }\n";
    Mesh m;
    ASSERT_TRUE(Parses(text, &m));
    ASSERT_EQ(m.triangles.size(), 4u);
    const int fans[3][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
    for (int t = 0; t < 3; ++t) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(m.triangles[t].corner[k].position, fans[t][k]) << t;
        EXPECT_TRUE(Near(m.normals[m.triangles[t].corner[0].normal], {0, 0, -1})) << t;
    }
    EXPECT_TRUE(Near(m.positions[5], {10, 2, -2}));
    EXPECT_TRUE(Near(m.positions[6], {10, 4, 0}));
    EXPECT_TRUE(Near(m.positions[7], {12, 2, 0}));
}

TEST(XFile, BadFilesAreRefusedWithoutAllocatingAndFramesNestOnlySoDeep) {
    Mesh m;
    auto nested = [](int depth) {
        std::string s = kHeader;
        for (int i = 0; i < depth; ++i) s += "Frame {";
        return s + "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }" + std::string(depth, '}');
    };
    EXPECT_TRUE(Parses(nested(60), &m));
    EXPECT_FALSE(Parses(nested(100000), &m));  // refused, not a stack overflow
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

}  // namespace
