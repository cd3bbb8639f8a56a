// Feeds arbitrary bytes to the .x text reader. Besides never crashing, a successful read must
// hand the scene a mesh it can draw without checks: every index in range, every position
// finite, every normal of unit length.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "scene3d/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ka3D::Mesh mesh;
    if (!ka3D::ParseXText(reinterpret_cast<const char*>(data), size, &mesh)) {
        if (!mesh.positions.empty() || !mesh.normals.empty() || !mesh.triangles.empty())
            std::abort();
        return 0;
    }
    if (mesh.triangles.empty()) std::abort();
    const size_t positions = mesh.positions.size();
    const size_t normals = mesh.normals.size();
    for (const ka3D::MeshTriangle& t : mesh.triangles) {
        for (const ka3D::MeshCorner& c : t.corner) {
            if (c.position < 0 || static_cast<size_t>(c.position) >= positions) std::abort();
            if (c.normal < 0 || static_cast<size_t>(c.normal) >= normals) std::abort();
        }
    }
    for (const ka3D::Vec3& p : mesh.positions) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) std::abort();
    }
    for (const ka3D::Vec3& n : mesh.normals) {
        const double len = static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                           static_cast<double>(n.z) * n.z;
        if (!(std::fabs(len - 1.0) < 1e-3)) std::abort();
    }
    return 0;
}
