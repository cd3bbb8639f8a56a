// Cost of the computer player's two expensive steps and of a steady game frame, in the
// cases that bound them: a choice in an empty well, a choice that fails after three
// exhausted trials, a choice in a well with holes, a long plan, and a plan that fails after
// the whole move list.
#include <benchmark/benchmark.h>

#include "common/well_grid.h"
#include "game/game_state.h"
#include "game/player.h"
#include "game/well.h"
#include "scene3d/ka3d.h"
#include "settings/settings.h"
#include "common/random.h"
#include "common/shell_state.h"

namespace {

void SetUpWell(int width, int height) {
    static bool loaded = false;
    if (!loaded) {
        ResetSettings();
        loaded = true;
        ka3D::SetBackground(0, 0, 0);
        ka3D::CreateCamera(1, 0, 0, 640, 480);
        ka3D::UseFrameColor();
        ka3D::LoadObject(config.BLOCKFILE, kBlockCount, blockFrames);
    }
    config.WIDTH = width;
    config.HEIGHT = height;
    config.MAYOI = 5;
    config.SUKIMA = 5;
    config.D_SPEED = 5;
    SetWellBounds(width, height);
    LayBlockGrid();
    ka3D::PlaceFrames(blockFrames, blockPositions, kBlockCount);
    InitGameState();
    ResetWell();
    SeedRand(1);
}

void BM_ChooseEmptyWell(benchmark::State& state) {
    SetUpWell(10, 20);
    for (auto _ : state) benchmark::DoNotOptimize(ChooseNextPiece());
}
BENCHMARK(BM_ChooseEmptyWell);

// Two columns with only the top row free: nothing fits, 30000 candidates are refused.
void BM_ChooseFailsAfterThreeTrials(benchmark::State& state) {
    SetUpWell(2, 5);
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN + 1; y <= YMAX; ++y) SetCell(x, y, 0, CELL_SETTLED);
    }
    for (auto _ : state) benchmark::DoNotOptimize(ChooseNextPiece());
}
BENCHMARK(BM_ChooseFailsAfterThreeTrials)->Unit(benchmark::kMicrosecond);

// A wide well with a ragged stack: many candidates leave holes and reach AcceptGap.
void BM_ChooseRaggedWell(benchmark::State& state) {
    SetUpWell(30, 30);
    config.SUKIMA = 0;
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMAX - (x * 7) % 12; y <= YMAX; ++y) {
            if ((x + y) % 5 != 0) SetCell(x, y, 0, CELL_SETTLED);
        }
    }
    for (auto _ : state) benchmark::DoNotOptimize(ChooseNextPiece());
}
BENCHMARK(BM_ChooseRaggedWell)->Unit(benchmark::kMicrosecond);

// From the floor of the tallest well to the top at the slowest fall, with much wandering.
void BM_PlanLongPath(benchmark::State& state) {
    SetUpWell(30, 30);
    config.MAYOI = 10;
    config.D_SPEED = 1;
    piece.kind = 3;
    piece.targetX = XMIN + 15;
    piece.targetY = YMAX - 1;
    piece.targetState = 0;
    for (auto _ : state) benchmark::DoNotOptimize(PlanPath());
}
BENCHMARK(BM_PlanLongPath)->Unit(benchmark::kMicrosecond);

// A target sealed in under a roof: the walk records 1990 moves and gives up.
void BM_PlanFailsUnderOverhang(benchmark::State& state) {
    SetUpWell(30, 30);
    config.MAYOI = 10;
    for (int x = XMIN; x <= XMIN + 3; ++x) SetCell(x, YMAX - 2, 0, CELL_SETTLED);
    SetCell(XMIN + 2, YMAX - 1, 0, CELL_SETTLED);
    SetCell(XMIN + 2, YMAX, 0, CELL_SETTLED);
    piece.kind = 0;
    piece.targetX = XMIN;
    piece.targetY = YMAX - 1;
    piece.targetState = 0;
    for (auto _ : state) benchmark::DoNotOptimize(PlanPath());
}
BENCHMARK(BM_PlanFailsUnderOverhang)->Unit(benchmark::kMicrosecond);

// Whole game frames (without the presentation) of a default game, averaged over all states.
void BM_GameFrame(benchmark::State& state) {
    SetUpWell(10, 20);
    frameDelta = 1 / 60.0f;
    heldKey = 0;
    for (auto _ : state) {
        GameOrbitStep();
        GameStateStep();
        GameTurnBack();
        benchmark::DoNotOptimize(GameKeyStep());
    }
}
BENCHMARK(BM_GameFrame);

}  // namespace

BENCHMARK_MAIN();
