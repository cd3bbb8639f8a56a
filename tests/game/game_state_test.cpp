// The game frame: first frame, orbit, tick timing, keys, and long seeded runs over every
// corner of the settings with the scene checked after every frame.
#include <cmath>
#include <tuple>

#include "tests/game/game_support.h"

namespace {

TEST_F(GameTest, TheFirstFrameEmptiesTheWellAndChoosesWithoutMovingTheCamera) {
    for (ka3D::Frame* f : blockFrames) ka3D::ShowFrame(f);  // as loaded: all in the scene
    wellCells[XMIN][YMAX] = CELL_SETTLED;
    config.R_SPEED = 9;
    PlayFrame(0.5f);
    EXPECT_FALSE(firstGameFrame);
    EXPECT_EQ(orbitAngle, 0.0f);
    EXPECT_EQ(cameraPosition[2], 0.0f);  // not computed yet
    EXPECT_EQ(gameState, GAME_PLAN);     // chosen in the same frame
    EXPECT_EQ(CountCells(CELL_SETTLED), 0);
    ASSERT_TRUE(SceneMatchesWell());
    PlayFrame(0.5f);
    EXPECT_EQ(orbitAngle, 45.0f);
}

TEST_F(GameTest, TheOrbitWrapsBothWaysAndTheLightKeepsItsAngle) {
    PlayFrame(0.0f);
    config.R_SPEED = 9;  // 90 degrees a second
    const float want[] = {90, 180, 270, 0, 90};
    for (float a : want) {
        PlayFrame(1.0f);
        EXPECT_EQ(orbitAngle, a);
    }
    // At 90 degrees the camera stands on the +X side.
    EXPECT_NEAR(cameraPosition[0], 65.0f, 1e-4f);
    EXPECT_NEAR(cameraPosition[2], 0.0f, 1e-4f);
    config.R_SPEED = -9;
    const float back[] = {0, 270, 180};
    for (float a : back) {
        PlayFrame(1.0f);
        EXPECT_EQ(orbitAngle, a);
    }
    EXPECT_NEAR(cameraPosition[2], 65.0f, 1e-4f);  // 180: opposite the start at -Z
    // The light stays on the circle, 45 radians round from the camera.
    for (int i = 0; i < 50; ++i) {
        config.R_SPEED = i % 2 ? -18 : 7;
        PlayFrame(0.37f * static_cast<float>(i % 5));
        ASSERT_GE(orbitAngle, 0.0f);
        ASSERT_LT(orbitAngle, 360.0f);
        const float cam = std::atan2(cameraPosition[0], -cameraPosition[2]);
        const float light = std::atan2(lightPosition[0], -lightPosition[2]);
        EXPECT_NEAR(std::remainder(light - cam - 45.0f, 2 * 3.14159265f), 0.0f, 1e-3f);
        EXPECT_NEAR(std::hypot(lightPosition[0], lightPosition[2]), 65.0f, 1e-3f);
        EXPECT_EQ(lightPosition[1], 0.0f);
    }
    // A frame of many seconds still leaves the angle within one turn.
    config.R_SPEED = 18;
    PlayFrame(20.3f);
    EXPECT_GE(orbitAngle, 0.0f);
    EXPECT_LT(orbitAngle, 360.0f);
    config.R_SPEED = -18;
    PlayFrame(20.3f);
    EXPECT_GE(orbitAngle, 0.0f);
    EXPECT_LT(orbitAngle, 360.0f);
}

TEST_F(GameTest, KeysMoveTheCameraAndTheWellAndEveryOtherKeyEndsTheSaver) {
    PlayFrame(0.0f);
    for (int key = 0; key < 256; ++key) {
        heldKey = key;
        const bool game = key <= 40 ? (key == 0 || key >= 32)
                                    : (key >= 48 && key <= 57) || (key >= 96 && key <= 105) ||
                                          key == 107 || key == 109 || key == 110;
        EXPECT_EQ(GameKeyStep(), game) << "key " << key;
    }
    heldKey = 32;
    GameKeyStep();
    const int x0 = blockPositions[0][0];
    const int y0 = blockPositions[0][1];
    heldKey = 33;  // Page Up
    for (int i = 0; i < 100; ++i) GameKeyStep();
    EXPECT_NEAR(cameraDistance, 65.0f * std::pow(1 / 1.01, 100), 1e-3f);
    heldKey = 34;  // Page Down
    GameKeyStep();
    EXPECT_NEAR(cameraDistance, 65.0f * std::pow(1 / 1.01, 99), 1e-3f);
    const int arrows[][3] = {{37, -1, 0}, {38, 0, 1}, {39, 1, 0}, {40, 0, -1}};
    for (const auto& a : arrows) {
        heldKey = a[0];
        GameKeyStep();
        EXPECT_EQ(blockPositions[0][0], x0 + a[1]) << a[0];
        EXPECT_EQ(blockPositions[0][1], y0 + a[2]) << a[0];
        heldKey = 32;
        GameKeyStep();
    }
    heldKey = 37;
    for (int i = 0; i < 7; ++i) GameKeyStep();
    heldKey = 40;
    for (int i = 0; i < 3; ++i) GameKeyStep();
    EXPECT_EQ(wellOffsetX, -7);
    EXPECT_EQ(wellOffsetY, -3);
    float p[3];
    ka3D::GetFramePosition(blockFrames[899], &p[0], &p[1], &p[2]);
    EXPECT_EQ(p[0], static_cast<float>(blockPositions[899][0]));
    EXPECT_EQ(p[1], static_cast<float>(y0 - 2 * 29 - 3));
    heldKey = 32;  // space: back in the middle, camera back at 65
    GameKeyStep();
    EXPECT_EQ(blockPositions[0][0], x0);
    EXPECT_EQ(blockPositions[0][1], y0);
    EXPECT_EQ(wellOffsetX, 0);
    EXPECT_EQ(cameraDistance, 65.0f);
    heldKey = 35;
    GameKeyStep();
    EXPECT_TRUE(fastDrop);
    heldKey = 36;
    GameKeyStep();
    EXPECT_FALSE(fastDrop);
}

// Plays up to `frames` frames while the piece is moving; the moves made in each frame.
std::vector<int> MovesPerFrame(float delta, int frames) {
    std::vector<int> out;
    for (int i = 0; i < frames && gameState == GAME_MOVE; ++i) {
        const int before = moveCount;
        PlayFrame(delta);
        out.push_back(gameState == GAME_MOVE ? before - moveCount : 1);
    }
    return out;
}

// Brings a piece with a long path into state 4.
void StartLongPath() {
    StartWell(10, 30, 3);
    config.D_SPEED = 1;
    config.MAYOI = 0;
    while (gameState != GAME_MOVE) PlayFrame(0.01f);
    ASSERT_GT(moveCount, 200);
}

TEST_F(GameTest, TheTickPacesMovesAtAboutThirtyASecondAndWorksOffLongFrames) {
    StartLongPath();
    // 1/64 s: s = 2, one move every second frame.
    std::vector<int> m = MovesPerFrame(1 / 64.0f, 20);
    int total = 0;
    for (int v : m) total += v;
    EXPECT_EQ(total, 10);
    for (size_t i = 1; i < m.size(); ++i) EXPECT_NE(m[i], m[i - 1]);
    // 0 s: s = 5, one move every fifth frame.
    m = MovesPerFrame(0.0f, 25);
    total = 0;
    for (int v : m) total += v;
    EXPECT_EQ(total, 5);
    // Long frames: one move every frame, never more; the counter keeps growing.
    const int counter = tickCounter;
    m = MovesPerFrame(0.25f, 30);
    for (int v : m) EXPECT_EQ(v, 1);
    EXPECT_EQ(tickCounter, counter + 30);
    // Short again: every frame moves until the backlog has gone, one a frame.
    const int backlog = tickCounter;
    m = MovesPerFrame(1 / 64.0f, backlog);
    for (int v : m) EXPECT_EQ(v, 1);
    EXPECT_LE(tickCounter, 1);
}

TEST_F(GameTest, HoldingEndMovesEveryFrameAndPlansAFallEverySecondStep) {
    StartWell(10, 30, 8);
    config.MAYOI = 0;
    heldKey = 35;
    PlayFrame(0.0f);
    while (gameState != GAME_MOVE) PlayFrame(0.0f);
    ASSERT_GT(piece.targetY, YMIN + 20);
    // Played forward the list ends with the first stretch: 16 waits before the last fall,
    // every earlier fall one step after a wait.
    const int first = 0;
    EXPECT_EQ(moveList[first + 16], MOVE_FALL);
    for (int i = first; i < first + 16; ++i) EXPECT_EQ(moveList[i], MOVE_WAIT);
    for (int i = first + 17; i <= moveCount; ++i) {
        EXPECT_EQ(moveList[i], (i - first - 17) % 2 == 0 ? MOVE_WAIT : MOVE_FALL) << i;
    }
    const std::vector<int> m = MovesPerFrame(0.0f, 2000);
    for (int v : m) EXPECT_EQ(v, 1);
    EXPECT_EQ(gameState, GAME_SETTLE);
}

TEST_F(GameTest, BetweenSettlingAndTheNextMoveComeTheRowsChoosePlanAndShowFrames) {
    PlayFrame(0.0f);
    while (gameState != GAME_SETTLE) PlayFrame(0.1f);
    const int expected[] = {GAME_ROWS, GAME_CHOOSE, GAME_PLAN, GAME_SHOW, GAME_MOVE};
    for (int want : expected) {
        PlayFrame(0.1f);
        if (want == GAME_SHOW && gameState == GAME_CHOOSE) break;  // a failed plan
        EXPECT_EQ(gameState, want);
    }
}

// One corner of the settings: WIDTH, HEIGHT, MAYOI, SUKIMA, D_SPEED, FIXCOLOR.
using Corner = std::tuple<int, int, int, int, int, int>;

class GameRun : public testing::TestWithParam<Corner> {};

TEST_P(GameRun, KeepsEveryInvariantFrameAfterFrame) {
    const auto [width, height, mayoi, sukima, dSpeed, fixColour] = GetParam();
    StartWell(width, height, 1000u + width * 31u + height * 7u + mayoi + sukima * 3u + dSpeed);
    config.MAYOI = mayoi;
    config.SUKIMA = sukima;
    config.D_SPEED = dSpeed;
    config.FIXCOLOR = fixColour;
    config.R_SPEED = 5;
    const float deltas[] = {0.1f, 1 / 60.0f, 0.05f, 0.0f, 0.2f};
    int games = 0;
    int pieces = 0;
    long allocations = 0;
    for (int frame = 0; frame < 6000; ++frame) {
        // Now and then hold End for a while, then Home.
        heldKey = frame % 1500 < 300 ? 35 : (frame % 1500 < 310 ? 36 : 0);
        const int before = gameState;
        const int settled = CountCells(CELL_SETTLED);
        if (before == GAME_SETTLE) {
            // Where it was planned: the piece has arrived at its target.
            ASSERT_EQ(piece.x, piece.targetX);
            ASSERT_EQ(piece.y, piece.targetY);
            ASSERT_EQ(piece.state, piece.targetState);
            ++pieces;
        }
        if (before == GAME_SHOW) {
            ASSERT_FALSE(PieceCollides(piece.x, piece.y, piece.kind, piece.state));
        }
        const long news = newCallCount;
        ASSERT_TRUE(PlayFrame(deltas[frame % 5]));
        allocations += newCallCount - news;
        ASSERT_TRUE(SceneMatchesWell()) << "frame " << frame;
        if (gameState == GAME_MOVE || gameState == GAME_SETTLE) {
            // The falling piece covers exactly its four cells, it has passed over no settled
            // block, and it is drawn on free cells only.
            ASSERT_EQ(CountCells(CELL_SETTLED), settled) << "frame " << frame;
            MarkPiece(piece.x, piece.y, piece.kind, piece.state, CELL_MARK);
            ASSERT_EQ(CountCells(CELL_PIECE), 0) << "frame " << frame;
            ASSERT_FALSE(PieceCollides(piece.x, piece.y, piece.kind, piece.state));
            MarkPiece(piece.x, piece.y, piece.kind, piece.state, CELL_PIECE);
        } else {
            ASSERT_EQ(CountCells(CELL_PIECE), 0) << "frame " << frame;
        }
        if (before == GAME_OVER_FADE && gameState == GAME_CHOOSE) {
            ++games;
            ASSERT_EQ(CountCells(CELL_SETTLED), 0);
        }
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(pieces, 0);
    if (height == 5 && width == 30 && dSpeed == 10) {
        EXPECT_GT(games, 0);  // short games: several end and restart in this run
    }
    RecordProperty("games", games);
}

INSTANTIATE_TEST_SUITE_P(Corners, GameRun,
                         testing::Combine(testing::Values(1, 30), testing::Values(5, 30),
                                          testing::Values(0, 10), testing::Values(0, 10),
                                          testing::Values(1, 10), testing::Values(0, 1)));

}  // namespace

namespace {

TEST_F(GameTest, AGameFrameWithItsRenderAllocatesNothing) {
    static uint16_t colour[120][160];
    static uint16_t depth[120][160];
    const ka3D::RenderTarget target = {colour, 320,    160,    120,          16,
                                       0xF800, 0x07E0, 0x001F, &depth[0][0], 320};
    config.D_SPEED = 10;
    PlayFrame(0.1f);
    ka3D::RenderInto(target);  // the first render may set up what it keeps
    const long before = newCallCount;
    for (int frame = 0; frame < 1500; ++frame) {
        PlayFrame(0.1f);
        ka3D::RenderInto(target);
    }
    EXPECT_EQ(newCallCount - before, 0);
}

}  // namespace

namespace {

// Renders the scene into a 32-bit picture of camera 1's 640 x 480 viewport; the centre of its lit
// pixels, or false when nothing is lit.
bool LitCentre(float* cx, float* cy) {
    static uint32_t colour[480][640];
    static uint16_t depth[480][640];
    ka3D::RenderTarget target = {};
    target.color = colour;
    target.colorPitch = sizeof colour[0];
    target.width = 640;
    target.height = 480;
    target.bitsPerPixel = 32;
    target.redMask = 0xFF0000;
    target.greenMask = 0x00FF00;
    target.blueMask = 0x0000FF;
    target.depth = &depth[0][0];
    target.depthPitch = sizeof depth[0];
    ka3D::RenderInto(target);
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (colour[y][x] & 0xFFFFFF) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
        }
    }
    if (n == 0) return false;
    *cx = static_cast<float>(sx / n);
    *cy = static_cast<float>(sy / n);
    return true;
}

TEST_F(GameTest, TheCameraKeepsFacingTheWellAsItCirclesWithColumnZeroOnTheLeft) {
    StartWell(3, 5);
    ka3D::CreateCamera(1, 0, 0, 640, 480);  // untilted, as the title screen leaves it
    frameDelta = 0.1f;
    GameOrbitStep();  // first frame: camera tilted over, well emptied
    GameTurnBack();
    // The middle cell lies at (0, 1, 0), next to the centre of the orbit.
    ShowCell(XMIN + 1, YMIN + 2, 0);
    config.R_SPEED = 7;
    for (int frame = 0; frame < 60; ++frame) {
        GameOrbitStep();
        float cx, cy;
        ASSERT_TRUE(LitCentre(&cx, &cy)) << "angle " << orbitAngle;
        EXPECT_NEAR(cx, 320.0f, 8.0f) << "angle " << orbitAngle;
        EXPECT_NEAR(cy, 240.0f, 12.0f) << "angle " << orbitAngle;
        GameTurnBack();
    }
    // Seen from the start of the orbit: column 0 left of the middle, row 0 above it.
    config.R_SPEED = 0;
    orbitAngle = 0;
    HideCell(XMIN + 1, YMIN + 2);
    ShowCell(XMIN, YMIN + 2, 0);
    GameOrbitStep();
    float cx, cy;
    ASSERT_TRUE(LitCentre(&cx, &cy));
    EXPECT_LT(cx, 312.0f);  // two units left: about 15 pixels
    GameTurnBack();
    HideCell(XMIN, YMIN + 2);
    ShowCell(XMIN + 1, YMIN, 0);
    GameOrbitStep();
    ASSERT_TRUE(LitCentre(&cx, &cy));
    EXPECT_LT(cy, 225.0f);  // four units up: about 30 pixels
    GameTurnBack();
}

}  // namespace
