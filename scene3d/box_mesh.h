#pragma once
// A plain box shape built in code: the stand-in block when no shape file is at hand (tests,
// benchmark, the PNG tool).
#include "scene3d/mesh.h"

namespace ka3D {

// A cube from -half to +half on every axis: 8 positions, one normal per face, 12 triangles
// running clockwise seen from outside.
void BuildBoxMesh(float half, Mesh* mesh);

}  // namespace ka3D
