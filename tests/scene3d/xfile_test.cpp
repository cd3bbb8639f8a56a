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

TEST(XFile, FansFlatNormalsNestedFramesAndWhatIsSkipped) {
    // Templates, materials, animations, references, comments, both list styles: read past, in
    // either header and line end. Polygons without normals: fans, one flat normal each. Inner
    // frame: 90 degrees about Y (x -> -z, z -> x), up 1; outer: scaled 2, 10 along x.
    const std::string body =
        "template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD n; array Vector v[n]; "
        "[...] }\nHeader { 1; 0; 1; }\n# a comment\nMaterial Red { 1.0;0.0;0.0;1.0;; 5.0; "
        "1;1;1;; 0;0;0;; TextureFilename { \"a{b}.bmp\"; } }\nAnimationSet { Animation { {Box} "
        "AnimationKey { 0; 1; 0;3; 0,0,0;;; } } }\n"
        "Mesh Shapes <00000000-0000-0000-0000-000000000000> { 9\n 0.0 0 0, 0 1E+0 0, 1e0 1 0, "
        "1000e-3 0 -0.0, 2;0;0;, 2;1;0;, 3;1.5;0;, 4;1;0;, 4;0;0;; 2; 4;0,1,2,3;, 5;4,5,6,7,8;;\n"
        " MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; } MeshMaterialList { 1; 2; 0,0;; {Red} } "
        "VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; } }\n"
        "Frame Outer { Frame{} {SomethingElsewhere} // a reference\n"
        " FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1;; }\n"
        " Frame Inner { FrameTransformMatrix { 0,0,-1,0, 0,1,0,0, 1,0,0,0, 0,1,0,1;; }\n"
        "  Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; "
        "} } } }\nMesh Loose { 3; 5;5;5;, 5;6;5;, 6;5;5;; 1; 3;0,1,2;; }\n";
    std::string crlf = body;
    for (size_t i = 0; (i = crlf.find('\n', i)) != std::string::npos; i += 2)
        crlf.replace(i, 1, "\r\n");
    for (const std::string& text : {kHeader + body, "xof 0303txt 0064\r\n" + crlf}) {
        Mesh m;
        ASSERT_TRUE(Parses(text, &m));
        const int fans[7][3] = {{0, 1, 2}, {0, 2, 3},   {4, 5, 6},   {4, 6, 7},
                                {4, 7, 8}, {9, 10, 11}, {12, 13, 14}};
        const int normals[7] = {0, 0, 1, 1, 1, 2, 3};  // one flat normal a polygon
        ASSERT_EQ(m.triangles.size(), 7u);
        for (int t = 0; t < 7; ++t) {
            for (int k = 0; k < 3; ++k) EXPECT_EQ(m.triangles[t].corner[k].position, fans[t][k]);
            EXPECT_EQ(m.triangles[t].corner[2].normal, normals[t]) << t;
            // Turned, unit length when scaled.
            EXPECT_TRUE(Near(m.normals[m.triangles[t].corner[0].normal], {0, 0, -1})) << t;
        }
        const struct {
            int index;
            Vec3 at;
        } moved[] = {{2, {1, 1, 0}},   {3, {1, 0, 0}},   {9, {10, 2, -2}},
                     {10, {10, 4, 0}}, {11, {12, 2, 0}}, {12, {5, 5, 5}}};
        for (const auto& p : moved) EXPECT_TRUE(Near(m.positions[p.index], p.at)) << p.index;
    }
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
