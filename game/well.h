#pragma once
// The well: a 50 x 70 grid of cell values with a wall margin, a colour grid, the seven piece
// kinds and the operations that show, move, settle and remove pieces and full rows. Every
// occupied playfield cell has its block object in the scene, in the cell's colour.

#include <cstdint>

#include "common/random.h"
#include "common/well_grid.h"

constexpr int kGridColumns = 50;
constexpr int kGridRows = 70;

// Cell values. A cell is solid when (value & 3) != 0: wall or settled block.
enum CellValue : int32_t {
    CELL_EMPTY = 0,
    CELL_WALL = 1,
    CELL_SETTLED = 2,
    CELL_PIECE = 4,  // a cell of the falling piece, block shown
    CELL_MARK = 8,   // just moved into, or a placement under evaluation
};

constexpr int kKindCount = 7;
constexpr int kStateCount = 4;

// Addressed [x][y]: x is the column 0..49, y the row 0..69, rows counted downward.
extern int32_t wellCells[kGridColumns][kGridRows];
extern int32_t wellColours[kGridColumns][kGridRows];

// The three offsets of each kind and rotation state, beside the reference cell.
extern const int pieceDx[kKindCount][kStateCount][3];
extern const int pieceDy[kKindCount][kStateCount][3];

// The current piece, shared by the player and the state machine.
struct Piece {
    int kind;
    int colour;
    int targetX, targetY, targetState;
    int x, y, state;  // current position
    int lastKind;     // kind of the previous piece; survives from game to game
};
extern Piece piece;

// A run of full rows; -1 when absent.
struct RowGroup {
    int top;
    int bottom;
};
extern RowGroup rowGroupA;
extern RowGroup rowGroupB;
extern float rowFadeLevel;

// Game-over fade.
extern float gameOverDelay;
extern float gameOverLevel[kGridRows];  // indexed by row

bool InPlayfield(int x, int y);
// The block object of playfield cell (x, y): index (x - XMIN) * 30 + (y - YMIN).
int BlockIndex(int x, int y);

void ResetWell();
void MarkPiece(int x, int y, int kind, int state, int32_t value);
void ShowCell(int x, int y, int colour);
void SetCell(int x, int y, int colour, int32_t value);
void HideCell(int x, int y);
void PlacePiece(int x, int y, int kind, int state, int colour, int32_t value);
void TidyAround(int x, int y);
void RedrawWell();
int FindFullRows();  // next game state: 7 when rows are full, else 1
bool FadeFullRows(float delta);
void CollapseRows();
void StartGameOver();
bool GameOverFade(float delta);  // true when the well has been reset

// Whether any of the piece's four cells is solid: the reference cell first, then the offsets
// in table order. Inline: the player tests thousands of candidates in one frame.
inline bool PieceCollides(int x, int y, int kind, int state) {
    if (wellCells[x][y] & 3) return true;
    for (int i = 0; i < 3; ++i) {
        if (wellCells[x + pieceDx[kind][state][i]][y + pieceDy[kind][state][i]] & 3) return true;
    }
    return false;
}

// A kind by the lottery: draw k = rand() % 7, keep it when a second draw % weight[k] is 0
// (weights 4, 2, 2, 2, 2, 2, 15), else start again. Inline, with constant divisors: the
// player draws kinds by the thousand in one frame.
inline int DrawKind() {
    for (;;) {
        const int k = RandInline() % kKindCount;
        const int r = RandInline();
        const bool hit = k == 0 ? r % 4 == 0 : (k == 6 ? r % 15 == 0 : r % 2 == 0);
        if (hit) return k;
    }
}
