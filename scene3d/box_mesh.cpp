// A plain box mesh, the shape used when no block file can be read.
#include "scene3d/box_mesh.h"

namespace ka3D {

void BuildBoxMesh(float half, Mesh* mesh) {
    *mesh = Mesh{};
    // Corner i has x, y, z = +half where bit 2, 1, 0 of i is set.
    for (int i = 0; i < 8; ++i) {
        mesh->positions.push_back(
            Vec3{(i & 4) ? half : -half, (i & 2) ? half : -half, (i & 1) ? half : -half});
    }
    // Each face: outward normal n and axes u, v with u x v = n, so the corners
    // (-u-v, +u-v, -u+v) and (+u-v, +u+v, -u+v) run clockwise seen from outside.
    struct Face {
        int n[3], u[3], v[3];
    };
    static const Face faces[6] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    for (int f = 0; f < 6; ++f) {
        const Face& face = faces[f];
        mesh->normals.push_back(Vec3{static_cast<float>(face.n[0]), static_cast<float>(face.n[1]),
                                     static_cast<float>(face.n[2])});
        auto corner = [&](int a, int b) {
            int index = 0;
            for (int k = 0; k < 3; ++k) {
                int s = face.n[k] + a * face.u[k] + b * face.v[k];
                if (s > 0) index |= 4 >> k;
            }
            return MeshCorner{index, f};
        };
        mesh->triangles.push_back(MeshTriangle{{corner(-1, -1), corner(1, -1), corner(-1, 1)}});
        mesh->triangles.push_back(MeshTriangle{{corner(1, -1), corner(1, 1), corner(-1, 1)}});
    }
}

}  // namespace ka3D
