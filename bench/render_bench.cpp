// ka3D::RenderInto with the game's camera at distance 65, circling the well as in the game:
// a half-full 10 x 20 well (100 blocks) at 640 x 480 and all 900 blocks at 1600 x 1200, both
// into a 5-6-5 colour buffer with a 16-bit depth buffer. The block is resources/koraven.x when
// it can be read from the working folder or beside the benchmark, else a plain cube.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "scene3d/box_mesh.h"
#include "game/demo_scene.h"
#include "settings/settings.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace {

ka3D::Mesh BlockShape() {
    ka3D::Mesh mesh;
    for (const char* path : {"resources/koraven.x", "bin/koraven.x", "../resources/koraven.x"}) {
        if (ka3D::LoadXFile(path, &mesh) && !mesh.triangles.empty()) return mesh;
    }
    ka3D::BuildBoxMesh(0.95f, &mesh);
    return mesh;
}

void RenderWell(benchmark::State& state, int width, int height, int wellW, int wellH, int rows) {
    ResetSettings();  // the blocks take the default colours
    ka3D::Mesh block = BlockShape();
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(block, width, height, wellW, wellH, rows, frames);
    std::vector<uint16_t> color(static_cast<size_t>(width) * height);
    std::vector<uint16_t> depth(static_cast<size_t>(width) * height);
    ka3D::RenderTarget t{color.data(), width * 2, width,  height,       16,
                         0xF800,       0x07E0,    0x001F, depth.data(), width * 2};
    float angle = 0;
    for (auto _ : state) {
        angle += 1.3f;  // about 80 degrees per second at 60 frames per second
        if (angle >= 360) angle -= 360;
        ka3D::DemoOrbit(angle, 65.0f);
        ka3D::RenderInto(t);
        ka3D::UndoDemoOrbit(angle);
        benchmark::DoNotOptimize(color.data());
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = static_cast<double>(block.triangles.size());
    ka3D::Release();
}

void BM_HalfWell640x480(benchmark::State& state) {
    RenderWell(state, 640, 480, 10, 20, 10);
}
void BM_AllBlocks1600x1200(benchmark::State& state) {
    RenderWell(state, 1600, 1200, 30, 30, 30);
}

BENCHMARK(BM_HalfWell640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllBlocks1600x1200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
