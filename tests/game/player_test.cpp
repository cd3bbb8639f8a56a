// The computer player: choice of piece and place, the backward walk and its playback.
#include <algorithm>
#include <cstring>

#include "tests/game/game_support.h"

namespace {

// The lowest row any of the piece's cells reaches.
int LowestRow(int y, int kind, int state) {
    int low = y;
    for (int i = 0; i < 3; ++i) low = std::max(low, y + pieceDy[kind][state][i]);
    return low;
}

// Whether settling the piece would complete at least one row.
bool CompletesRow(int x, int y, int kind, int state) {
    MarkPiece(x, y, kind, state, CELL_SETTLED);
    bool any = false;
    for (int row = YMIN; row <= YMAX && !any; ++row) {
        int n = 0;
        for (int c = XMIN; c <= XMAX; ++c) n += wellCells[c][row] == CELL_SETTLED;
        // Only rows the piece touches can have become full.
        bool touched = row == y;
        for (int i = 0; i < 3; ++i) touched = touched || row == y + pieceDy[kind][state][i];
        any = touched && n == WellWidth();
    }
    MarkPiece(x, y, kind, state, CELL_EMPTY);
    return any;
}

TEST_F(GameTest, InAnEmptyWellEveryChoiceRestsFlatOnTheFloor) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        // SUKIMA 10 and at least four columns: a gap would have to complete a row, and no
        // piece but the lying bar fills a row of four.
        StartWell(4 + seed % 27, 5 + seed % 26, seed);
        config.SUKIMA = 10;
        ASSERT_TRUE(ChooseNextPiece());
        EXPECT_FALSE(PieceCollides(piece.targetX, piece.targetY, piece.kind, piece.targetState));
        EXPECT_EQ(LowestRow(piece.targetY, piece.kind, piece.targetState), YMAX);
        EXPECT_FALSE(LeavesHole(piece.targetX, piece.targetY, piece.kind, piece.targetState));
        EXPECT_EQ(piece.colour, piece.kind);  // FIXCOLOR is on by default
        EXPECT_EQ(piece.lastKind, piece.kind);
    }
}

TEST_F(GameTest, InAOneColumnWellOnlyTheStandingBarFitsAndClearsItsRows) {
    StartWell(1, 12, 5);
    int pieces = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        PlayFrame(0.1f);
        if (gameState == GAME_SETTLE) {
            ++pieces;
            EXPECT_EQ(piece.kind, 6);
            EXPECT_EQ(piece.targetState & 1, 1);
        }
        if (gameState == GAME_CHOOSE) {
            EXPECT_EQ(CountCells(CELL_SETTLED), 0);
        }
    }
    EXPECT_GT(pieces, 20);
}

TEST_F(GameTest, TheSameKindTwiceIsHalfAsLikelyAsAnotherKindAfterIt) {
    // L and J are mirror images, so in an empty well they are equally often acceptable; only
    // the previous kind tells them apart.
    const int n = 20000;
    int lAfterL = 0;
    int lAfterJ = 0;
    SeedRand(2024);
    for (int i = 0; i < n; ++i) {
        piece.lastKind = 4;
        ASSERT_TRUE(ChooseNextPiece());
        lAfterL += piece.kind == 4;
        piece.lastKind = 5;
        ASSERT_TRUE(ChooseNextPiece());
        lAfterJ += piece.kind == 4;
    }
    // About 0.15 and 0.29 of n; the ratio's standard deviation here is about 0.01, so the
    // bounds are ten of them away.
    const double ratio = static_cast<double>(lAfterL) / lAfterJ;
    EXPECT_GT(ratio, 0.40);
    EXPECT_LT(ratio, 0.60);
    EXPECT_GT(lAfterJ, n / 5);
}

// Plays many seeded games and looks at every choice: with SUKIMA 10 a placement that leaves a
// hole is taken only when it completes a row; with SUKIMA 0 such placements also happen
// without completing one.
int HolesWithoutRows(int sukima, int* holes) {
    StartWell(6, 12, 99);
    config.SUKIMA = sukima;
    config.D_SPEED = 10;
    int without = 0;
    *holes = 0;
    for (int frame = 0; frame < 60000; ++frame) {
        const bool choosing = gameState == GAME_CHOOSE && !firstGameFrame;
        PlayFrame(0.1f);
        if (choosing && gameState == GAME_PLAN &&
            LeavesHole(piece.targetX, piece.targetY, piece.kind, piece.targetState)) {
            ++*holes;
            without += !CompletesRow(piece.targetX, piece.targetY, piece.kind, piece.targetState);
        }
    }
    return without;
}

TEST_F(GameTest, SukimaTenLeavesAHoleOnlyToCompleteARow) {
    int holes10 = 0;
    int holes0 = 0;
    EXPECT_EQ(HolesWithoutRows(10, &holes10), 0);
    EXPECT_GT(HolesWithoutRows(0, &holes0), 10);
    EXPECT_GT(holes0, holes10);
}

TEST_F(GameTest, WithoutHesitationThePieceStartsStraightAboveItsTarget) {
    config.MAYOI = 0;
    for (int p = 0; p < 200; ++p) {
        if (!ChooseNextPiece()) {
            ResetWell();
            continue;
        }
        if (piece.targetY <= YMIN + 2) continue;
        if (!PlanPath()) continue;
        EXPECT_EQ(piece.x, piece.targetX);
        EXPECT_EQ(piece.y, YMIN + 2);
        EXPECT_EQ(piece.state, piece.targetState);
        for (int i = 0; i <= moveCount; ++i) {
            ASSERT_TRUE(moveList[i] == MOVE_FALL || moveList[i] == MOVE_WAIT) << int(moveList[i]);
        }
        // One forced fall every 32 - 3 x D_SPEED moves: 17 at D_SPEED 5.
        int falls = 0;
        for (int i = 0; i <= moveCount; ++i) falls += moveList[i] == MOVE_FALL;
        EXPECT_EQ(falls, piece.targetY - (YMIN + 2));
        EXPECT_EQ(moveCount + 1, falls * 17);
        PlacePiece(piece.targetX, piece.targetY, piece.kind, piece.targetState, piece.colour,
                   CELL_SETTLED);
    }
}

TEST_F(GameTest, ATargetInTheTopThreeRowsPlaysNoMoveAndSettlesTheFrameAfter) {
    StartWell(4, 8);
    firstGameFrame = false;
    piece.kind = 0;
    piece.colour = 3;
    piece.targetX = XMIN;
    piece.targetY = YMIN + 1;
    piece.targetState = 0;
    gameState = GAME_PLAN;
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_SHOW);
    EXPECT_EQ(moveCount, -1);
    EXPECT_EQ(piece.x, XMIN);
    EXPECT_EQ(piece.y, YMIN + 1);
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_MOVE);
    EXPECT_EQ(CountCells(CELL_PIECE), 4);
    ASSERT_TRUE(SceneMatchesWell());
    fastDrop = true;  // one tick in this frame
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_SETTLE);
    EXPECT_EQ(piece.x, XMIN);
    EXPECT_EQ(piece.y, YMIN + 1);
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(CountCells(CELL_SETTLED), 4);
    EXPECT_EQ(wellCells[XMIN][YMIN + 1], CELL_SETTLED);
    ASSERT_TRUE(SceneMatchesWell());
}

TEST_F(GameTest, ATargetUnderAnOverhangFailsAfterTheWholeMoveListAndANewPieceIsChosen) {
    StartWell(6, 10);
    // A cavity in the two left columns under a roof: the square in it cannot get out.
    for (int x = XMIN; x <= XMIN + 3; ++x) Settle(x, YMAX - 2);
    Settle(XMIN + 2, YMAX - 1);
    Settle(XMIN + 2, YMAX);
    config.MAYOI = 10;
    firstGameFrame = false;
    piece.kind = 0;
    piece.colour = 0;
    piece.targetX = XMIN;
    piece.targetY = YMAX - 1;
    piece.targetState = 0;
    gameState = GAME_PLAN;
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_CHOOSE);
    EXPECT_EQ(CountCells(CELL_PIECE), 0);  // nothing shown without a plan
    ASSERT_TRUE(SceneMatchesWell());
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_PLAN);
    EXPECT_FALSE(PieceCollides(piece.targetX, piece.targetY, piece.kind, piece.targetState));
}

TEST_F(GameTest, TheOverhangPlanRecordsExactly1990Moves) {
    StartWell(6, 10);
    for (int x = XMIN; x <= XMIN + 3; ++x) Settle(x, YMAX - 2);
    Settle(XMIN + 2, YMAX - 1);
    Settle(XMIN + 2, YMAX);
    config.MAYOI = 0;
    piece.kind = 0;
    piece.targetX = XMIN;
    piece.targetY = YMAX - 1;
    piece.targetState = 0;
    const uint32_t before = randomState;
    EXPECT_FALSE(PlanPath());
    // With MAYOI 0 every step draws once and records a wait, except the forced rises, which
    // hit the roof and are lost: 1990 waits and one rise in every 17 steps.
    int draws = 0;
    for (uint32_t s = before; s != randomState; s = s * 214013u + 2531011u) ++draws;
    const int steps = draws;
    EXPECT_EQ(steps - steps / 17, kMoveCapacity);
    for (int i = 0; i < kMoveCapacity; ++i) ASSERT_EQ(moveList[i], MOVE_WAIT);
}

TEST_F(GameTest, AFullWellEndsTheGameAndTheNextOneStartsEmpty) {
    StartWell(4, 6);
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN; y <= YMAX; ++y) {
            if (x != XMIN + 1 || y == YMIN) Settle(x, y, 2);
        }
    }
    EXPECT_FALSE(ChooseNextPiece());  // every column occupied up to its top row
    ResetWell();
    // Two columns and only the top row free: nothing fits anywhere, three exhausted trials.
    StartWell(2, 5);
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN + 1; y <= YMAX; ++y) Settle(x, y, 2);
    }
    EXPECT_FALSE(ChooseNextPiece());
    firstGameFrame = false;
    gameState = GAME_CHOOSE;
    PlayFrame(0.1f);
    EXPECT_EQ(gameState, GAME_OVER);
    int frames = 0;
    while (gameState != GAME_CHOOSE && frames++ < 200) PlayFrame(0.1f);
    EXPECT_EQ(gameState, GAME_CHOOSE);
    EXPECT_EQ(CountCells(CELL_SETTLED), 0);
    PlayFrame(0.1f);
    EXPECT_EQ(gameState, GAME_PLAN);
}

}  // namespace

namespace {

// What AcceptGap's own die will show: the next draw, without using it up.
int NextDraw(int n) {
    const uint32_t saved = randomState;
    const int r = Rand() % n;
    randomState = saved;
    return r;
}

class AcceptGapTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        StartWell(4, 6);
    }
    // Calls AcceptGap for the square at (XMIN, y) and checks that the well is left as it was.
    bool Square(int y) {
        int32_t before[kGridColumns][kGridRows];
        std::memcpy(before, wellCells, sizeof before);
        const bool r = AcceptGap(XMIN, y, 0, 0);
        EXPECT_EQ(std::memcmp(before, wellCells, sizeof before), 0);
        return r;
    }
};

TEST_F(AcceptGapTest, AGapAlreadyCoveredAtOrAboveTheBottomRowRefusesWithoutADraw) {
    Settle(XMAX, YMAX - 1);  // over the empty (XMAX, YMAX)
    const uint32_t state = randomState;
    config.SUKIMA = 0;
    EXPECT_FALSE(Square(YMAX - 1));
    EXPECT_EQ(randomState, state);
    // Below the candidate's bottom row it does not count: the die decides.
    Settle(XMIN, YMAX - 1);
    Settle(XMIN + 1, YMAX - 1);
    const bool want = NextDraw(100) >= 93;
    EXPECT_EQ(Square(YMAX - 3), want);
    EXPECT_NE(randomState, state);
}

TEST_F(AcceptGapTest, RowsTheCandidateCompletesDoNotCoverAndAlwaysAccept) {
    // Row YMAX - 1 is completed by the square; the empty cell under it in column 2 is then
    // not covered.
    Settle(XMIN + 2, YMAX - 1);
    Settle(XMIN + 3, YMAX - 1);
    Settle(XMIN + 3, YMAX);
    config.SUKIMA = 10;
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Square(YMAX - 1));
}

TEST_F(AcceptGapTest, WithoutACompletedRowTheDieDecides) {
    Settle(XMIN + 2, YMAX);
    Settle(XMIN + 3, YMAX);
    config.SUKIMA = 10;  // r >= 103 never happens
    for (int i = 0; i < 50; ++i) EXPECT_FALSE(Square(YMAX - 2));
    config.SUKIMA = 0;  // r >= 93: seven in a hundred
    int taken = 0;
    for (int i = 0; i < 2000; ++i) {
        const bool want = NextDraw(100) >= 93;
        EXPECT_EQ(Square(YMAX - 2), want);
        taken += want;
    }
    EXPECT_GT(taken, 70);
    EXPECT_LT(taken, 220);
}

}  // namespace
