#pragma once
// The ka3D layer's own state: the scene, its lights and cameras, the frames and the shared
// meshes in the form the renderer draws them. Internal to scene3d/ (and its tests).

#include <cstdint>
#include <deque>
#include <vector>

#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace ka3D {

// A loaded shape prepared for drawing: every distinct (position, normal) pair of the file's
// corners becomes one vertex, so a vertex is transformed and lit once per frame object.
struct RenderMesh {
    std::vector<Vec3> positions;
    std::vector<int> vertexPosition;  // vertex -> index into positions
    std::vector<int> vertexNormal;    // vertex -> index into normals
    std::vector<Vec3> normals;        // the vertices' unit normals, each once
    std::vector<int> triangles;       // three vertex indices per triangle
    // Pairs of triangles (a, b, c) and (a, c, d) of one flat face, as a, b, c, d: drawn in one
    // pass where they stay convex and flat-shaded on the screen.
    std::vector<int> quads;
    Vec3 centre{0, 0, 0};  // bounding sphere of the positions
    float radius = 0;

    // Working space of the renderer, sized once here so a render allocates nothing.
    struct Projected {
        float x, y, z;    // camera space
        int32_t sx, sy;   // screen, in 1/256 pixel
        float depth;      // 0 .. 65535
        uint8_t outside;  // clip planes the point is outside of
    };
    std::vector<Vec3> rotated;         // positions turned into the camera's orientation
    std::vector<Projected> projected;  // per position, for the frame being drawn
    std::vector<Vec3> lit;             // per vertex colour, 0 .. 255.5
    std::vector<Vec3> litNormal;       // per normal colour, where that decides it
};

struct Frame {
    Vec3 position{0, 0, 0};  // layer coordinates, already (x, -y, -z)
    Vec3 color{1, 1, 1};
    bool colorFromFrame = false;
    RenderMesh* mesh = nullptr;  // shared, owned by the scene; null: nothing to draw
    bool shown = false;
    Frame* prev = nullptr;  // links of the list of shown frames
    Frame* next = nullptr;
};

struct Light {
    bool used = false;
    bool point = false;  // point light (direction 0), else parallel point
    float intensity = 0;
    Vec3 position{0, 0, 0};  // layer coordinates
};

struct Camera {
    bool used = false;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // viewport rectangle
    float front = 1.0f, back = 2000.0f;
    double position[3] = {0, 0, 0};  // layer coordinates
    // Orientation: row i is the camera's local axis i in scene coordinates, so a local point
    // p maps to p * orientation + position (row vectors).
    double orientation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

struct SceneState {
    Vec3 background{0, 0, 0};
    Light lights[4];    // 0: ambient, 1..3: positioned lights
    Camera cameras[5];  // 1..4
    bool useFrameColor = false;
    bool released = false;     // after Release: nothing is drawn
    std::deque<Frame> frames;  // stable addresses; grows only while loading
    std::deque<RenderMesh> meshes;
    Frame* firstShown = nullptr;
    Frame* lastShown = nullptr;
    int shownCount = 0;
};

extern SceneState scene;

// Turns a loaded mesh into the drawing form; corners with bad indices are dropped, missing or
// degenerate normals are replaced by the face normal.
void BuildRenderMesh(const Mesh& mesh, RenderMesh* out);

}  // namespace ka3D
