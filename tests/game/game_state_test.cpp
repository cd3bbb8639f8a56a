// The game frame: first frame, orbit, tick timing, keys, and long seeded runs over every
// corner of the settings with the scene checked after every frame.
#include <cmath>
#include <tuple>

#include "tests/game/game_support.h"

namespace {

TEST_F(GameTest, TheFirstFrameEmptiesTheWellThenTheOrbitTurnsAndWrapsWithTheLight) {
    for (ka3D::Frame* f : blockFrames) ka3D::ShowFrame(f);  // as loaded: all in the scene
    wellCells[XMIN][YMAX] = CELL_SETTLED;
    config.R_SPEED = 9;  // 90 degrees a second
    PlayFrame(0.5f);
    EXPECT_EQ(orbitAngle, 0.0f);  // the first frame does not move the camera
    EXPECT_EQ(gameState, GAME_PLAN);
    EXPECT_EQ(CountCells(CELL_SETTLED), 0);
    ASSERT_TRUE(SceneMatchesWell());
    const std::pair<int, float> steps[] = {{9, 90}, {9, 180}, {9, 270},  {9, 0},
                                           {9, 90}, {-9, 0},  {-9, 270}, {-9, 180}};
    for (const auto& st : steps) {
        config.R_SPEED = st.first;
        PlayFrame(1.0f);
        EXPECT_EQ(orbitAngle, st.second);
    }
    EXPECT_NEAR(cameraPosition[2], 65.0f, 1e-4f);  // 180: opposite the start at -Z
    for (int i = 0; i < 50;
         ++i) {  // the light stays on the circle, 45 radians round from the camera
        config.R_SPEED = i % 2 ? -18 : 7;
        PlayFrame(i == 49 ? 20.3f : 0.37f * static_cast<float>(i % 5));
        ASSERT_TRUE(orbitAngle >= 0.0f && orbitAngle < 360.0f);
        const float cam = std::atan2(cameraPosition[0], -cameraPosition[2]);
        const float light = std::atan2(lightPosition[0], -lightPosition[2]);
        EXPECT_NEAR(std::remainder(light - cam - 45.0f, 2 * 3.14159265f), 0.0f, 1e-3f);
        EXPECT_NEAR(std::hypot(lightPosition[0], lightPosition[2]), 65.0f, 1e-3f);
    }
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
    const int x0 = blockPositions[0][0], y0 = blockPositions[0][1];
    const struct {
        int key, times, dx, dy;
        float distance;
    } keys[] = {{32, 1, 0, 0, 65.0f},
                {33, 100, 0, 0, 65.0f * std::pow(1 / 1.01f, 100)},
                {34, 1, 0, 0, 65.0f * std::pow(1 / 1.01f, 99)},
                {37, 7, -7, 0, 0},
                {38, 1, -7, 1, 0},
                {39, 2, -5, 1, 0},
                {40, 4, -5, -3, 0},
                {32, 1, 0, 0, 65.0f}};
    for (const auto& k : keys) {
        heldKey = k.key;
        for (int i = 0; i < k.times; ++i) GameKeyStep();
        EXPECT_EQ(blockPositions[0][0] - x0, k.dx) << k.key;
        EXPECT_EQ(blockPositions[0][1] - y0, k.dy) << k.key;
        EXPECT_EQ(wellOffsetX * 1000 + wellOffsetY, k.dx * 1000 + k.dy) << k.key;
        if (k.distance > 0) {
            EXPECT_NEAR(cameraDistance, k.distance, 1e-3f) << k.key;
        }
    }
    float p[3];
    heldKey = 37;
    GameKeyStep();
    ka3D::GetFramePosition(blockFrames[899], &p[0], &p[1], &p[2]);
    EXPECT_EQ(p[0], static_cast<float>(blockPositions[899][0]));  // the frames move with them
    heldKey = 35;
    GameKeyStep();
    EXPECT_TRUE(fastDrop);
    heldKey = 36;
    GameKeyStep();
    EXPECT_FALSE(fastDrop);
}

// The moves made in each of up to `frames` frames while the piece is moving, added up.
int Moves(float delta, int frames, bool onePerFrame = false) {
    int total = 0;
    for (int i = 0; i < frames && gameState == GAME_MOVE; ++i) {
        const int before = moveCount;
        PlayFrame(delta);
        const int made = gameState == GAME_MOVE ? before - moveCount : 1;
        EXPECT_TRUE(!onePerFrame || made == 1) << i;
        total += made;
    }
    return total;
}

TEST_F(GameTest, TheTickPacesMovesAtAboutThirtyASecondAndWorksOffLongFrames) {
    StartWell(10, 30, 3);
    config.D_SPEED = 1;
    config.MAYOI = 0;
    while (gameState != GAME_MOVE) PlayFrame(0.01f);
    ASSERT_GT(moveCount, 200);
    EXPECT_EQ(Moves(1 / 64.0f, 20), 10);  // one move every second frame
    EXPECT_EQ(Moves(0.0f, 25), 5);        // one every fifth
    const int counter = tickCounter;
    Moves(0.25f, 30, true);  // long frames: one move a frame, the backlog grows
    EXPECT_EQ(tickCounter, counter + 30);
    Moves(1 / 64.0f, tickCounter, true);  // short again: one a frame until it is worked off
    EXPECT_LE(tickCounter, 1);
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
