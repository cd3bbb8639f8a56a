// The ka3D renderer: for every camera in use, clear its viewport and draw every shown frame.
// A frame is placed by translation only, so its mesh is turned into the camera's orientation
// once per camera and every frame adds just its own offset. Whole frames are culled by their
// bounding sphere; a frame that reaches the front or back plane, or far beyond the sides, has
// its triangles clipped in camera space before the perspective divide.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "scene3d/draw_list.h"
#include "scene3d/raster.h"
#include "scene3d/render_bands.h"
#include "scene3d/scene.h"

namespace ka3D {

namespace {

// Clip planes. The side planes of clipping lie a guard band outside the viewport: geometry
// between them and the viewport is left to the rasterizer's own pixel clip, and the band keeps
// every projected position small enough for exact fixed-point edge functions.
enum : int { kNear, kFar, kLeft, kRight, kTop, kBottom, kPlaneCount };

struct PlaneEq {
    float nx, ny, nz, d;  // inside where nx x + ny y + nz z + d >= 0
    float At(float x, float y, float z) const { return nx * x + ny * y + nz * z + d; }
};

struct View {
    float rot[3][3];  // rows: the camera's axes in scene coordinates
    float eye[3];
    float cx, cy, scale;           // projection: sx = cx + scale x / z, sy = cy - scale y / z
    float depthA, depthB;          // depth = depthA - depthB / z: 0 .. 65535 over the depth range
    PlaneEq clip[kPlaneCount];     // near, far and the guard-band sides, unnormalised
    PlaneEq sphere[kPlaneCount];   // the same, unit normals, for bounding spheres
    PlaneEq visible[kPlaneCount];  // near, far and the drawn rectangle, unit normals
};

PlaneEq Unit(PlaneEq p) {
    float len = std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
    return PlaneEq{p.nx / len, p.ny / len, p.nz / len, p.d / len};
}

// Planes through the eye that bound the pixel rectangle [left, right) x [top, bottom).
void SidePlanes(const View& v, float left, float right, float top, float bottom, PlaneEq* out) {
    out[kLeft] = PlaneEq{v.scale, 0, -(left - v.cx), 0};
    out[kRight] = PlaneEq{-v.scale, 0, right - v.cx, 0};
    out[kTop] = PlaneEq{0, -v.scale, -(top - v.cy), 0};
    out[kBottom] = PlaneEq{0, v.scale, bottom - v.cy, 0};
}

bool SetUpView(const Camera& cam, const RasterTarget& t, View* v) {
    const int64_t w = int64_t(cam.x2) - cam.x1, h = int64_t(cam.y2) - cam.y1;
    if (w <= 0 || h <= 0) return false;
    for (int i = 0; i < 3; ++i) {
        v->eye[i] = static_cast<float>(cam.position[i]);
        for (int j = 0; j < 3; ++j) v->rot[i][j] = static_cast<float>(cam.orientation[i][j]);
    }
    // Field 0.5: at distance 1 the shorter side spans 0.5 from the centre to its edge.
    v->scale = static_cast<float>(std::min(w, h));
    v->cx = static_cast<float>(cam.x1 + w * 0.5);
    v->cy = static_cast<float>(cam.y1 + h * 0.5);
    v->depthA = 65535.0f * cam.back / (cam.back - cam.front);
    v->depthB = v->depthA * cam.front;

    const float guard = 1024.0f + static_cast<float>(std::min<int64_t>(std::max(w, h), 1 << 15));
    v->clip[kNear] = PlaneEq{0, 0, 1, -cam.front};
    v->clip[kFar] = PlaneEq{0, 0, -1, cam.back};
    SidePlanes(*v, t.clipX0 - guard, t.clipX1 + guard, t.clipY0 - guard, t.clipY1 + guard, v->clip);
    v->visible[kNear] = v->clip[kNear];
    v->visible[kFar] = v->clip[kFar];
    SidePlanes(*v, static_cast<float>(t.clipX0), static_cast<float>(t.clipX1),
               static_cast<float>(t.clipY0), static_cast<float>(t.clipY1), v->visible);
    for (int p = 0; p < kPlaneCount; ++p) {
        v->sphere[p] = Unit(v->clip[p]);
        v->visible[p] = Unit(v->visible[p]);
    }
    return true;
}

// The frame's bounding sphere centre in camera space.
void CentreInCamera(const View& view, const Frame& f, float* c) {
    const RenderMesh& m = *f.mesh;
    const float d[3] = {f.position.x - view.eye[0], f.position.y - view.eye[1],
                        f.position.z - view.eye[2]};
    for (int k = 0; k < 3; ++k) {
        c[k] = (d[0] + m.centre.x) * view.rot[k][0] + (d[1] + m.centre.y) * view.rot[k][1] +
               (d[2] + m.centre.z) * view.rot[k][2];
    }
}

// Spreads the 16 bits of depth over the distances the visible frames occupy, within the front
// and back planes: over the whole range from 1 to 2000 the steps far from the camera grow to
// several units of the scene, and faces that meet at a block's edge would take each other's
// pixels depending on the drawing order. Over the well's own depth they stay far below a
// hundredth of a unit at any camera distance. Clipping still uses the front and back planes.
void FitDepthRange(const Camera& cam, View* v) {
    float nearest = cam.back, farthest = cam.front;
    for (const Frame* f = scene.firstShown; f; f = f->next) {
        if (!f->mesh || (f->mesh->triangles.empty() && f->mesh->quads.empty())) continue;
        float c[3];
        CentreInCamera(*v, *f, c);
        const float r = f->mesh->radius;
        bool outside = false;
        for (int p = 0; p < kPlaneCount; ++p) outside |= v->visible[p].At(c[0], c[1], c[2]) < -r;
        if (outside) continue;
        nearest = std::min(nearest, c[2] - r);
        farthest = std::max(farthest, c[2] + r);
    }
    nearest = std::max(nearest, static_cast<float>(cam.front));
    farthest = std::min(farthest, static_cast<float>(cam.back));
    if (!(farthest > nearest)) return;
    v->depthA = 65535.0f * farthest / (farthest - nearest);
    v->depthB = v->depthA * nearest;
}

void ProjectPoint(const View& v, float x, float y, float z, int32_t* sx, int32_t* sy,
                  float* depth) {
    // Positions are held to +-2^29 in fixed point (and NaN to a side), so that no edge
    // function of the rasterizer can overflow whatever numbers the scene was given.
    const float invZ = 1.0f / z, limit = 536870912.0f;
    auto held = [](float value, float lo, float hi) {  // NaN becomes lo
        return value >= lo ? (value <= hi ? value : hi) : lo;
    };
    auto fixed = [&](float pixels) {  // rounded half away from zero
        const float v = held(pixels * kSubPixel, -limit, limit);
        return static_cast<int32_t>(v >= 0 ? v + 0.5f : v - 0.5f);
    };
    *sx = fixed(v.cx + v.scale * x * invZ);
    *sy = fixed(v.cy - v.scale * y * invZ);
    *depth = held(v.depthA - v.depthB * invZ, 0.0f, 65535.0f);
}

float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Unit(Vec3 a) {
    float len = std::sqrt(Dot(a, a));
    if (!(len > 1e-20f)) return Vec3{0, 0, 0};
    return Vec3{a.x / len, a.y / len, a.z / len};
}

float Power5(float x) {
    float x2 = x * x;
    return x2 * x2 * x;
}

// Per-vertex lighting of one frame object: its colour as the material, the ambient light, and
// for every positioned light a diffuse part intensity * max(0, N.L) and a white specular part
// intensity * max(0, N.H)^5. A parallel-point light shines from its position towards the
// frame's origin; a point light from its position towards each vertex.
void LightFrame(const View& view, const Frame& f, RenderMesh& m) {
    const Vec3 material = f.colorFromFrame ? f.color : Vec3{1, 1, 1};
    const float ambient = scene.lights[0].used ? scene.lights[0].intensity : 0.0f;
    const Vec3 toEye = Unit(
        Vec3{view.eye[0] - f.position.x, view.eye[1] - f.position.y, view.eye[2] - f.position.z});
    struct Active {
        const Light* light;
        Vec3 l, h;  // towards the light, and halfway between it and the eye
    } active[3];
    int count = 0;
    for (int n = 1; n <= 3; ++n) {
        const Light& l = scene.lights[n];
        if (!l.used) continue;
        Vec3 towards = Unit(Vec3{l.position.x - f.position.x, l.position.y - f.position.y,
                                 l.position.z - f.position.z});
        Vec3 half = Unit(Vec3{towards.x + toEye.x, towards.y + toEye.y, towards.z + toEye.z});
        active[count++] = Active{&l, towards, half};
    }
    bool pointLights = false;
    for (int k = 0; k < count; ++k) pointLights |= active[k].light->point;
    // The colour at a vertex with this normal; `vertex` only matters for point lights.
    auto shade = [&](const Vec3& normal, size_t vertex) {
        float diffuse = ambient, specular = 0;
        for (int k = 0; k < count; ++k) {
            Vec3 l = active[k].l, h = active[k].h;
            if (active[k].light->point) {
                const Vec3& p = m.positions[m.vertexPosition[vertex]];
                const Vec3& lp = active[k].light->position;
                l = Unit(Vec3{lp.x - p.x - f.position.x, lp.y - p.y - f.position.y,
                              lp.z - p.z - f.position.z});
                h = Unit(Vec3{l.x + toEye.x, l.y + toEye.y, l.z + toEye.z});
            }
            float nl = Dot(normal, l);
            if (nl <= 0) continue;
            float intensity = active[k].light->intensity;
            diffuse += intensity * nl;
            specular += intensity * Power5(std::max(0.0f, Dot(normal, h)));
        }
        // 0 .. 255.5: the rasterizer's truncation then rounds to the nearest level.
        auto channel = [&](float c) {
            return std::clamp(c * diffuse + specular, 0.0f, 1.0f) * 255.0f + 0.5f;
        };
        return Vec3{channel(material.x), channel(material.y), channel(material.z)};
    };
    const size_t vertices = m.vertexPosition.size();
    if (pointLights) {
        for (size_t i = 0; i < vertices; ++i) m.lit[i] = shade(m.normals[m.vertexNormal[i]], i);
        return;
    }
    // Without point lights a vertex's colour depends on its normal alone, and a mesh has far
    // fewer normals than vertices (a block: 6 against 72).
    for (size_t n = 0; n < m.normals.size(); ++n) m.litNormal[n] = shade(m.normals[n], 0);
    for (size_t i = 0; i < vertices; ++i) m.lit[i] = m.litNormal[m.vertexNormal[i]];
}

RasterVertex Corner(const RenderMesh& m, int vertex) {
    const RenderMesh::Projected& p = m.projected[m.vertexPosition[vertex]];
    const Vec3& c = m.lit[vertex];
    return RasterVertex{p.sx, p.sy, p.depth, c.x, c.y, c.z};
}

struct ClipVertex {
    float x, y, z, r, g, b;
};

ClipVertex Between(const ClipVertex& in, const ClipVertex& out, float t) {
    return ClipVertex{in.x + t * (out.x - in.x), in.y + t * (out.y - in.y),
                      in.z + t * (out.z - in.z), in.r + t * (out.r - in.r),
                      in.g + t * (out.g - in.g), in.b + t * (out.b - in.b)};
}

// Clips a convex polygon against one plane. A new point on an edge is always computed from
// the edge's inside end, so two triangles sharing the edge get the very same point.
int ClipPolygon(const PlaneEq& plane, const ClipVertex* in, int count, ClipVertex* out) {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const ClipVertex& a = in[i];
        const ClipVertex& b = in[(i + 1) % count];
        float da = plane.At(a.x, a.y, a.z), db = plane.At(b.x, b.y, b.z);
        if (da >= 0) out[n++] = a;
        if ((da >= 0) != (db >= 0)) {
            out[n++] = da >= 0 ? Between(a, b, da / (da - db)) : Between(b, a, db / (db - da));
        }
    }
    return n;
}

void DrawClippedTriangle(const View& view, DrawList& list, const RenderMesh& m, const int* tri,
                         unsigned planes) {
    ClipVertex poly[2][16];
    int count = 3;
    for (int k = 0; k < 3; ++k) {
        const RenderMesh::Projected& p = m.projected[m.vertexPosition[tri[k]]];
        const Vec3& c = m.lit[tri[k]];
        poly[0][k] = ClipVertex{p.x, p.y, p.z, c.x, c.y, c.z};
    }
    // Only front faces are clipped: in camera space the eye is at the origin.
    const ClipVertex &a = poly[0][0], &b = poly[0][1], &c = poly[0][2];
    Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
    Vec3 n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    if (Dot(n, Vec3{a.x, a.y, a.z}) >= 0) return;
    int cur = 0;
    for (int p = 0; p < kPlaneCount && count >= 3; ++p) {
        if (!(planes & (1u << p))) continue;
        count = ClipPolygon(view.clip[p], poly[cur], count, poly[cur ^ 1]);
        cur ^= 1;
    }
    if (count < 3) return;
    RasterVertex rv[16];
    for (int k = 0; k < count; ++k) {
        const ClipVertex& v = poly[cur][k];
        ProjectPoint(view, v.x, v.y, v.z, &rv[k].x, &rv[k].y, &rv[k].z);
        rv[k].r = v.r;
        rv[k].g = v.g;
        rv[k].b = v.b;
    }
    for (int k = 1; k + 1 < count; ++k) list.AddTriangle(rv[0], rv[k], rv[k + 1]);
}

void DrawFrame(const View& view, DrawList& list, const Frame& f) {
    RenderMesh& m = *f.mesh;
    if (m.triangles.empty() && m.quads.empty()) return;
    // The frame's origin in camera space.
    const float d[3] = {f.position.x - view.eye[0], f.position.y - view.eye[1],
                        f.position.z - view.eye[2]};
    float o[3];
    for (int k = 0; k < 3; ++k) {
        o[k] = d[0] * view.rot[k][0] + d[1] * view.rot[k][1] + d[2] * view.rot[k][2];
    }
    float c[3];
    for (int k = 0; k < 3; ++k) {
        c[k] = m.centre.x * view.rot[k][0] + m.centre.y * view.rot[k][1] +
               m.centre.z * view.rot[k][2] + o[k];
    }
    bool needsClip = false;
    for (int p = 0; p < kPlaneCount; ++p) {
        if (view.visible[p].At(c[0], c[1], c[2]) < -m.radius) return;  // wholly outside
        if (view.sphere[p].At(c[0], c[1], c[2]) < m.radius) needsClip = true;
    }

    LightFrame(view, f, m);
    const size_t positions = m.positions.size();
    for (size_t i = 0; i < positions; ++i) {
        RenderMesh::Projected& p = m.projected[i];
        p.x = m.rotated[i].x + o[0];
        p.y = m.rotated[i].y + o[1];
        p.z = m.rotated[i].z + o[2];
        p.outside = 0;
        if (needsClip) {
            for (int k = 0; k < kPlaneCount; ++k) {
                if (view.clip[k].At(p.x, p.y, p.z) < 0) p.outside |= 1u << k;
            }
        }
        if (p.outside == 0) ProjectPoint(view, p.x, p.y, p.z, &p.sx, &p.sy, &p.depth);
    }
    auto outside = [&](int vertex) { return m.projected[m.vertexPosition[vertex]].outside; };
    const size_t corners = m.triangles.size();
    for (size_t i = 0; i + 2 < corners; i += 3) {
        const int* tri = &m.triangles[i];
        const unsigned a = outside(tri[0]), b = outside(tri[1]), c3 = outside(tri[2]);
        if (a & b & c3) continue;  // wholly outside one plane
        if (a | b | c3) {
            DrawClippedTriangle(view, list, m, tri, a | b | c3);
        } else {
            list.AddTriangle(Corner(m, tri[0]), Corner(m, tri[1]), Corner(m, tri[2]));
        }
    }
    // Quads are drawn whole unless they reach a clip plane; then as their two triangles.
    const size_t quadCorners = m.quads.size();
    for (size_t i = 0; i + 3 < quadCorners; i += 4) {
        const int* q = &m.quads[i];
        const unsigned a = outside(q[0]), b = outside(q[1]), c3 = outside(q[2]), d4 = outside(q[3]);
        if (a & b & c3 & d4) continue;
        if (a | b | c3 | d4) {
            const int first[3] = {q[0], q[1], q[2]}, second[3] = {q[0], q[2], q[3]};
            if (!(a & b & c3)) DrawClippedTriangle(view, list, m, first, a | b | c3);
            if (!(a & c3 & d4)) DrawClippedTriangle(view, list, m, second, a | c3 | d4);
        } else {
            list.AddQuad(Corner(m, q[0]), Corner(m, q[1]), Corner(m, q[2]), Corner(m, q[3]));
        }
    }
}

// Turns every mesh's positions into the camera's orientation.
void RotateMeshes(const View& view) {
    for (RenderMesh& m : scene.meshes) {
        const size_t n = m.positions.size();
        for (size_t i = 0; i < n; ++i) {
            const Vec3& p = m.positions[i];
            m.rotated[i] = Vec3{p.x * view.rot[0][0] + p.y * view.rot[0][1] + p.z * view.rot[0][2],
                                p.x * view.rot[1][0] + p.y * view.rot[1][1] + p.z * view.rot[1][2],
                                p.x * view.rot[2][0] + p.y * view.rot[2][1] + p.z * view.rot[2][2]};
        }
    }
}

DrawList drawList;

// Twice the polygons of every frame, shown or not: room for a picture's front faces and the
// triangles that clipping makes, so that the list does not grow as blocks are shown.
size_t ListRoom() {
    size_t room = 0;
    for (const Frame& f : scene.frames) {
        if (f.mesh) room += f.mesh->triangles.size() / 3 + f.mesh->quads.size() / 4;
    }
    return 2 * room;
}

// The shown frames with a mesh, nearest to the camera first: the pixels of blocks behind
// others then fail the depth test and are never written. The order decides nothing else, as
// no two blocks tie in depth.
const std::vector<const Frame*>& NearestFirst(const View& view) {
    static std::vector<std::pair<float, const Frame*>> byDistance;
    static std::vector<const Frame*> order;
    byDistance.clear();
    order.clear();
    byDistance.reserve(scene.frames.size());
    order.reserve(scene.frames.size());
    for (const Frame* f = scene.firstShown; f; f = f->next) {
        if (!f->mesh) continue;
        float c[3];
        CentreInCamera(view, *f, c);
        byDistance.emplace_back(c[2], f);
    }
    std::sort(byDistance.begin(), byDistance.end());
    for (const auto& entry : byDistance) order.push_back(entry.second);
    return order;
}

int ToByte(float v) {
    if (!(v > 0)) return 0;
    return v >= 1 ? 255 : static_cast<int>(v * 255.0f + 0.5f);
}

}  // namespace

void RenderInto(const RenderTarget& target) {
    RasterTarget base;
    if (scene.released || !PrepareTarget(target, &base)) return;
    const uint32_t background = PackColor(base, ToByte(scene.background.x),
                                          ToByte(scene.background.y), ToByte(scene.background.z));
    for (int n = 1; n <= 4; ++n) {
        const Camera& cam = scene.cameras[n];
        if (!cam.used) continue;
        RasterTarget t = base;
        t.clipX0 = std::max(cam.x1, 0);
        t.clipY0 = std::max(cam.y1, 0);
        t.clipX1 = std::min(cam.x2, target.width);
        t.clipY1 = std::min(cam.y2, target.height);
        if (t.clipX0 >= t.clipX1 || t.clipY0 >= t.clipY1) continue;
        View view;
        if (!SetUpView(cam, t, &view)) continue;
        FitDepthRange(cam, &view);
        RotateMeshes(view);
        // The geometry on this thread, into the list; the pixels in bands on every core.
        drawList.Start(t);
        drawList.Reserve(ListRoom());
        for (const Frame* f : NearestFirst(view)) DrawFrame(view, drawList, *f);
        DrawPicture(n, t, background, drawList);
    }
}

}  // namespace ka3D
