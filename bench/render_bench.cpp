// ka3D::RenderInto with the game's camera at distance 65, circling the well as in the game:
// a half-full 10 x 20 well (100 blocks) at 640 x 480 and all 900 blocks at 1600 x 1200 into a
// 5-6-5 colour buffer, and all 900 blocks at 1600 x 1200 and 3840 x 2160 into an 8-8-8-8 one, on
// one thread and on every core; always with a 16-bit depth buffer, the buffers kept from frame
// to frame as the saver keeps its 3D sprite. The block is resources/koraven.x when it can be
// read from the working folder or beside the benchmark, else a plain cube.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/render_buffers.h"
#include "scene3d/box_mesh.h"
#include "game/demo_scene.h"
#include "settings/settings.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"
#include "scene3d/render_bands.h"

namespace {

ka3D::Mesh BlockShape() {
    ka3D::Mesh mesh;
    for (const char* path : {"resources/koraven.x", "bin/koraven.x", "../resources/koraven.x"}) {
        if (ka3D::LoadXFile(path, &mesh) && !mesh.triangles.empty()) return mesh;
    }
    ka3D::BuildBoxMesh(0.95f, &mesh);
    return mesh;
}

void RenderWell(benchmark::State& state, int width, int height, int wellW, int wellH, int rows,
                int bits = 16, int threads = 1) {
    ResetSettings();  // the blocks take the default colours
    ka3D::Mesh block = BlockShape();
    ka3D::Frame* frames[ka3D::kDemoBlocks];
    ka3D::BuildDemoScene(block, width, height, wellW, wellH, rows, frames);
    ka3D::SetRenderThreads(threads);
    ka3D::KeepPictures(true);
    RenderBuffers buffers(width, height, bits);
    float angle = 0;
    for (auto _ : state) {
        angle += 1.3f;  // about 80 degrees per second at 60 frames per second
        if (angle >= 360) angle -= 360;
        ka3D::DemoOrbit(angle, 65.0f);
        ka3D::RenderInto(buffers.target);
        ka3D::UndoDemoOrbit(angle);
        benchmark::DoNotOptimize(buffers.color.data());
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = static_cast<double>(block.triangles.size());
    ka3D::Release();
    ka3D::KeepPictures(false);
    ka3D::SetRenderThreads(0);
}

void BM_HalfWell640x480(benchmark::State& state) {
    RenderWell(state, 640, 480, 10, 20, 10);
}
void BM_AllBlocks1600x1200(benchmark::State& state) {
    RenderWell(state, 1600, 1200, 30, 30, 30);
}

void BM_AllBlocks1600x1200x32(benchmark::State& state) {
    RenderWell(state, 1600, 1200, 30, 30, 30, 32);
}
void BM_AllBlocks3840x2160x32(benchmark::State& state) {
    RenderWell(state, 3840, 2160, 30, 30, 30, 32);
}
void BM_AllBlocks3840x2160x32EveryCore(benchmark::State& state) {
    RenderWell(state, 3840, 2160, 30, 30, 30, 32, 0);
}

BENCHMARK(BM_HalfWell640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllBlocks1600x1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllBlocks1600x1200x32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllBlocks3840x2160x32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllBlocks3840x2160x32EveryCore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
