// DirectX .x text loader (not yet written: reads nothing).
#include "scene3d/mesh.h"

namespace ka3D {

bool ParseXText(const char*, size_t, Mesh* mesh) {
    *mesh = Mesh{};
    return false;
}

bool LoadXFile(const char*, Mesh* mesh) {
    *mesh = Mesh{};
    return false;
}

}  // namespace ka3D
