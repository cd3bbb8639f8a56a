#pragma once
// A triangle mesh as the .x loader hands it to the scene: frame transforms of the file already
// applied, polygons split into fans, every corner with its own normal. Coordinates are the
// retained-mode ones (left-handed, +Y up); a triangle is front-facing when its corners appear
// clockwise on screen, as in the file.

#include <cstddef>
#include <cstdio>
#include <vector>

namespace ka3D {

struct Vec3 {
    float x, y, z;
};

struct MeshCorner {
    int position;  // index into positions
    int normal;    // index into normals
};

struct MeshTriangle {
    MeshCorner corner[3];
};

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;  // unit length
    std::vector<MeshTriangle> triangles;
};

// Reads a DirectX .x text file (or bytes already in memory) into a mesh. False for anything
// the loader cannot read; the mesh is then left empty.
bool LoadXFile(const char* path, Mesh* mesh);
bool ParseXText(const char* data, size_t size, Mesh* mesh);

// The same from a file already open for reading (binary); it is read to its end and closed.
bool ReadXFile(std::FILE* file, Mesh* mesh);

}  // namespace ka3D
