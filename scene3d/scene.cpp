// The ka3D scene: background, lights, cameras, frames and shared meshes, and the operations
// that build and move them. Positions arrive in the program's convention and are stored as
// (x, -y, -z), the layer's left-handed coordinates.
#include "scene3d/scene.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

#include "common/error_report.h"
#include "common/program_directory.h"
#include "scene3d/render_bands.h"

namespace ka3D {

SceneState scene;

namespace {

constexpr char kLoadError[] = "Xファイルを読み込めません";

// Direction table of the positioned lights, in the program's convention.
constexpr int kLightDirections[10][3] = {
    {0, 0, 0},   {-100, 100, 0}, {0, 100, 0},     {100, 100, 0}, {-100, 0, 0},
    {0, 0, 100}, {100, 0, 0},    {-100, -100, 0}, {0, -100, 0},  {100, -100, 0},
};

// Positions, colours and intensities that are not finite numbers are ignored: the previous
// value stays.
bool Finite(float a, float b = 0, float c = 0) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

Camera* UsedCamera(int number) {
    if (number < 1 || number > 4 || !scene.cameras[number].used) return nullptr;
    return &scene.cameras[number];
}

Light* UsedLight(int number) {
    if (number < 1 || number > 3 || !scene.lights[number].used) return nullptr;
    return &scene.lights[number];
}

void Attach(Frame* f) {
    if (f->shown) return;
    f->shown = true;
    f->prev = scene.lastShown;
    f->next = nullptr;
    if (scene.lastShown) {
        scene.lastShown->next = f;
    } else {
        scene.firstShown = f;
    }
    scene.lastShown = f;
    ++scene.shownCount;
}

void Detach(Frame* f) {
    if (!f->shown) return;
    (f->prev ? f->prev->next : scene.firstShown) = f->next;
    (f->next ? f->next->prev : scene.lastShown) = f->prev;
    f->prev = f->next = nullptr;
    f->shown = false;
    --scene.shownCount;
}

// Makes the frames of a load, each shown in the scene from the start. Returns the first.
Frame* CreateFrames(int count, Frame** frames) {
    int made = count == 0 ? 1 : count;
    Frame* first = nullptr;
    for (int i = 0; i < made; ++i) {
        scene.frames.emplace_back();
        Frame* f = &scene.frames.back();
        Attach(f);
        if (!first) first = f;
        if (count > 0 && frames) frames[i] = f;
    }
    return first;
}

// Gives the shared mesh to the frames just made and applies the colour option.
Frame* FinishLoad(const Mesh& mesh, Frame* first, int count) {
    scene.meshes.emplace_back();
    RenderMesh* shared = &scene.meshes.back();
    BuildRenderMesh(mesh, shared);
    int made = count == 0 ? 1 : count;
    // The frames of one load are consecutive in the deque, starting at `first`.
    size_t start = scene.frames.size() - static_cast<size_t>(made);
    for (int i = 0; i < made; ++i) {
        Frame& f = scene.frames[start + static_cast<size_t>(i)];
        f.mesh = shared;
        if (scene.useFrameColor) f.colorFromFrame = true;
    }
    scene.useFrameColor = false;
    return count == 0 ? first : nullptr;
}

Vec3 Normalized(Vec3 v, bool* ok) {
    float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    *ok = std::isfinite(len) && len > 1e-12f;
    if (!*ok) return Vec3{0, 0, 0};
    return Vec3{v.x / len, v.y / len, v.z / len};
}

// Rotation about a unit axis for row vectors in left-handed coordinates: seen from the
// axis's positive end, a positive angle turns clockwise.
void AxisRotation(const double axis[3], double radians, double m[3][3]) {
    double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    double x = axis[0], y = axis[1], z = axis[2];
    m[0][0] = t * x * x + c;
    m[0][1] = t * x * y + s * z;
    m[0][2] = t * x * z - s * y;
    m[1][0] = t * x * y - s * z;
    m[1][1] = t * y * y + c;
    m[1][2] = t * y * z + s * x;
    m[2][0] = t * x * z + s * y;
    m[2][1] = t * y * z - s * x;
    m[2][2] = t * z * z + c;
}

// Keeps the orientation a true rotation however many small turns are combined into it.
void Orthonormalize(double m[3][3]) {
    auto normalize = [](double* v) {
        double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (len > 0) {
            for (int i = 0; i < 3; ++i) v[i] /= len;
        }
    };
    normalize(m[2]);
    double d = m[1][0] * m[2][0] + m[1][1] * m[2][1] + m[1][2] * m[2][2];
    for (int i = 0; i < 3; ++i) m[1][i] -= d * m[2][i];
    normalize(m[1]);
    // Row 0 = row 1 x row 2 keeps the frame left-handed in the same sense as the identity.
    m[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    m[0][1] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    m[0][2] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
}

// Combines a rotation before the camera's present orientation: new = rotation * old.
void RotateCamera(int number, const double axis[3], float degrees) {
    Camera* cam = UsedCamera(number);
    if (!cam || !std::isfinite(degrees)) return;
    float radians = static_cast<float>(degrees * 3.141592653589793 * 0.0055555557);
    double r[3][3], out[3][3];
    AxisRotation(axis, radians, r);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out[i][j] = r[i][0] * cam->orientation[0][j] + r[i][1] * cam->orientation[1][j] +
                        r[i][2] * cam->orientation[2][j];
        }
    }
    Orthonormalize(out);
    std::memcpy(cam->orientation, out, sizeof out);
}

void ResetScene() {
    scene.firstShown = scene.lastShown = nullptr;
    scene.shownCount = 0;
    scene.frames.clear();
    scene.meshes.clear();
    for (Light& l : scene.lights) l = Light{};
    for (Camera& c : scene.cameras) c = Camera{};
    scene.background = Vec3{0, 0, 0};
    scene.useFrameColor = false;
}

}  // namespace

namespace {

// Finds the fans' pairs (a, b, c), (a, c, d) in one plane and moves them into the quads.
void PairIntoQuads(RenderMesh* m) {
    std::vector<int> single;
    const std::vector<int>& t = m->triangles;
    auto normal = [&](const int* tri) {
        const Vec3& a = m->positions[m->vertexPosition[tri[0]]];
        const Vec3& b = m->positions[m->vertexPosition[tri[1]]];
        const Vec3& c = m->positions[m->vertexPosition[tri[2]]];
        Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
        bool ok = false;
        return Normalized(Vec3{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x},
                          &ok);
    };
    size_t i = 0;
    for (; i + 5 < t.size(); i += 3) {
        const int* p = &t[i];
        const int* q = &t[i + 3];
        if (q[0] == p[0] && q[1] == p[2] && q[2] != p[1]) {
            Vec3 n1 = normal(p), n2 = normal(q);
            if (n1.x * n2.x + n1.y * n2.y + n1.z * n2.z > 0.99999f) {
                m->quads.insert(m->quads.end(), {p[0], p[1], p[2], q[2]});
                i += 3;
                continue;
            }
        }
        single.insert(single.end(), p, p + 3);
    }
    single.insert(single.end(), t.begin() + static_cast<long>(i), t.end());
    m->triangles = single;
}

}  // namespace

void BuildRenderMesh(const Mesh& mesh, RenderMesh* out) {
    *out = RenderMesh{};
    out->positions = mesh.positions;
    const int positionCount = static_cast<int>(mesh.positions.size());
    const int normalCount = static_cast<int>(mesh.normals.size());
    std::map<std::pair<int, int>, int> known;  // (position, normal or -1-face) -> vertex
    std::map<std::tuple<float, float, float>, int> normals;  // normal -> index
    auto vertexFor = [&](int position, int normalKey, Vec3 normal) {
        auto it = known.find({position, normalKey});
        if (it != known.end()) return it->second;
        int index = static_cast<int>(out->vertexPosition.size());
        out->vertexPosition.push_back(position);
        const auto n = normals.emplace(std::make_tuple(normal.x, normal.y, normal.z),
                                       static_cast<int>(out->normals.size()));
        if (n.second) out->normals.push_back(normal);
        out->vertexNormal.push_back(n.first->second);
        known.emplace(std::make_pair(position, normalKey), index);
        return index;
    };
    int faceIndex = 0;
    for (const MeshTriangle& t : mesh.triangles) {
        ++faceIndex;
        bool valid = true;
        for (const MeshCorner& c : t.corner) {
            if (c.position < 0 || c.position >= positionCount) valid = false;
        }
        if (!valid) continue;
        const Vec3& a = mesh.positions[t.corner[0].position];
        const Vec3& b = mesh.positions[t.corner[1].position];
        const Vec3& c = mesh.positions[t.corner[2].position];
        Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
        bool faceOk = false;
        // Front faces run clockwise seen from outside: u x v points outward.
        Vec3 face = Normalized(
            Vec3{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}, &faceOk);
        if (!faceOk) continue;  // a degenerate triangle covers no pixel
        for (const MeshCorner& corner : t.corner) {
            bool normalOk = false;
            Vec3 n{0, 0, 0};
            if (corner.normal >= 0 && corner.normal < normalCount) {
                n = Normalized(mesh.normals[corner.normal], &normalOk);
            }
            int vertex = normalOk ? vertexFor(corner.position, corner.normal, n)
                                  : vertexFor(corner.position, -faceIndex, face);
            out->triangles.push_back(vertex);
        }
    }
    PairIntoQuads(out);
    if (positionCount > 0) {
        Vec3 lo = mesh.positions[0], hi = lo;
        for (const Vec3& p : mesh.positions) {
            lo = Vec3{std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
            hi = Vec3{std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
        }
        out->centre = Vec3{(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
        float r2 = 0;
        for (const Vec3& p : mesh.positions) {
            float dx = p.x - out->centre.x, dy = p.y - out->centre.y, dz = p.z - out->centre.z;
            r2 = std::fmax(r2, dx * dx + dy * dy + dz * dz);
        }
        out->radius = std::sqrt(r2) * 1.0001f + 1e-6f;
    }
    out->rotated.resize(out->positions.size());
    out->projected.resize(out->positions.size());
    out->lit.resize(out->vertexPosition.size());
    out->litNormal.resize(out->normals.size());
}

int Init() {
    ResetScene();
    ForgetLastPictures();
    scene.released = false;
    return 1;
}

// The device goes and the render threads end; frames and meshes stay allocated, so that a frame
// pointer the program still holds never dangles. Nothing is drawn until the next Init, which frees
// them.
void Release() {
    scene.released = true;
    StopRenderWorkers();
    ForgetLastPictures();
}

void SetBackground(float red, float green, float blue) {
    if (Finite(red, green, blue)) scene.background = Vec3{red, green, blue};
}

void SetAmbient(float intensity) {
    scene.lights[0] = Light{};
    scene.lights[0].used = true;
    scene.lights[0].intensity = std::isfinite(intensity) ? intensity : 0.0f;
}

int CreateLight(int number, float intensity, int direction) {
    if (number < 1 || number > 3) {
        return ReportError("ka3D::CreateLight", "ライトNoが範囲外です");
    }
    if (direction < 0 || direction > 9) {
        return ReportError("ka3D::CreateLight", "ライト方向が異常です");
    }
    Light& l = scene.lights[number];
    l = Light{};
    l.used = true;
    l.point = direction == 0;
    l.intensity = std::isfinite(intensity) ? intensity : 0.0f;
    const int* d = kLightDirections[direction];
    l.position =
        Vec3{static_cast<float>(d[0]), -static_cast<float>(d[1]), -static_cast<float>(d[2])};
    return 1;
}

int CreateCamera(int number, int x1, int y1, int x2, int y2) {
    if (number < 1 || number > 4) {
        return ReportError("ka3D::CreateCamera", "カメラNoが範囲外です");
    }
    Camera& c = scene.cameras[number];
    c = Camera{};
    c.used = true;
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    SetCameraRange(number, 1.0f, 2000.0f);
    return 1;
}

void SetCameraRange(int number, float front, float back) {
    Camera* cam = UsedCamera(number);
    // A front plane at or behind the eye, or a back plane before the front one, would make the
    // projection meaningless; such a range is ignored and the previous one kept.
    if (!cam || !(front > 0) || !(back > front) || !std::isfinite(back)) return;
    cam->front = front;
    cam->back = back;
}

void UseFrameColor() {
    scene.useFrameColor = true;
}

Frame* LoadObject(const char* file, int count, Frame** frames) {
    if (count < 0) return nullptr;  // no frames to make
    char path[512];
    const char* dir = ProgramDirectory();
    const char* name = file ? file : "";
    size_t dirLen = std::strlen(dir), nameLen = std::strlen(name);
    bool fits = dirLen + nameLen < sizeof path;
    if (fits) {
        std::memcpy(path, dir, dirLen);
        std::memcpy(path + dirLen, name, nameLen + 1);
    }
    return LoadObjectFromFile(fits && nameLen > 0 ? std::fopen(path, "rb") : nullptr, count,
                              frames);
}

Frame* LoadObjectFromFile(std::FILE* file, int count, Frame** frames) {
    if (count < 0) {  // no frames to make
        if (file) std::fclose(file);
        return nullptr;
    }
    Frame* first = CreateFrames(count, frames);
    Mesh mesh;
    if (!file || !ReadXFile(file, &mesh)) {
        scene.useFrameColor = false;  // the option holds for one load, read or not
        ReportError("ka3D::LoadObject", kLoadError);
        return nullptr;
    }
    return FinishLoad(mesh, first, count);
}

Frame* LoadObjectFromMesh(const Mesh& mesh, int count, Frame** frames) {
    if (count < 0) return nullptr;
    Frame* first = CreateFrames(count, frames);
    return FinishLoad(mesh, first, count);
}

void SetFramePosition(Frame* frame, float x, float y, float z) {
    if (frame && Finite(x, y, z)) frame->position = Vec3{x, -y, -z};
}

void SetFrameColor(Frame* frame, float red, float green, float blue) {
    if (frame && Finite(red, green, blue)) frame->color = Vec3{red, green, blue};
}

void ShowFrame(Frame* frame) {
    if (frame) Attach(frame);
}

void HideFrame(Frame* frame) {
    if (frame) Detach(frame);
}

bool FrameShown(const Frame* frame) {
    return frame && frame->shown;
}

void GetFrameColor(const Frame* frame, float* red, float* green, float* blue) {
    Vec3 c = frame ? frame->color : Vec3{0, 0, 0};
    if (red) *red = c.x;
    if (green) *green = c.y;
    if (blue) *blue = c.z;
}

void GetFramePosition(const Frame* frame, float* x, float* y, float* z) {
    Vec3 p = frame ? frame->position : Vec3{0, 0, 0};
    if (x) *x = p.x;
    if (y) *y = -p.y;
    if (z) *z = -p.z;
}

void SetCameraPosition(int number, float x, float y, float z) {
    Camera* cam = UsedCamera(number);
    if (!cam || !Finite(x, y, z)) return;
    cam->position[0] = x;
    cam->position[1] = -y;
    cam->position[2] = -z;
}

void TurnCamera(int number, float degrees) {
    static const double kAxisY[3] = {0, 1, 0};
    RotateCamera(number, kAxisY, degrees);
}

void TiltCamera(int number, float degrees) {
    static const double kAxisX[3] = {1, 0, 0};
    RotateCamera(number, kAxisX, degrees);
}

void SetLightPosition(int number, float x, float y, float z) {
    Light* l = UsedLight(number);
    if (!l || !Finite(x, y, z)) return;
    l->position = Vec3{x, -y, -z};
}

}  // namespace ka3D
