// Our renderer beside Mesa's llvmpipe, in one run, on the same scenes: the game's camera at
// distance 65 circling the well, the block shape of resources/koraven.x, the game's colours,
// ambient light and one parallel-point light with a white specular part, Gouraud shading, a
// 16-bit depth buffer and the same colour format. llvmpipe draws on one thread
// (LP_NUM_THREADS=0) through an EGL surfaceless context into a framebuffer object; every
// frame is cleared whole and finished (glFinish) before the clock stops. Ours draws into
// buffers it keeps from frame to frame, as the saver's 3D sprite is, on one thread and on every
// core. Figures are medians over the frames of a run, in milliseconds: the process's processor
// time for the one-thread columns (other programs on the machine then count for little), the
// time on the clock for ours on every core.
//
// The picture is checked as well: the number of pixels each renderer covers in one frame.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/render_buffers.h"
#include "scene3d/box_mesh.h"
#include "game/demo_scene.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "scene3d/render_bands.h"
#include "scene3d/scene.h"
#include "settings/settings.h"

namespace {

struct Case {
    const char* name;
    int width, height, wellWidth, wellHeight, rows, bits, frames;
};

constexpr Case kCases[] = {
    {"640x480, 100 blocks, 32-bit", 640, 480, 10, 20, 10, 32, 200},
    {"1600x1200, 900 blocks, 16-bit", 1600, 1200, 30, 30, 30, 16, 60},
    {"1600x1200, 900 blocks, 32-bit", 1600, 1200, 30, 30, 30, 32, 60},
    {"3840x2160, 900 blocks, 32-bit", 3840, 2160, 30, 30, 30, 32, 30},
};

constexpr float kAngleStep = 1.3f;  // about 80 degrees a second at 60 frames a second
constexpr float kDistance = 65.0f;

ka3D::Mesh BlockShape() {
    ka3D::Mesh mesh;
    for (const char* path : {"resources/koraven.x", "bin/koraven.x", "../resources/koraven.x"}) {
        if (ka3D::LoadXFile(path, &mesh) && !mesh.triangles.empty()) return mesh;
    }
    std::fprintf(stderr, "resources/koraven.x not found: a plain cube instead\n");
    ka3D::BuildBoxMesh(0.95f, &mesh);
    return mesh;
}

double Median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Milliseconds of processor time used by the process, or on the clock.
double Now(bool processor) {
    timespec t;
    clock_gettime(processor ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

// ---- ours ----------------------------------------------------------------------------------

struct OurBuffers : RenderBuffers {
    using RenderBuffers::RenderBuffers;
    long Covered() const {
        long n = 0;
        const auto* bytes = reinterpret_cast<const uint8_t*>(color.data());
        const int step = target.bitsPerPixel / 8;
        for (long i = 0; i < static_cast<long>(target.width) * target.height; ++i) {
            uint32_t v = 0;
            std::memcpy(&v, bytes + i * step, static_cast<size_t>(step));
            n += v != 0;
        }
        return n;
    }
};

double TimeOurs(const Case& c, int threads, long* covered) {
    ka3D::SetRenderThreads(threads);
    ka3D::KeepPictures(true);
    OurBuffers b(c.width, c.height, c.bits);
    std::vector<double> times;
    times.reserve(static_cast<size_t>(c.frames));
    float angle = 0;
    for (int i = -5; i < c.frames; ++i) {  // five frames to warm up
        angle = std::fmod(angle + kAngleStep, 360.0f);
        ka3D::DemoOrbit(angle, kDistance);
        const double start = Now(threads == 1);
        ka3D::RenderInto(b.target);
        const double end = Now(threads == 1);
        ka3D::UndoDemoOrbit(angle);
        if (i >= 0) times.push_back(end - start);
    }
    ka3D::DemoOrbit(40.0f, kDistance);
    ka3D::RenderInto(b.target);
    ka3D::UndoDemoOrbit(40.0f);
    *covered = b.Covered();
    ka3D::KeepPictures(false);
    return Median(times);
}

// ---- llvmpipe ------------------------------------------------------------------------------

struct GlFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
};

GlFunctions gl;

template <typename F>
bool Load(F* f, const char* name) {
    *f = reinterpret_cast<F>(eglGetProcAddress(name));
    return *f != nullptr;
}

// An EGL display without a window system and a current OpenGL context on it; false with a
// message when Mesa's EGL or its software driver is missing.
bool StartLlvmpipe() {
    setenv("LP_NUM_THREADS", "0", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return false;
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) return false;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) return false;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) return false;
    return Load(&gl.genFramebuffers, "glGenFramebuffers") &&
           Load(&gl.bindFramebuffer, "glBindFramebuffer") &&
           Load(&gl.deleteFramebuffers, "glDeleteFramebuffers") &&
           Load(&gl.genRenderbuffers, "glGenRenderbuffers") &&
           Load(&gl.bindRenderbuffer, "glBindRenderbuffer") &&
           Load(&gl.deleteRenderbuffers, "glDeleteRenderbuffers") &&
           Load(&gl.renderbufferStorage, "glRenderbufferStorage") &&
           Load(&gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           Load(&gl.checkFramebufferStatus, "glCheckFramebufferStatus");
}

// A framebuffer of the case's size and colour format with a 16-bit depth buffer.
struct GlTarget {
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    bool complete = false;
    GlTarget(int w, int h, int bits) {
        gl.genFramebuffers(1, &framebuffer);
        gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        gl.genRenderbuffers(2, buffers);
        gl.bindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        gl.renderbufferStorage(GL_RENDERBUFFER, bits == 32 ? GL_RGBA8 : GL_RGB565, w, h);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                   buffers[0]);
        gl.bindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, w, h);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                   buffers[1]);
        complete = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glViewport(0, 0, w, h);
    }
    ~GlTarget() {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteRenderbuffers(2, buffers);
        gl.deleteFramebuffers(1, &framebuffer);
    }
};

// The block as a display list: its triangles with their corners' normals.
GLuint BlockList(const ka3D::Mesh& mesh) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const ka3D::MeshTriangle& t : mesh.triangles) {
        for (const ka3D::MeshCorner& c : t.corner) {
            if (c.normal >= 0 && c.normal < static_cast<int>(mesh.normals.size())) {
                const ka3D::Vec3& n = mesh.normals[static_cast<size_t>(c.normal)];
                glNormal3f(n.x, n.y, n.z);
            }
            const ka3D::Vec3& p = mesh.positions[static_cast<size_t>(c.position)];
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    glEndList();
    return list;
}

// Lights and materials as the layer lights a frame: ambient 0.35 of the frame's colour, the
// light's 0.7 diffuse, and its white specular part with power 5 towards the eye.
void SetUpLighting() {
    const ka3D::Light& light = ka3D::scene.lights[1];
    const float ambient[4] = {ka3D::scene.lights[0].intensity, ka3D::scene.lights[0].intensity,
                              ka3D::scene.lights[0].intensity, 1};
    const float part[4] = {light.intensity, light.intensity, light.intensity, 1};
    const float none[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, part);
    glLightfv(GL_LIGHT0, GL_SPECULAR, part);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, 5.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);  // clockwise on the screen, as the layer's front faces
}

// Camera 1 of the layer as GL's projection and model-view: the layer looks along +z, GL
// along -z, so the camera's third axis is turned round.
void LoadCamera(int width, int height) {
    const ka3D::Camera& cam = ka3D::scene.cameras[1];
    const double scale = std::min(width, height), n = cam.front;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-n * width / (2 * scale), n * width / (2 * scale), -n * height / (2 * scale),
              n * height / (2 * scale), n, cam.back);
    GLdouble m[16];
    for (int row = 0; row < 3; ++row) {
        const double sign = row == 2 ? -1.0 : 1.0;
        double t = 0;
        for (int col = 0; col < 3; ++col) {
            m[col * 4 + row] = sign * cam.orientation[row][col];
            t -= sign * cam.orientation[row][col] * cam.position[col];
        }
        m[12 + row] = t;
        m[row * 4 + 3] = 0;
    }
    m[15] = 1;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(m);
}

void DrawScene(const Case& c, GLuint block) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    LoadCamera(c.width, c.height);
    const ka3D::Light& light = ka3D::scene.lights[1];
    for (const ka3D::Frame* f = ka3D::scene.firstShown; f; f = f->next) {
        // A parallel-point light shines from its position towards the frame's origin.
        const float towards[4] = {light.position.x - f->position.x,
                                  light.position.y - f->position.y,
                                  light.position.z - f->position.z, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, towards);
        glColor3f(f->color.x, f->color.y, f->color.z);
        glPushMatrix();
        glTranslatef(f->position.x, f->position.y, f->position.z);
        glCallList(block);
        glPopMatrix();
    }
    glFinish();
}

// Milliseconds a frame, or -1 when the framebuffer cannot have the case's format.
double TimeLlvmpipe(const Case& c, GLuint block, long* covered) {
    GlTarget target(c.width, c.height, c.bits);
    if (!target.complete) return -1;
    glClearColor(0, 0, 0, 1);
    SetUpLighting();
    std::vector<double> times;
    times.reserve(static_cast<size_t>(c.frames));
    float angle = 0;
    for (int i = -5; i < c.frames; ++i) {
        angle = std::fmod(angle + kAngleStep, 360.0f);
        ka3D::DemoOrbit(angle, kDistance);
        const double start = Now(true);
        DrawScene(c, block);
        const double end = Now(true);
        ka3D::UndoDemoOrbit(angle);
        if (i >= 0) times.push_back(end - start);
    }
    ka3D::DemoOrbit(40.0f, kDistance);
    DrawScene(c, block);
    ka3D::UndoDemoOrbit(40.0f);
    std::vector<uint8_t> pixels(static_cast<size_t>(c.width) * c.height * 4);
    glReadPixels(0, 0, c.width, c.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    *covered = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        *covered += (pixels[i] | pixels[i + 1] | pixels[i + 2]) != 0;
    }
    return Median(times);
}

}  // namespace

int main() {
    const ka3D::Mesh block = BlockShape();
    const bool llvmpipe = StartLlvmpipe();
    const char* renderer =
        llvmpipe ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
    if (!llvmpipe) {
        std::fprintf(stderr,
                     "no EGL surfaceless OpenGL context (scripts/install-bench-deps.sh "
                     "installs Mesa's EGL and llvmpipe): our figures only\n");
    } else if (!renderer || !std::strstr(renderer, "llvmpipe")) {
        std::fprintf(stderr, "the OpenGL renderer is not llvmpipe but %s\n",
                     renderer ? renderer : "unknown");
    }
    const GLuint list = llvmpipe ? BlockList(block) : 0;
    std::printf("OpenGL renderer: %s (LP_NUM_THREADS=%s)\n", renderer ? renderer : "none",
                std::getenv("LP_NUM_THREADS") ? std::getenv("LP_NUM_THREADS") : "unset");
    std::printf(
        "median milliseconds a frame (one thread: processor time; all: clock time);\n"
        "covered: pixels drawn in the frame at 40 degrees\n");
    std::printf("%-32s %10s %10s %10s %10s %10s %10s\n", "scene", "ours 1 th", "ours all",
                "llvmpipe", "llvm/ours", "covered", "llvm cov.");
    ResetSettings();  // the blocks take the default colours
    for (const Case& c : kCases) {
        ka3D::Frame* frames[ka3D::kDemoBlocks];
        ka3D::BuildDemoScene(block, c.width, c.height, c.wellWidth, c.wellHeight, c.rows, frames);
        long coveredOurs = 0, coveredAll = 0, coveredGl = 0;
        const double one = TimeOurs(c, 1, &coveredOurs);
        const double all = TimeOurs(c, 0, &coveredAll);
        const double gl = llvmpipe ? TimeLlvmpipe(c, list, &coveredGl) : -1;
        std::printf("%-32s %10.2f %10.2f ", c.name, one, all);
        if (gl >= 0) {
            std::printf("%10.2f %10.2f %10ld %10ld\n", gl, gl / one, coveredOurs, coveredGl);
        } else {
            std::printf("%10s %10s %10ld %10s\n", "n/a", "n/a", coveredOurs, "n/a");
        }
        ka3D::Release();
    }
    ka3D::SetRenderThreads(0);
    return 0;
}
