// The computer player: its choice of piece and place, the backward walk, the gap rule.
#include <cstring>

#include "tests/game/game_support.h"

namespace {

TEST_F(GameTest, InAnEmptyWellEveryChoiceRestsFlatOnTheFloor) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        StartWell(4 + seed % 27, 5 + seed % 26, seed);
        config.SUKIMA = 10;  // a gap would have to complete a row: none can in an empty well
        ASSERT_TRUE(ChooseNextPiece());
        int low = piece.targetY;
        for (int i = 0; i < 3; ++i)
            low = std::max(low, piece.targetY + pieceDy[piece.kind][piece.targetState][i]);
        EXPECT_EQ(low, YMAX) << seed;
        EXPECT_FALSE(PieceCollides(piece.targetX, piece.targetY, piece.kind, piece.targetState));
        EXPECT_FALSE(LeavesHole(piece.targetX, piece.targetY, piece.kind, piece.targetState))
            << seed;
        EXPECT_EQ(piece.colour, piece.kind);  // FIXCOLOR is on by default
    }
}

TEST_F(GameTest, WithoutHesitationThePieceStartsStraightAboveItsTargetAndFallsAtItsPace) {
    config.MAYOI = 0;
    for (int p = 0; p < 200; ++p) {
        if (!ChooseNextPiece()) {
            ResetWell();
            continue;
        }
        if (piece.targetY <= YMIN + 2 || !PlanPath()) continue;
        EXPECT_EQ(piece.x * 100 + piece.y, piece.targetX * 100 + YMIN + 2);
        EXPECT_EQ(piece.state, piece.targetState);
        int falls = 0;
        for (int i = 0; i <= moveCount; ++i) {
            ASSERT_TRUE(moveList[i] == MOVE_FALL || moveList[i] == MOVE_WAIT) << int(moveList[i]);
            falls += moveList[i] == MOVE_FALL;
        }
        EXPECT_EQ(falls, piece.targetY - (YMIN + 2));
        EXPECT_EQ(moveCount + 1, falls * 17);  // one forced fall every 32 - 3 x D_SPEED moves
        PlacePiece(piece.targetX, piece.targetY, piece.kind, piece.targetState, piece.colour,
                   CELL_SETTLED);
    }
}

TEST_F(GameTest, ATargetUnderAnOverhangFailsAndAFullWellEndsTheGame) {
    StartWell(6, 10);
    for (int x = XMIN; x <= XMIN + 3; ++x) Settle(x, YMAX - 2);  // a cavity under a roof
    Settle(XMIN + 2, YMAX - 1);
    Settle(XMIN + 2, YMAX);
    config.MAYOI = 10;
    firstGameFrame = false;
    piece = {};
    piece.targetX = XMIN;
    piece.targetY = YMAX - 1;
    gameState = GAME_PLAN;
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_CHOOSE);
    EXPECT_EQ(CountCells(CELL_PIECE), 0);  // nothing shown without a plan
    PlayFrame(1 / 60.0f);
    EXPECT_EQ(gameState, GAME_PLAN);
    EXPECT_FALSE(PieceCollides(piece.targetX, piece.targetY, piece.kind, piece.targetState));
    StartWell(2, 5);  // only the top row free: nothing fits anywhere
    for (int x = XMIN; x <= XMAX; ++x)
        for (int y = YMIN + 1; y <= YMAX; ++y) Settle(x, y, 2);
    firstGameFrame = false;
    gameState = GAME_CHOOSE;
    PlayFrame(0.1f);
    EXPECT_EQ(gameState, GAME_OVER);
    for (int frames = 0; gameState != GAME_CHOOSE && frames < 200; ++frames) PlayFrame(0.1f);
    EXPECT_EQ(CountCells(CELL_SETTLED), 0);  // the next game starts empty
}

// AcceptGap for the square at (XMIN, y), checking that the well is left as it was.
bool Square(int y) {
    int32_t before[kGridColumns][kGridRows];
    std::memcpy(before, wellCells, sizeof before);
    const bool r = AcceptGap(XMIN, y, 0, 0);
    EXPECT_EQ(std::memcmp(before, wellCells, sizeof before), 0);
    return r;
}

// What AcceptGap's own die will show: the next draw, without using it up.
bool NextDrawAccepts() {
    const uint32_t saved = randomState;
    const int r = Rand() % 100;
    randomState = saved;
    return r >= config.SUKIMA + 93;
}

TEST_F(GameTest, AGapIsTakenForACompletedRowOrByTheDieButNeverUnderACover) {
    StartWell(4, 6);
    Settle(XMAX, YMAX - 1);  // covers the empty (XMAX, YMAX): refused without a draw
    config.SUKIMA = 0;
    uint32_t state = randomState;
    EXPECT_FALSE(Square(YMAX - 1));
    EXPECT_EQ(randomState, state);
    StartWell(4, 6);  // the square completes row YMAX - 1: always taken
    Settle(XMIN + 2, YMAX - 1);
    Settle(XMIN + 3, YMAX - 1);
    Settle(XMIN + 3, YMAX);
    config.SUKIMA = 10;
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Square(YMAX - 1));
    StartWell(4, 6);  // without a completed row the die decides: never at 10, 7 in 100 at 0
    Settle(XMIN + 2, YMAX);
    Settle(XMIN + 3, YMAX);
    config.SUKIMA = 10;
    for (int i = 0; i < 50; ++i) EXPECT_FALSE(Square(YMAX - 2));
    config.SUKIMA = 0;
    int taken = 0;
    for (int i = 0; i < 2000; ++i) {
        const bool want = NextDrawAccepts();
        EXPECT_EQ(Square(YMAX - 2), want);
        taken += want;
    }
    EXPECT_TRUE(taken > 70 && taken < 220) << taken;
}

}  // namespace
