// The computer player: the choice of each piece's resting place and the path to it.
#include "game/player.h"

#include <cstring>

#include "game/game_state.h"
#include "game/well.h"
#include "settings/settings.h"
#include "common/random.h"

uint8_t moveList[kMoveCapacity];
int moveCount = -1;

namespace {

constexpr int kCandidateLimit = 10000;

int32_t savedCells[kGridColumns][kGridRows];

// AcceptGap changes playfield cells only, so only those are saved and put back.
void CopyPlayfield(int32_t (*to)[kGridRows], const int32_t (*from)[kGridRows]) {
    for (int x = XMIN; x <= XMAX; ++x) {
        std::memcpy(&to[x][YMIN], &from[x][YMIN], sizeof(int32_t) * WellHeight());
    }
}

// Scans column c downward from the top row; the row above the first cell that is not empty.
// The wall below the bottom row always ends the scan.
int SurfaceRow(int c) {
    int y = YMIN;
    while (wellCells[c][y] == CELL_EMPTY) ++y;
    return y - 1;
}

// Holes and supports under a candidate marked with 8: what lies directly below each of its
// cells, looked at in the 5 x 5 square around the reference cell.
void CountUnder(int x, int y, int* holes, int* supports) {
    *holes = 0;
    *supports = 0;
    for (int cx = x - 2; cx <= x + 2; ++cx) {
        for (int cy = y - 2; cy <= y + 2; ++cy) {
            if (wellCells[cx][cy] != CELL_MARK) continue;
            const int32_t below = wellCells[cx][cy + 1];
            if (below == CELL_EMPTY) {
                ++*holes;
            } else if (below == CELL_WALL || below == CELL_SETTLED) {
                ++*supports;
            }
        }
    }
}

int CountdownStart() {
    return 31 - 3 * config.D_SPEED;
}

// One chance in SUKIMA + 1; a negative SUKIMA counts as 0 so the draw never divides by 0.
int GapChanceDivisor() {
    return config.SUKIMA < 0 ? 1 : config.SUKIMA + 1;
}

}  // namespace

bool ChooseNextPiece() {
    int i = 0;
    int j = 0;
    for (;;) {
        // Trial: a column and the row just above its stack.
        const int column = XMIN + RandInline() % WellWidth();
        const int surface = SurfaceRow(column);
        if (surface < YMIN) {
            if (++j >= 5) return false;
            continue;
        }
        bool exhausted = i >= kCandidateLimit;
        while (!exhausted) {
            const int x = column + RandInline() % 7 - 3;
            const int y = surface + RandInline() % 7 - 3;
            const int kind = DrawKind();
            const int state = RandInline() % 4;
            bool refused = PieceCollides(x, y, kind, state);
            if (!refused) {
                // Half of the candidates of the previous piece's kind are refused.
                const bool coin = RandInline() % 2 == 0;
                refused = coin && kind == piece.lastKind;
            }
            if (refused) {
                exhausted = ++i >= kCandidateLimit;
                continue;
            }
            MarkPiece(x, y, kind, state, CELL_MARK);
            int holes;
            int supports;
            CountUnder(x, y, &holes, &supports);
            MarkPiece(x, y, kind, state, CELL_EMPTY);
            if (holes > 0) {
                const bool take = supports > 0 && y > (YMIN + YMAX) / 2 &&
                                  RandInline() % GapChanceDivisor() == 0 &&
                                  AcceptGap(x, y, kind, state);
                if (!take) break;  // a new trial
            }
            piece.targetX = x;
            piece.targetY = y;
            piece.targetState = state;
            piece.kind = kind;
            piece.colour = config.FIXCOLOR != 0 ? kind : RandInline() % 7;
            piece.lastKind = kind;
            return true;
        }
        if (exhausted) {
            if (++j >= 3) return false;
            i = 0;
        }
    }
}

bool AcceptGap(int x, int y, int kind, int state) {
    CopyPlayfield(savedCells, wellCells);
    MarkPiece(x, y, kind, state, CELL_PIECE);
    int top = -1;
    int bottom = -1;
    for (int cy = YMIN; cy <= YMAX; ++cy) {
        for (int cx = XMIN; cx <= XMAX; ++cx) {
            if (wellCells[cx][cy] == CELL_PIECE) {
                if (top < 0) top = cy;
                bottom = cy;
                break;
            }
        }
    }
    // Rows the placement would complete no longer count as stack.
    int completed = 0;
    for (int cy = top; cy <= bottom; ++cy) {
        int filled = 0;
        for (int cx = XMIN; cx <= XMAX; ++cx) {
            if (wellCells[cx][cy] == CELL_SETTLED || wellCells[cx][cy] == CELL_PIECE) ++filled;
        }
        if (filled == WellWidth()) {
            ++completed;
            for (int cx = XMIN; cx <= XMAX; ++cx) wellCells[cx][cy] = CELL_PIECE;
        }
    }
    // A settled cell above an empty one, at or above the candidate's bottom row.
    bool covered = false;
    for (int cx = XMIN; cx <= XMAX && !covered; ++cx) {
        bool passedEmpty = false;
        for (int cy = bottom; cy >= YMIN; --cy) {
            if (wellCells[cx][cy] == CELL_EMPTY) {
                passedEmpty = true;
            } else if (passedEmpty && wellCells[cx][cy] == CELL_SETTLED) {
                covered = true;
                break;
            }
        }
    }
    CopyPlayfield(wellCells, savedCells);
    if (covered) return false;
    const int r = RandInline() % 100;
    return r >= config.SUKIMA + 93 || completed > 0;
}

bool PlanPath() {
    piece.x = piece.targetX;
    piece.y = piece.targetY;
    piece.state = piece.targetState;
    int count = 0;
    int n = CountdownStart();
    if (piece.targetY <= YMIN + 2) {
        moveCount = -1;
        return true;
    }
    for (;;) {
        int move = MOVE_WAIT;
        if (RandInline() % 70 < config.MAYOI) move = RandInline() % 5;
        if (n == 0) {
            move = MOVE_FALL;
            n = fastDrop ? 1 : CountdownStart();
        } else {
            --n;
        }
        // Backwards: a fall is planned as a rise, a left move as a step right, and so on.
        int x = piece.x;
        int y = piece.y;
        int state = piece.state;
        switch (move) {
            case MOVE_FALL: --y; break;
            case MOVE_LEFT: ++x; break;
            case MOVE_RIGHT: --x; break;
            case MOVE_TURN: state = (state - 1) & 3; break;
            default: break;
        }
        if (move == MOVE_WAIT || !PieceCollides(x, y, piece.kind, state)) {
            piece.x = x;
            piece.y = y;
            piece.state = state;
            moveList[count++] = static_cast<uint8_t>(move);
        }
        if (piece.y <= YMIN + 2) {
            moveCount = count - 1;
            return true;
        }
        if (count >= kMoveCapacity) return false;
    }
}

void StepPiece() {
    if (moveCount >= 0) {
        switch (moveList[moveCount]) {
            case MOVE_FALL: ++piece.y; break;
            case MOVE_LEFT: --piece.x; break;
            case MOVE_RIGHT: ++piece.x; break;
            case MOVE_TURN: piece.state = (piece.state + 1) & 3; break;
            default: break;
        }
    }
    PlacePiece(piece.x, piece.y, piece.kind, piece.state, piece.colour, CELL_MARK);
    TidyAround(piece.x, piece.y);
    if (moveCount > 0) {
        --moveCount;
    } else {
        gameState = GAME_SETTLE;
    }
}
