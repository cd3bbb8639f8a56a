// The game on the real scene with its 900 blocks: the well, the computer player, the game
// frame, and long seeded runs that check every invariant after every frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "common/program_directory.h"
#include "common/well_grid.h"
#include "game/blocks.h"
#include "scene3d/ka3d.h"
#include "game/game_state.h"
#include "game/player.h"
#include "game/well.h"
#include "settings/settings.h"
#include "common/random.h"
#include "common/shell_state.h"
#include "tests/alloc_count.h"

namespace {

// Default settings but the well's size, the blocks loaded and placed, an empty well.
void StartWell(int width, int height, uint32_t seed = 1) {
    ResetSettings();
    static bool loaded = false;
    if (!std::exchange(loaded, true)) {  // the block shape is read from the build's bin/
        SetModulePath(KORAVEN_BINARY_DIR "/bin/test_game");
        ka3D::UseFrameColor();
        ka3D::LoadObject(config.BLOCKFILE, kBlockCount, blockFrames);
    }
    config.WIDTH = width, config.HEIGHT = height;
    SetWellBounds(width, height), LayBlockGrid();
    ka3D::PlaceFrames(blockFrames, blockPositions, kBlockCount);
    InitGameState(), ResetWell(), SeedRand(seed), heldKey = 0;
}

// One game frame without the presentation; the key step's result.
bool PlayFrame(float delta) {
    frameDelta = delta;
    GameOrbitStep(), GameStateStep(), GameTurnBack();
    return GameKeyStep();
}

// The shown blocks are the occupied cells, each in its colour times its row's fade.
testing::AssertionResult SceneMatchesWell() {
    for (int i = 0; i < kBlockCount; ++i) {
        const int x = XMIN + i / kBlockSide, y = YMIN + i % kBlockSide;
        const bool occupied = InPlayfield(x, y) && wellCells[x][y] != CELL_EMPTY;
        const bool faded = (gameState == GAME_FADE || gameState == GAME_REMOVE) &&
                           ((y >= rowGroupA.top && y <= rowGroupA.bottom) ||
                            (rowGroupB.top > 0 && y >= rowGroupB.top && y <= rowGroupB.bottom));
        const float level =
            faded ? rowFadeLevel : (gameState == GAME_OVER_FADE ? gameOverLevel[y] : 1.0f);
        float rgb[3];
        ka3D::GetFrameColor(blockFrames[i], &rgb[0], &rgb[1], &rgb[2]);
        bool ok = ka3D::FrameShown(blockFrames[i]) == occupied &&
                  !(occupied && wellCells[x][y] == CELL_MARK);
        for (int c = 0; c < 3 && occupied; ++c)
            ok = ok && std::fabs(rgb[c] - level * config.COLOR[wellColours[x][y]][c]) < 1e-6f;
        if (!ok)
            return testing::AssertionFailure()
                   << "block (" << x << ", " << y << "), state " << gameState << ", red " << rgb[0];
    }
    return testing::AssertionSuccess();
}

int CountCells(int32_t value) {
    int n = 0;
    for (int x = XMIN; x <= XMAX; ++x)
        for (int y = YMIN; y <= YMAX; ++y) n += wellCells[x][y] == value;
    return n;
}

void Settle(int x, int y, int colour = 0) {
    SetCell(x, y, colour, CELL_SETTLED);
}

// The playfield from the bottom row up, each cell's value and colour in one number; the full
// rows left out when `dropFull`, the top made up with empty cells.
std::vector<int> Playfield(bool dropFull) {
    std::vector<int> out;
    for (int y = YMAX; y >= YMIN; --y) {
        int settled = 0;
        for (int x = XMIN; x <= XMAX; ++x) {
            out.push_back(wellCells[x][y] * 16 + (wellCells[x][y] ? wellColours[x][y] : 0));
            settled += wellCells[x][y] == CELL_SETTLED;
        }
        if (dropFull && settled == WellWidth()) out.resize(out.size() - settled);
    }
    out.resize(WellWidth() * WellHeight(), 0);
    return out;
}

TEST(Well, TwoRunsOfFullRowsFadeTogetherAndGoWithNothingElse) {
    StartWell(3, 8);
    // A bar settling in column 0 over the bottom four rows fills all but the third from the
    // bottom, where column 2 stays free; the block on the top row falls by three with the rest.
    for (int y = YMAX - 3; y <= YMAX; ++y) Settle(XMIN + 1, y, 1);
    for (int y : {YMAX, YMAX - 1, YMAX - 3, YMAX - 4}) Settle(XMIN + 2, y, y % 7);
    Settle(XMIN, YMIN, 6);
    piece = Piece{6, 0, XMIN, YMAX - 1, 1, XMIN, YMAX - 1, 1, 0};  // a standing bar
    firstGameFrame = false, gameState = GAME_SETTLE;
    PlayFrame(0.0f), PlayFrame(0.0f);
    ASSERT_EQ(gameState, GAME_FADE);
    EXPECT_EQ(rowGroupA.top * 100 + rowGroupA.bottom, (YMAX - 1) * 100 + YMAX);
    EXPECT_EQ(rowGroupB.top * 100 + rowGroupB.bottom, (YMAX - 3) * 100 + YMAX - 3);
    for (int i = 0; i < 10; ++i)  // both runs at the fade level, the rest in colour
        ASSERT_TRUE((PlayFrame(0.1f), SceneMatchesWell()));
    ASSERT_EQ(gameState, GAME_REMOVE);
    const std::vector<int> kept = Playfield(true);
    PlayFrame(0.1f);
    EXPECT_EQ(Playfield(false), kept);
    EXPECT_TRUE(SceneMatchesWell());
}

TEST(GameFrame, KeysMoveTheCameraAndTheWellAndEveryOtherKeyEndsTheSaver) {
    StartWell(10, 20), PlayFrame(0.0f);
    for (heldKey = 0; heldKey < 256; ++heldKey) {  // digits and keypad keys mean something too
        const int k = heldKey;
        EXPECT_EQ(GameKeyStep(), k == 0 || (k >= 32 && k <= 40) || (k >= 48 && k <= 57) ||
                                     (k >= 96 && k <= 105) || k == 107 || k == 109 || k == 110)
            << k;
    }
    const int x0 = blockPositions[0][0], y0 = blockPositions[0][1];
    // Key, presses, the well moved in x and y, camera distance (65 / 1.01 per Page Up), End.
    const float keys[][6] = {{32, 1, 0, 0, 65, 0},       {33, 100, 0, 0, 24.0312f, 0},
                             {34, 1, 0, 0, 24.2715f, 0}, {37, 7, -7, 0, 0, 0},
                             {38, 1, -7, 1, 0, 0},       {39, 2, -5, 1, 0, 0},
                             {40, 4, -5, -3, 0, 0},      {35, 1, -5, -3, 0, 1},
                             {36, 1, -5, -3, 0, 0},      {32, 1, 0, 0, 65, 0}};
    for (const auto& k : keys) {
        heldKey = static_cast<int>(k[0]);
        for (int i = 0; i < k[1]; ++i) GameKeyStep();
        EXPECT_EQ(blockPositions[0][0] - x0 + wellOffsetX * 1000, k[2] * 1001) << k[0];
        EXPECT_EQ(blockPositions[0][1] - y0 + wellOffsetY * 1000, k[3] * 1001) << k[0];
        EXPECT_NEAR(k[4] > 0 ? cameraDistance : 0.0f, k[4], 1e-3f) << k[0];
        EXPECT_EQ(fastDrop, k[5] != 0) << k[0];
    }
}

// AcceptGap for the square at (XMIN, y), checking that the well is left as it was.
bool Square(int y) {
    int32_t before[kGridColumns][kGridRows];
    std::memcpy(before, wellCells, sizeof before);
    const bool r = AcceptGap(XMIN, y, 0, 0);
    EXPECT_EQ(std::memcmp(before, wellCells, sizeof before), 0);
    return r;
}

TEST(Player, AGapIsTakenForACompletedRowOrByTheDieButNeverUnderACover) {
    StartWell(4, 6);
    Settle(XMAX, YMAX - 1);  // covers the empty (XMAX, YMAX): refused without a draw
    config.SUKIMA = 0;
    const uint32_t state = randomState;
    EXPECT_FALSE(Square(YMAX - 1));
    EXPECT_EQ(randomState, state);
    StartWell(4, 6);  // the square completes row YMAX - 1: always taken
    for (int x : {XMIN + 2, XMIN + 3}) Settle(x, YMAX - 1);
    Settle(XMIN + 3, YMAX);
    config.SUKIMA = 10;
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Square(YMAX - 1));
    StartWell(4, 6);  // without a completed row the die decides, 7 times in 100 at SUKIMA 0
    for (int x : {XMIN + 2, XMIN + 3}) Settle(x, YMAX);
    for (int i = 0; i < 2000; ++i) {
        config.SUKIMA = i % 2 * 10;
        const uint32_t saved = randomState;  // the die's draw, looked at ahead
        const bool want = Rand() % 100 >= config.SUKIMA + 93;
        randomState = saved;
        EXPECT_EQ(Square(YMAX - 2), want);
    }
}

// One corner of the settings: WIDTH, HEIGHT, MAYOI, SUKIMA, D_SPEED, FIXCOLOR.
class GameRun : public testing::TestWithParam<std::tuple<int, int, int, int, int, int>> {};

TEST_P(GameRun, KeepsEveryInvariantFrameAfterFrame) {
    const auto [width, height, mayoi, sukima, dSpeed, fixColour] = GetParam();
    StartWell(width, height, 1000u + width * 31u + height * 7u + mayoi + sukima * 3u + dSpeed);
    config.MAYOI = mayoi, config.SUKIMA = sukima, config.D_SPEED = dSpeed;
    config.FIXCOLOR = fixColour;
    const float deltas[] = {0.1f, 1 / 60.0f, 0.05f, 0.0f, 0.2f}, pi = 3.14159265f;
    int games = 0, removals = 0;
    long allocations = 0;
    float fading = 0, waiting = 0;  // seconds of row fade, and of game over before its fade
    for (int frame = 0; frame < 6000; ++frame) {
        heldKey = frame % 1500 < 300 ? 35 : (frame % 1500 < 310 ? 36 : 0);  // End, then Home
        config.R_SPEED = frame % 1000 < 500 ? 7 : -18;
        const int before = gameState, settled = CountCells(CELL_SETTLED);
        ASSERT_TRUE(before != GAME_SETTLE ||
                    (piece.x == piece.targetX && piece.y == piece.targetY &&
                     piece.state == piece.targetState));  // as planned
        // It starts on free cells; without hesitation straight above its target.
        ASSERT_TRUE(before != GAME_SHOW ||
                    (!PieceCollides(piece.x, piece.y, piece.kind, piece.state) &&
                     (mayoi || (piece.x == piece.targetX && piece.state == piece.targetState))));
        const std::vector<int> kept = before == GAME_REMOVE ? Playfield(true) : std::vector<int>();
        const long news = newCallCount;
        ASSERT_TRUE(PlayFrame(frame % 1000 == 999 ? 20.3f : deltas[frame % 5]));  // or long
        allocations += newCallCount - news;
        ASSERT_TRUE(SceneMatchesWell()) << "frame " << frame;
        // The camera circles the well at 65 at the orbit's angle, the light 45 radians round.
        const float cam = std::atan2(cameraPosition[0], -cameraPosition[2]),
                    off = std::remainder(cam - orbitAngle * pi / 180, 2 * pi) +
                          std::remainder(std::atan2(lightPosition[0], -lightPosition[2]) - cam - 45,
                                         2 * pi);
        ASSERT_TRUE(frame == 0 ||
                    (orbitAngle >= 0 && orbitAngle < 360 && std::fabs(off) < 1e-3f &&
                     std::fabs(std::hypot(cameraPosition[0], cameraPosition[2]) - 65) < 1e-3f))
            << "frame " << frame;
        // Removal drops the full rows and moves the others down in their order.
        removals += before == GAME_REMOVE;
        ASSERT_TRUE(before != GAME_REMOVE || Playfield(false) == kept) << "frame " << frame;
        const bool falling = gameState == GAME_MOVE || gameState == GAME_SETTLE;
        if (falling) {  // the piece is exactly its four cells, on free cells, settled ones kept
            ASSERT_EQ(CountCells(CELL_SETTLED), settled) << "frame " << frame;
            MarkPiece(piece.x, piece.y, piece.kind, piece.state, CELL_MARK);
            ASSERT_FALSE(PieceCollides(piece.x, piece.y, piece.kind, piece.state));
        }
        ASSERT_EQ(CountCells(CELL_PIECE), 0) << "frame " << frame;
        if (falling) MarkPiece(piece.x, piece.y, piece.kind, piece.state, CELL_PIECE);
        // Full rows fade by the frame's time down to 0.05. Game over waits two seconds, then
        // darkens each row once the row above is below 0.7, and ends when the bottom one is dark.
        fading = before == GAME_FADE ? fading + frameDelta : 0;
        ASSERT_TRUE(before != GAME_FADE ||
                    (std::fabs(rowFadeLevel - std::max(0.0f, 1 - fading)) < 1e-5f &&
                     (gameState == GAME_REMOVE) == (rowFadeLevel <= 0.05f)));
        if (before == GAME_OVER_FADE && gameOverLevel[YMIN] == 1.0f) waiting += frameDelta;
        ASSERT_TRUE(gameState != GAME_OVER_FADE || gameOverLevel[YMIN] == 1.0f || waiting > 1.99f);
        for (int y = YMIN + 1; y <= YMAX && gameState == GAME_OVER_FADE; ++y)
            ASSERT_TRUE(gameOverLevel[y] == 1
                            ? frameDelta == 0 || gameOverLevel[y - 1] + frameDelta > 0.7f - 1e-5f
                            : gameOverLevel[y - 1] == 0 ||
                                  gameOverLevel[y] - gameOverLevel[y - 1] > 0.3f - 1e-5f)
                << y;
        if (before == GAME_OVER_FADE && gameState == GAME_CHOOSE) {
            ++games, waiting = 0;
            ASSERT_TRUE(CountCells(CELL_SETTLED) == 0 && gameOverLevel[YMAX] <= 0.05f);
        }
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE((height == 30 || games > 0) && (width == 30 || removals > 0));
}

INSTANTIATE_TEST_SUITE_P(Corners, GameRun,
                         testing::Combine(testing::Values(1, 30), testing::Values(5, 30),
                                          testing::Values(0, 10), testing::Values(0, 10),
                                          testing::Values(1, 10), testing::Values(0, 1)));

}  // namespace
