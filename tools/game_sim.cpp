// Plays many games headless against the real scene and reports, for a few settings, pieces
// and rows per game, the worst and mean time of choosing a piece (ChooseNextPiece) and of
// planning its path (PlanPath), and the heap allocations made by game frames.
//
//   game_sim [games] [seed]
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <new>

#include "common/well_grid.h"
#include "game/game_state.h"
#include "game/well.h"
#include "scene3d/ka3d.h"
#include "settings/settings.h"
#include "common/random.h"
#include "common/shell_state.h"

#include "tests/alloc_count.h"

namespace {

// CPU time of the process (one thread) in microseconds: the cost of a call, without the time
// the machine gave to other work meanwhile.
double CpuMicros() {
    return static_cast<double>(std::clock()) * (1e6 / static_cast<double>(CLOCKS_PER_SEC));
}

// Steps of the generator from one state to another.
long DrawsBetween(uint32_t from, uint32_t to) {
    long n = 0;
    for (uint32_t s = from; s != to; s = s * 214013u + 2531011u) ++n;
    return n;
}

struct Timing {
    double worst = 0;
    double total = 0;
    long count = 0;
    void Add(double us) {
        if (us > worst) worst = us;
        total += us;
        ++count;
    }
    double Mean() const { return count ? total / static_cast<double>(count) : 0; }
};

struct Setting {
    const char* name;
    int width, height, mayoi, sukima, dSpeed;
};

const Setting kSettings[] = {
    {"default 10x20 MAYOI 5 SUKIMA 5 D_SPEED 5", 10, 20, 5, 5, 5},
    {"30x30 MAYOI 10 SUKIMA 0 D_SPEED 1", 30, 30, 10, 0, 1},
    {"30x30 MAYOI 10 SUKIMA 10 D_SPEED 1", 30, 30, 10, 10, 1},
    {"30x5 MAYOI 0 SUKIMA 10 D_SPEED 10", 30, 5, 0, 10, 10},
    {"4x30 MAYOI 10 SUKIMA 0 D_SPEED 1", 4, 30, 10, 0, 1},
};

void Run(const Setting& s, const Config& defaults, int games, uint32_t seed) {
    config = defaults;
    config.WIDTH = s.width;
    config.HEIGHT = s.height;
    config.MAYOI = s.mayoi;
    config.SUKIMA = s.sukima;
    config.D_SPEED = s.dSpeed;
    SetWellBounds(config.WIDTH, config.HEIGHT);
    LayBlockGrid();
    ka3D::PlaceFrames(blockFrames, blockPositions, kBlockCount);
    InitGameState();
    SeedRand(seed);
    heldKey = 0;
    frameDelta = 0.25f;  // one move a frame; the plans do not depend on the frame time

    Timing choose;
    Timing plan;
    Timing failedChoices;  // the last choice of every game
    long mostDraws = 0;    // random numbers drawn by one choice
    long pieces = 0;
    long rows = 0;
    long frames = 0;
    long failedPlans = 0;
    int played = 0;
    const long allocationsBefore = newCallCount;
    while (played < games) {
        const int before = gameState;
        if (before == GAME_REMOVE) {
            rows += rowGroupA.bottom - rowGroupA.top + 1;
            if (rowGroupB.top > 0) rows += rowGroupB.bottom - rowGroupB.top + 1;
        }
        GameOrbitStep();
        const uint32_t stateBefore = randomState;
        const double t0 = CpuMicros();
        GameStateStep();
        const double t1 = CpuMicros();
        GameTurnBack();
        GameKeyStep();
        ++frames;
        const double us = t1 - t0;
        if (before == GAME_CHOOSE) {
            choose.Add(us);
            const long draws = DrawsBetween(stateBefore, randomState);
            if (draws > mostDraws) mostDraws = draws;
            if (gameState == GAME_OVER) failedChoices.Add(us);
        }
        if (before == GAME_PLAN) {
            plan.Add(us);
            if (gameState == GAME_CHOOSE) ++failedPlans;
        }
        if (before == GAME_SETTLE) ++pieces;
        if (before == GAME_OVER_FADE && gameState == GAME_CHOOSE) ++played;
    }
    const long allocations = newCallCount - allocationsBefore;
    std::printf("%s\n", s.name);
    std::printf("  games %d, frames %ld, pieces/game %.1f, rows/game %.1f, failed plans %ld\n",
                played, frames, static_cast<double>(pieces) / played,
                static_cast<double>(rows) / played, failedPlans);
    std::printf("  ChooseNextPiece: %ld calls, mean %.1f us, worst %.1f us\n", choose.count,
                choose.Mean(), choose.worst);
    std::printf("  most random draws in one choice: %ld\n", mostDraws);
    std::printf("  of which failed: mean %.1f us, worst %.1f us\n", failedChoices.Mean(),
                failedChoices.worst);
    std::printf("  PlanPath:        %ld calls, mean %.1f us, worst %.1f us\n", plan.count,
                plan.Mean(), plan.worst);
    std::printf("  heap allocations in game frames: %ld\n", allocations);
}

}  // namespace

int main(int argc, char** argv) {
    ResetSettings();
    const int games = argc > 1 ? std::atoi(argv[1]) : 200;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
    const Config defaults = config;
    ka3D::SetBackground(0, 0, 0);
    ka3D::CreateCamera(1, 0, 0, 640, 480);
    ka3D::SetAmbient(0.35f);
    ka3D::CreateLight(1, 0.7f, 3);
    ka3D::UseFrameColor();
    ka3D::LoadObject(config.BLOCKFILE, kBlockCount, blockFrames);
    for (const Setting& s : kSettings) Run(s, defaults, games > 0 ? games : 1, seed);
    return 0;
}
