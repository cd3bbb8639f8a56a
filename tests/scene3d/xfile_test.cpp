// The .x loader against the shipped block shapes and hand-written files.
#include <gtest/gtest.h>

#include <string>

#include "scene3d/mesh.h"

namespace {

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

}  // namespace
