#include "tests/game/game_support.h"

#include <cmath>
#include <cstdio>

#include "display/error_report.h"
#include "display/program_directory.h"

namespace {

// The settings as the program starts with them, taken before any test changes them.
const Config& DefaultConfig() {
    static const Config defaults = config;
    return defaults;
}
bool sceneReady = false;

bool Near(float a, float b) {
    return std::fabs(a - b) <= 1e-6f;
}

// Fade applied to row y in the current state.
float RowLevel(int y) {
    if (gameState == GAME_FADE || gameState == GAME_REMOVE) {
        const bool inA = y >= rowGroupA.top && y <= rowGroupA.bottom;
        const bool inB = rowGroupB.top > 0 && y >= rowGroupB.top && y <= rowGroupB.bottom;
        return inA || inB ? rowFadeLevel : 1.0f;
    }
    if (gameState == GAME_OVER_FADE) return gameOverLevel[y];
    return 1.0f;
}

}  // namespace

void SetUpScene() {
    if (sceneReady) return;
    sceneReady = true;
    // The block shape comes from the program's folder: the build's bin/, where koraven.x is.
    kaDraw::SetModulePath(KORAVEN_BINARY_DIR "/bin/test_game");
    ka3D::SetBackground(0, 0, 0);
    ka3D::CreateCamera(1, 0, 0, 640, 480);
    ka3D::SetAmbient(0.35f);
    ka3D::CreateLight(1, 0.7f, 3);
    ka3D::UseFrameColor();
    ka3D::LoadObject(config.BLOCKFILE, kBlockCount, blockFrames);
    EXPECT_EQ(kaDraw::errorCount, 0) << kaDraw::lastErrorText;
}

void StartWell(int width, int height, uint32_t seed) {
    SetUpScene();
    config = DefaultConfig();
    config.WIDTH = width;
    config.HEIGHT = height;
    PlaceBlocks();
    InitGameState();
    ResetWell();
    SeedRand(seed);
    heldKey = 0;
    frameDelta = 1.0f / 60.0f;
}

bool PlayFrame(float delta) {
    frameDelta = delta;
    GameOrbitStep();
    GameStateStep();
    GameTurnBack();
    return GameKeyStep();
}

testing::AssertionResult SceneMatchesWell() {
    for (int i = 0; i < kBlockCount; ++i) {
        const int x = XMIN + i / kBlockSide, y = YMIN + i % kBlockSide;
        const bool occupied = InPlayfield(x, y) && wellCells[x][y] != CELL_EMPTY;
        float rgb[3];
        ka3D::GetFrameColor(blockFrames[i], &rgb[0], &rgb[1], &rgb[2]);
        const float* want = config.COLOR[occupied ? wellColours[x][y] : 0];
        const float level = RowLevel(y);
        const bool colourOk =
            !occupied || (Near(rgb[0], level * want[0]) && Near(rgb[1], level * want[1]) &&
                          Near(rgb[2], level * want[2]));
        if (ka3D::FrameShown(blockFrames[i]) != occupied ||
            (occupied && wellCells[x][y] == CELL_MARK) || !colourOk) {
            return testing::AssertionFailure()
                   << "block (" << x << ", " << y << ") shown " << ka3D::FrameShown(blockFrames[i])
                   << ", cell " << (InPlayfield(x, y) ? wellCells[x][y] : -1) << ", red " << rgb[0]
                   << " (want " << level * want[0] << "), state " << gameState;
        }
    }
    return testing::AssertionSuccess();
}

int CountCells(int32_t value) {
    int n = 0;
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN; y <= YMAX; ++y) n += wellCells[x][y] == value;
    }
    return n;
}

bool LeavesHole(int x, int y, int kind, int state) {
    int cx[4] = {x};
    int cy[4] = {y};
    for (int i = 0; i < 3; ++i) {
        cx[i + 1] = x + pieceDx[kind][state][i];
        cy[i + 1] = y + pieceDy[kind][state][i];
    }
    for (int i = 0; i < 4; ++i) {
        bool own = false;
        for (int k = 0; k < 4; ++k) own = own || (cx[k] == cx[i] && cy[k] == cy[i] + 1);
        if (!own && wellCells[cx[i]][cy[i] + 1] == CELL_EMPTY) return true;
    }
    return false;
}

void Settle(int x, int y, int colour) {
    SetCell(x, y, colour, CELL_SETTLED);
}

void GameTest::SetUp() {
    DefaultConfig();
    StartWell(10, 20);
}

void GameTest::TearDown() {
    config = DefaultConfig();
    SetWellBounds();
    heldKey = 0;
}
