// The well: piece table, cells and their blocks, full rows, removal and the game-over fade.
#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include "tests/game/game_support.h"

namespace {

using Cells = std::set<std::pair<int, int>>;

Cells ShapeOf(int kind, int state, bool rotate = false, bool mirror = false) {
    std::array<std::pair<int, int>, 4> c = {std::make_pair(0, 0)};
    for (int i = 0; i < 3; ++i) c[i + 1] = {pieceDx[kind][state][i], pieceDy[kind][state][i]};
    int minX = 99, minY = 99;
    for (auto& p : c) {
        if (rotate) p = {p.second, -p.first};
        if (mirror) p.first = -p.first;
        minX = std::min(minX, p.first);
        minY = std::min(minY, p.second);
    }
    Cells out;
    for (auto& p : c) out.insert({p.first - minX, p.second - minY});
    return out;
}

bool Connected(const Cells& cells) {
    Cells seen = {*cells.begin()};
    for (int pass = 0; pass < 4; ++pass) {
        for (const auto& a : cells) {
            for (const auto& b : seen) {
                if (std::abs(a.first - b.first) + std::abs(a.second - b.second) == 1) {
                    seen.insert(a);
                    break;
                }
            }
        }
    }
    return seen.size() == cells.size();
}

TEST(PieceTable, ShapesAreTetrominoesThatTurnByQuarters) {
    for (int k = 0; k < kKindCount; ++k) {
        for (int s = 0; s < kStateCount; ++s) {
            const Cells shape = ShapeOf(k, s), next = ShapeOf(k, (s + 1) & 3);
            EXPECT_TRUE(shape.size() == 4 && Connected(shape)) << k << " " << s;
            EXPECT_TRUE(ShapeOf(k, s, true) == next || ShapeOf(k, (s + 1) & 3, true) == shape)
                << k << " " << s;
        }
    }
    EXPECT_EQ(ShapeOf(1, 0, false, true), ShapeOf(2, 0));  // Z and S, L and J are mirror images
    EXPECT_EQ(ShapeOf(4, 0, false, true), ShapeOf(5, 0));
    EXPECT_EQ(ShapeOf(6, 0), (Cells{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));  // the bar lies in state 0
}

TEST(KindLottery, ComesOutInverselyToWeight) {
    SeedRand(7);
    int count[kKindCount] = {};
    const int n = 140000;
    for (int i = 0; i < n; ++i) ++count[DrawKind()];
    // 1 / weight, normalised: 4 -> 0.0894, 2 -> 0.1788, 15 -> 0.0238. The bound is several
    // standard deviations wide at this sample size.
    const double weight[kKindCount] = {4, 2, 2, 2, 2, 2, 15};
    double sum = 0;
    for (double w : weight) sum += 1 / w;
    for (int k = 0; k < kKindCount; ++k) {
        const double want = (1 / weight[k]) / sum;
        EXPECT_NEAR(static_cast<double>(count[k]) / n, want, want * 0.08) << "kind " << k;
    }
    SeedRand(12345);  // the inline draw is the same generator as Rand
    int a[64];
    for (int& v : a) v = Rand();
    SeedRand(12345);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(i % 3 ? RandInline() : Rand(), a[i]) << i;
}

TEST_F(GameTest, ResetWellWallsEverythingOutsideThePlayfieldAndHidesEveryBlock) {
    for (int size : {31, 1000, 0, -5}) {  // sizes beyond the block objects are held to them
        StartWell(size, size);
        EXPECT_TRUE(XMAX >= XMIN && XMAX < XMIN + kBlockSide && YMAX >= YMIN &&
                    YMAX < YMIN + kBlockSide)
            << size;
    }
    for (ka3D::Frame* f : blockFrames) ka3D::ShowFrame(f);
    StartWell(7, 9);
    EXPECT_EQ(XMAX, XMIN + 6);
    EXPECT_EQ(YMAX, YMIN + 8);
    EXPECT_EQ(blockPositions[0][0], 1 - 7);
    for (int i = 0; i < kGridColumns * kGridRows; ++i) {
        const int x = i / kGridRows, y = i % kGridRows;
        ASSERT_EQ(wellCells[x][y], InPlayfield(x, y) ? CELL_EMPTY : CELL_WALL) << x << "," << y;
    }
    for (ka3D::Frame* f : blockFrames) ASSERT_FALSE(ka3D::FrameShown(f));
    EXPECT_TRUE(PieceCollides(XMIN - 1, YMIN, 0, 0));  // reference cell in the wall
    EXPECT_TRUE(PieceCollides(XMAX, YMIN, 0, 0));      // right column in the wall
    EXPECT_TRUE(PieceCollides(XMIN, YMAX, 0, 0));      // lower row in the floor
    EXPECT_FALSE(PieceCollides(XMAX - 1, YMAX - 1, 0, 0));
    MarkPiece(XMAX - 1, YMAX - 1, 0, 0, CELL_PIECE);
    EXPECT_FALSE(PieceCollides(XMAX - 1, YMAX - 1, 0, 0));  // the falling piece is not solid
    MarkPiece(XMAX - 1, YMAX - 1, 0, 0, CELL_MARK);
    EXPECT_FALSE(PieceCollides(XMAX - 1, YMAX - 1, 0, 0));
    Settle(XMAX, YMAX);
    EXPECT_TRUE(PieceCollides(XMAX - 1, YMAX - 1, 0, 0));
}

// Makes the next frame settle a bar standing in column XMIN over rows y - 2 .. y + 1.
void SetSettlingBar(int y, int colour) {
    piece.kind = 6;
    piece.colour = colour;
    piece.targetX = piece.x = XMIN;
    piece.targetY = piece.y = y;
    piece.targetState = piece.state = 1;
    gameState = GAME_SETTLE;
    firstGameFrame = false;
}

TEST_F(GameTest, TwoSeparateRunsFadeTogetherAndTheLowerGoesFirst) {
    StartWell(3, 8);
    // Bar in column 0 over rows YMAX - 3 .. YMAX. Rows YMAX and YMAX - 1 and YMAX - 3 become
    // full; YMAX - 2 keeps a gap in column 2.
    for (int y = YMAX - 3; y <= YMAX; ++y) Settle(XMIN + 1, y, 1);
    Settle(XMIN + 2, YMAX, 2);
    Settle(XMIN + 2, YMAX - 1, 3);
    Settle(XMIN + 2, YMAX - 3, 4);
    Settle(XMIN + 2, YMAX - 4, 5);  // above everything: falls by three rows
    Settle(XMIN + 1, YMAX - 5, 6);
    SetSettlingBar(YMAX - 1, 0);
    PlayFrame(0.0f);  // settle
    EXPECT_EQ(gameState, GAME_ROWS);
    PlayFrame(0.0f);  // rows
    ASSERT_EQ(gameState, GAME_FADE);
    EXPECT_EQ(rowGroupA.bottom, YMAX);
    EXPECT_EQ(rowGroupA.top, YMAX - 1);
    EXPECT_EQ(rowGroupB.bottom, YMAX - 3);
    EXPECT_EQ(rowGroupB.top, YMAX - 3);
    int fadeFrames = 0;
    while (gameState == GAME_FADE) {
        PlayFrame(0.1f);
        ++fadeFrames;
        ASSERT_TRUE(SceneMatchesWell());  // both runs at the fade level, the rest in colour
    }
    EXPECT_EQ(fadeFrames, 10);  // 0.95 s: the level has to reach 0.05
    EXPECT_EQ(gameState, GAME_REMOVE);
    PlayFrame(0.1f);
    EXPECT_EQ(gameState, GAME_CHOOSE);
    ASSERT_TRUE(SceneMatchesWell());
    // Left, from the bottom: the gap row, then the two rows that lay above both runs, each
    // moved down by three (two for group A, one for group B); everything above is empty.
    const int want[4][3] = {{2, 2, 0}, {0, 0, 2}, {0, 2, 0}, {0, 0, 0}};
    const int wantColour[4][3] = {{0, 1, -1}, {-1, -1, 5}, {-1, 6, -1}, {-1, -1, -1}};
    for (int y = YMIN; y <= YMAX; ++y) {
        const int row = YMAX - y;
        for (int c = 0; c < 3; ++c) {
            const int cell = row < 4 ? want[row][c] : 0;
            EXPECT_EQ(wellCells[XMIN + c][y], cell) << "row " << y << " column " << c;
            if (cell != 0) {
                EXPECT_EQ(wellColours[XMIN + c][y], wantColour[row][c]);
            }
        }
    }
}

TEST_F(GameTest, ARunReachingTheTopRowIsRemovedWholeAndNothingBelowIt) {
    StartWell(2, 5);
    for (int y = YMIN; y <= YMIN + 3; ++y) Settle(XMIN + 1, y, 3);
    Settle(XMIN + 1, YMAX, 4);  // the bottom row stays: column 0 is free there
    SetSettlingBar(YMIN + 2, 1);
    PlayFrame(0.0f);
    PlayFrame(0.0f);
    ASSERT_EQ(gameState, GAME_FADE);
    EXPECT_EQ(rowGroupA.top * 100 + rowGroupA.bottom, YMIN * 100 + YMIN + 3);
    while (gameState != GAME_CHOOSE) PlayFrame(0.25f);
    EXPECT_EQ(CountCells(CELL_SETTLED), 1);
    EXPECT_EQ(wellColours[XMIN + 1][YMAX], 4);
    EXPECT_TRUE(SceneMatchesWell());
}

TEST_F(GameTest, GameOverWaitsThenDarkensTheWellFromTheTopAndEmptiesIt) {
    StartWell(3, 5);
    for (int y = YMIN; y <= YMAX; ++y) Settle(XMIN, y, y % 7);
    ShiftBlocks(2, -1, 0);
    firstGameFrame = false;
    gameState = GAME_OVER;
    PlayFrame(0.5f);
    EXPECT_EQ(gameState, GAME_OVER_FADE);
    for (int i = 0; i < 4; ++i) PlayFrame(0.5f);  // the two seconds' delay, nothing changes
    for (int y = YMIN; y <= YMAX; ++y) EXPECT_EQ(gameOverLevel[y], 1.0f);
    ASSERT_TRUE(SceneMatchesWell());
    // From here each frame lowers the top row; a row starts once the row above is below 0.7.
    PlayFrame(0.25f);
    EXPECT_EQ(gameOverLevel[YMIN], 0.75f);
    EXPECT_EQ(gameOverLevel[YMIN + 1], 1.0f);
    PlayFrame(0.25f);
    EXPECT_EQ(gameOverLevel[YMIN], 0.5f);
    EXPECT_EQ(gameOverLevel[YMIN + 1], 1.0f);  // the row above was 0.75 before this pass
    ASSERT_TRUE(SceneMatchesWell());
    PlayFrame(0.25f);
    EXPECT_EQ(gameOverLevel[YMIN + 1], 0.75f);
    EXPECT_EQ(gameOverLevel[YMIN + 2], 1.0f);
    int frames = 0;
    while (gameState == GAME_OVER_FADE && frames < 100) {
        ASSERT_TRUE(SceneMatchesWell());
        PlayFrame(0.25f);
        ++frames;
    }
    EXPECT_EQ(gameState, GAME_CHOOSE);
    EXPECT_LE(gameOverLevel[YMAX], 0.05f);  // it ended once the bottom row was dark too
    EXPECT_EQ(CountCells(CELL_SETTLED), 0);
    for (ka3D::Frame* f : blockFrames) EXPECT_FALSE(ka3D::FrameShown(f));
    EXPECT_EQ(blockPositions[0][0], 1 - 3 + 2);  // the well keeps its shift
    PlayFrame(0.25f);
    EXPECT_EQ(gameState, GAME_PLAN);  // the next frame chooses the first piece
}

}  // namespace
