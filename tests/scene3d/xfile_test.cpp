// The .x loader against the shipped block shapes and hand-written files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene3d/mesh.h"

namespace {

using ka3D::Mesh;
using ka3D::Vec3;

Vec3 Sub(Vec3 a, Vec3 b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
const Vec3& Pos(const Mesh& m, int tri, int k) {
    return m.positions[m.triangles[tri].corner[k].position];
}
const Vec3& Nrm(const Mesh& m, int tri, int k) {
    return m.normals[m.triangles[tri].corner[k].normal];
}
// (b - a) x (c - a): with left-handed axes, the side a clockwise triangle is seen from.
Vec3 FaceNormal(const Mesh& m, int tri) {
    return Cross(Sub(Pos(m, tri, 1), Pos(m, tri, 0)), Sub(Pos(m, tri, 2), Pos(m, tri, 0)));
}

#define EXPECT_VEC(v, ex, ey, ez)       \
    do {                                \
        EXPECT_NEAR((v).x, (ex), 1e-5); \
        EXPECT_NEAR((v).y, (ey), 1e-5); \
        EXPECT_NEAR((v).z, (ez), 1e-5); \
    } while (0)

Mesh Parse(const std::string& text) {
    Mesh m;
    EXPECT_TRUE(ka3D::ParseXText(text.data(), text.size(), &m)) << text;
    return m;
}

bool Parses(const std::string& text) {
    Mesh m;
    m.positions.push_back(Vec3{1, 2, 3});  // a failed parse must leave the mesh empty
    bool ok = ka3D::ParseXText(text.data(), text.size(), &m);
    if (!ok) {
        EXPECT_TRUE(m.positions.empty() && m.normals.empty() && m.triangles.empty());
    }
    return ok;
}

const char kHeader[] = "xof 0302txt 0032\n";

// A unit square in the z = 0 plane, clockwise seen from -z, and a pentagon beside it.
const char kQuadAndPentagon[] =
    "Mesh Shapes {\n"
    " 9;\n"
    " 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;,\n"
    " 2;0;0;, 2;1;0;, 3;1.5;0;, 4;1;0;, 4;0;0;;\n"
    " 2;\n"
    " 4;0,1,2,3;,\n"
    " 5;4,5,6,7,8;;\n"
    "}\n";

struct ShapeFacts {
    const char* file;
    size_t triangles;
};

class ShippedShape : public ::testing::TestWithParam<ShapeFacts> {};

TEST_P(ShippedShape, LoadsAsClosedOutwardFacingBlock) {
    const ShapeFacts facts = GetParam();
    const std::string path = std::string(KORAVEN_BINARY_DIR) + "/bin/" + facts.file;
    Mesh m;
    ASSERT_TRUE(ka3D::LoadXFile(path.c_str(), &m)) << path;
    EXPECT_EQ(m.triangles.size(), facts.triangles);

    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const Vec3& p : m.positions) {
        lo = Vec3{std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = Vec3{std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    EXPECT_VEC(lo, -0.95f, -0.95f, -0.95f);
    EXPECT_VEC(hi, 0.95f, 0.95f, 0.95f);
    for (const Vec3& n : m.normals) EXPECT_NEAR(Dot(n, n), 1.0f, 1e-5f);

    // Every triangle faces outward and agrees with its corner normals.
    for (int t = 0; t < static_cast<int>(m.triangles.size()); ++t) {
        const Vec3 face = FaceNormal(m, t);
        Vec3 c = Pos(m, t, 0);
        for (int k = 0; k < 3; ++k) EXPECT_GT(Dot(face, Nrm(m, t, k)), 0) << facts.file << " " << t;
        c = Vec3{c.x + Pos(m, t, 1).x + Pos(m, t, 2).x, c.y + Pos(m, t, 1).y + Pos(m, t, 2).y,
                 c.z + Pos(m, t, 1).z + Pos(m, t, 2).z};
        EXPECT_GT(Dot(face, c), 0) << facts.file << " triangle " << t << " faces inward";
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, ShippedShape,
                         ::testing::Values(ShapeFacts{"koraven.x", 44}, ShapeFacts{"cube.x", 12},
                                           ShapeFacts{"round.x", 108}));

TEST(XFile, PolygonsBecomeFansWithFlatNormalsWhenNoneAreGiven) {
    Mesh m = Parse(std::string(kHeader) + kQuadAndPentagon);
    ASSERT_EQ(m.positions.size(), 9u);
    ASSERT_EQ(m.triangles.size(), 2u + 3u);
    // Fans from the first corner, in the file's order.
    const int expected[5][3] = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}, {4, 7, 8}};
    for (int t = 0; t < 5; ++t) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(m.triangles[t].corner[k].position, expected[t][k]);
    }
    ASSERT_EQ(m.normals.size(), 2u);  // one flat normal per face, toward its clockwise side
    for (int t = 0; t < 5; ++t) EXPECT_EQ(m.triangles[t].corner[2].normal, t < 2 ? 0 : 1);
    EXPECT_VEC(m.normals[0], 0, 0, -1);
    EXPECT_VEC(m.normals[1], 0, 0, -1);
}

TEST(XFile, NestedFramesApplyTheirMatricesInnermostFirst) {
    // Inner frame: 90 degrees about Y (row vectors: x -> -z, z -> x), then move by (0, 1, 0).
    // Outer frame: scale by 2, then move by (10, 0, 0). A mesh after the frames stays as is.
    const std::string text = std::string(kHeader) +
                             "Frame Outer {\n"
                             " FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1;; }\n"
                             " Frame Inner {\n"
                             "  FrameTransformMatrix { 0,0,-1,0, 0,1,0,0, 1,0,0,0, 0,1,0,1;; }\n"
                             "  Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;;\n"
                             "   MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; }\n"
                             "  }\n"
                             " }\n"
                             "}\n"
                             "Mesh Loose { 3; 5;5;5;, 5;6;5;, 6;5;5;; 1; 3;0,1,2;; }\n";
    Mesh m = Parse(text);
    ASSERT_EQ(m.positions.size(), 6u);
    ASSERT_EQ(m.triangles.size(), 2u);
    // (1,0,0) -> inner (0,1,-1) -> outer (10,2,-2)
    EXPECT_VEC(m.positions[0], 10, 2, -2);
    EXPECT_VEC(m.positions[1], 10, 4, 0);  // (0,1,0) -> (0,2,0) -> (10,4,0)
    EXPECT_VEC(m.positions[2], 12, 2, 0);  // (0,0,1) -> (1,1,0) -> (12,2,0)
    EXPECT_VEC(m.positions[3], 5, 5, 5);
    // The normal turns with the inner frame and stays unit length through the scale.
    EXPECT_VEC(Nrm(m, 0, 0), 0, 0, -1);
    // The second mesh's corners point at its own positions and its own face normal.
    EXPECT_EQ(m.triangles[1].corner[0].position, 3);
    EXPECT_VEC(Nrm(m, 1, 0), 0, 0, -1);
}

TEST(XFile, TemplatesUnknownObjectsReferencesListStylesAndOtherHeadersAreAccepted) {
    const std::string body =
        "template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD nVertices; array Vector "
        "v[nVertices]; [...] }\n"
        "Header { 1; 0; 1; }\n# a comment\n"
        "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 1;1;1;; 0;0;0;; TextureFilename { \"a{b}.bmp\"; } "
        "}\n"
        "AnimationSet { Animation { {Box} AnimationKey { 0; 1; 0;3; 0,0,0;;; } } }\n"
        "Frame 01-Box { Frame{} {SomethingElsewhere} // a reference\n"
        " Mesh BoxMesh <00000000-0000-0000-0000-000000000000> {\n"
        "  4\n  0.0 0.0 0.0, 0 1 0, 1e0 1E+0 0, 1000e-3 0 -0.0\n  1\n  4, 0, 1, 2, 3\n"
        "  MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; } MeshMaterialList { 1; 1; 0;; {Red} }\n"
        "  MeshNormals { 1; 0;0;-2;; 1; 4;0,0,0,0;; } VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; "
        "}\n } }\n";
    for (std::string header : {"xof 0302txt 0032\n", "xof 0303txt 0064\r\n"}) {
        std::string text = header + body;
        if (header.back() == '\n' && header[header.size() - 2] == '\r') {
            for (size_t i = header.size(); (i = text.find('\n', i)) != std::string::npos; i += 2)
                text.replace(i, 1, "\r\n");
        }
        Mesh m = Parse(text);
        ASSERT_EQ(m.triangles.size(), 2u) << header;
        EXPECT_VEC(m.positions[2], 1, 1, 0);
        EXPECT_VEC(m.positions[3], 1, 0, 0);
        EXPECT_VEC(Nrm(m, 1, 2), 0, 0, -1);  // normalised
    }
}

TEST(XFile, FramesNestUpToALimit) {
    auto nested = [](int depth) {
        std::string s = kHeader;
        for (int i = 0; i < depth; ++i) s += "Frame {";
        s += "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }";
        for (int i = 0; i < depth; ++i) s += "}";
        return s;
    };
    EXPECT_TRUE(Parses(nested(60)));
    EXPECT_FALSE(Parses(nested(100000)));  // refused, not a stack overflow
}

TEST(XFile, BadHeadersCountsIndicesAndNumbersAreRefusedWithoutAllocating) {
    for (const char* header :
         {"xof 0302bin 0032", "xof 0302tzip0032", "xof 0302txt 0016", "xof 0201txt 0032",
          "xof 0304txt 0032", "XOF 0302txt 0032", " xof 0302txt 0032", "xof 0302txt", ""}) {
        EXPECT_FALSE(Parses(std::string(header) + "\n" + kQuadAndPentagon)) << header;
    }
    Mesh m;
    EXPECT_FALSE(ka3D::ParseXText(nullptr, 0, &m));
    EXPECT_FALSE(ka3D::LoadXFile("/nonexistent/koraven.x", &m));
    EXPECT_FALSE(ka3D::LoadXFile(nullptr, &m));
    EXPECT_FALSE(ka3D::LoadXFile(KORAVEN_SOURCE_DIR, &m));  // a directory
    const std::string t = "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; ";
    EXPECT_TRUE(Parses(kHeader + t +
                       "MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; } MeshMaterialList { 1; 1; 0;;"
                       " Material { 1;1;1;1;; 5; 1;1;1;; 0;0;0;; } } }"));
    const std::string bad[] = {
        "", "Header { 1; 0; 1; }", "Mesh { 0;; 0;; }",  // nothing to draw
        // Counts that would ask for gigabytes if trusted (under ASan such an allocation aborts).
        "Mesh { 2000000000; 0;0;0;; 1; 3;0,0,0;; }", "Mesh { 4294967297; 0;0;0;; 1; 3;0,0,0;; }",
        "Mesh { 99999999999999999999999; 0;0;0;; 1; 3;0,0,0;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 2000000000; 3;0,1,2;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 2000000000;0,1,2;; }",
        t + "MeshNormals { 1500000000; 0;0;1;; 1; 3;0,0,0;; } }",
        t + "MeshNormals { 1; 0;0;1;; 1; 3000000000;0,0,0;; } }",
        "Mesh { -3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; -1; 3;0,1,2;; }",
        "Mesh { 3.0; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,3;; }",  // vertex index out of range
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,-1,2;; }",
        t + "MeshNormals { 1; 0;0;1;; 1; 3;0,1,0;; } }",  // normal index out of range
        t + "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }",
        t + "MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }", t + "MeshMaterialList { 1; 1; 1;; } }",
        t + "MeshMaterialList { 1; 2; 0,0;; } }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1e999;0;0;; 1; 3;0,1,2;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1.#QNAN0;0;0;; 1; 3;0,1,2;; }", t + "7; }", t,
        t + "Unknown { \"open }", t + "{Ref <0000 }",
        "Frame { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0;; } }",  // 12 of 16 values
        "Frame { FrameTransformMatrix { 1e30,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } Mesh { 3; "
        "1e30;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; } }",
        "Frame { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } "
        "FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } " +
            t + "} }",
        t + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; } MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; } }",
        "template { }", "} " + t + "}"};
    for (const std::string& b : bad) EXPECT_FALSE(Parses(kHeader + b)) << b;
}

}  // namespace
