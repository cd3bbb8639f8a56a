// The well's cells and colours, the pieces in it, full rows and the game-over fade.
#include "game/well.h"

#include <cstring>

#include "common/well_grid.h"
#include "scene3d/ka3d.h"
#include "settings/settings.h"
#include "common/random.h"

int32_t wellCells[kGridColumns][kGridRows];
int32_t wellColours[kGridColumns][kGridRows];

// Kinds: 0 square, 1 Z, 2 S, 3 T, 4 L, 5 J, 6 bar.
const int pieceDx[kKindCount][kStateCount][3] = {
    {{1, 0, 1}, {1, 0, 1}, {1, 0, 1}, {1, 0, 1}},
    {{-1, 0, 1}, {1, 1, 0}, {-1, 0, 1}, {1, 1, 0}},
    {{1, -1, 0}, {0, 1, 1}, {1, -1, 0}, {0, 1, 1}},
    {{-1, 1, 0}, {0, 1, 0}, {0, -1, 1}, {0, -1, 0}},
    {{-1, 1, -1}, {0, 0, 1}, {1, -1, 1}, {-1, 0, 0}},
    {{-1, 1, 1}, {0, 1, 0}, {-1, -1, 1}, {0, -1, 0}},
    {{-1, 1, 2}, {0, 0, 0}, {-1, 1, 2}, {0, 0, 0}},
};
const int pieceDy[kKindCount][kStateCount][3] = {
    {{0, 1, 1}, {0, 1, 1}, {0, 1, 1}, {0, 1, 1}},
    {{0, 1, 1}, {-1, 0, 1}, {0, 1, 1}, {-1, 0, 1}},
    {{0, 1, 1}, {-1, 0, 1}, {0, 1, 1}, {-1, 0, 1}},
    {{0, 0, 1}, {-1, 0, 1}, {-1, 0, 0}, {-1, 0, 1}},
    {{0, 0, 1}, {-1, 1, 1}, {-1, 0, 0}, {-1, -1, 1}},
    {{0, 0, 1}, {-1, -1, 1}, {-1, 0, 0}, {-1, 1, 1}},
    {{0, 0, 0}, {-2, -1, 1}, {0, 0, 0}, {-2, -1, 1}},
};

Piece piece;
RowGroup rowGroupA = {-1, -1};
RowGroup rowGroupB = {-1, -1};
float rowFadeLevel;
float gameOverDelay;
float gameOverLevel[kGridRows];

namespace {

ka3D::Frame* BlockOf(int x, int y) {
    return blockFrames[BlockIndex(x, y)];
}

void ColourBlock(int x, int y, float level) {
    ka3D::Frame* frame = BlockOf(x, y);
    if (frame == nullptr) return;
    const float* rgb = config.COLOR[wellColours[x][y]];
    ka3D::SetFrameColor(frame, level * rgb[0], level * rgb[1], level * rgb[2]);
}

bool RowFull(int y) {
    for (int x = XMIN; x <= XMAX; ++x) {
        if (wellCells[x][y] != CELL_SETTLED) return false;
    }
    return true;
}

// Highest row of the run of full rows whose bottom is `bottom`.
int RunTop(int bottom) {
    int top = bottom;
    while (top - 1 >= YMIN && RowFull(top - 1)) --top;
    return top;
}

void FadeGroup(const RowGroup& group, float level) {
    if (group.top < YMIN || group.bottom > YMAX) return;
    for (int y = group.top; y <= group.bottom; ++y) {
        for (int x = XMIN; x <= XMAX; ++x) ColourBlock(x, y, level);
    }
}

// Moves every row above `top` down by n rows and empties the n rows at the top.
void DropRowsAbove(int top, int n) {
    for (int y = top - 1; y >= YMIN; --y) {
        for (int x = XMIN; x <= XMAX; ++x) {
            wellCells[x][y + n] = wellCells[x][y];
            wellColours[x][y + n] = wellColours[x][y];
        }
    }
    for (int y = YMIN; y <= YMIN + n - 1; ++y) {
        for (int x = XMIN; x <= XMAX; ++x) wellCells[x][y] = CELL_EMPTY;
    }
}

}  // namespace

bool InPlayfield(int x, int y) {
    return x >= XMIN && x <= XMAX && y >= YMIN && y <= YMAX;
}

int BlockIndex(int x, int y) {
    return (x - XMIN) * kBlockSide + (y - YMIN);
}

void ResetWell() {
    SetWellBounds(config.WIDTH, config.HEIGHT);
    for (ka3D::Frame* frame : blockFrames) {
        if (frame != nullptr) ka3D::HideFrame(frame);
    }
    for (int x = 0; x < kGridColumns; ++x) {
        for (int y = 0; y < kGridRows; ++y) {
            wellCells[x][y] = CELL_WALL;
            wellColours[x][y] = 0;
        }
    }
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN; y <= YMAX; ++y) wellCells[x][y] = CELL_EMPTY;
    }
}

void MarkPiece(int x, int y, int kind, int state, int32_t value) {
    wellCells[x][y] = value;
    for (int i = 0; i < 3; ++i) {
        wellCells[x + pieceDx[kind][state][i]][y + pieceDy[kind][state][i]] = value;
    }
}

void ShowCell(int x, int y, int colour) {
    if (!InPlayfield(x, y)) return;
    wellColours[x][y] = colour;
    ColourBlock(x, y, 1.0f);
    if (ka3D::Frame* frame = BlockOf(x, y)) ka3D::ShowFrame(frame);
}

void SetCell(int x, int y, int colour, int32_t value) {
    ShowCell(x, y, colour);
    wellCells[x][y] = value;
}

void HideCell(int x, int y) {
    if (!InPlayfield(x, y)) return;
    wellCells[x][y] = CELL_EMPTY;
    if (ka3D::Frame* frame = BlockOf(x, y)) ka3D::HideFrame(frame);
}

void PlacePiece(int x, int y, int kind, int state, int colour, int32_t value) {
    for (int i = -1; i < 3; ++i) {
        const int cx = i < 0 ? x : x + pieceDx[kind][state][i];
        const int cy = i < 0 ? y : y + pieceDy[kind][state][i];
        if (value == CELL_MARK) {
            if (wellCells[cx][cy] != CELL_PIECE) ShowCell(cx, cy, colour);
            wellCells[cx][cy] = CELL_MARK;
        } else {
            SetCell(cx, cy, colour, value);
        }
    }
}

void TidyAround(int x, int y) {
    for (int cx = x - 3; cx <= x + 3; ++cx) {
        for (int cy = y - 3; cy <= y + 3; ++cy) {
            if (wellCells[cx][cy] == CELL_PIECE) {
                HideCell(cx, cy);
            } else if (wellCells[cx][cy] == CELL_MARK) {
                wellCells[cx][cy] = CELL_PIECE;
            }
        }
    }
}

void RedrawWell() {
    for (int y = YMIN; y <= YMAX; ++y) {
        for (int x = XMIN; x <= XMAX; ++x) {
            if (wellCells[x][y] == CELL_EMPTY) {
                HideCell(x, y);
            } else {
                ShowCell(x, y, wellColours[x][y]);
            }
        }
    }
}

int FindFullRows() {
    rowGroupA.bottom = -1;
    rowGroupB = {-1, -1};
    int y = YMAX;
    while (y >= YMIN && !RowFull(y)) --y;
    if (y < YMIN) return 1;
    rowGroupA.bottom = y;
    rowGroupA.top = RunTop(y);
    // The row just above group A is not full; look for a second run above it.
    for (y = rowGroupA.top - 2; y >= YMIN; --y) {
        if (RowFull(y)) {
            rowGroupB.bottom = y;
            rowGroupB.top = RunTop(y);
            break;
        }
    }
    rowFadeLevel = 1.0f;
    return 7;
}

bool FadeFullRows(float delta) {
    rowFadeLevel -= delta;
    if (rowFadeLevel < 0.0f) rowFadeLevel = 0.0f;
    FadeGroup(rowGroupA, rowFadeLevel);
    if (rowGroupB.top > 0 && rowGroupB.top <= rowGroupB.bottom) FadeGroup(rowGroupB, rowFadeLevel);
    return rowFadeLevel <= 0.05f;
}

void CollapseRows() {
    if (rowGroupA.top < YMIN || rowGroupA.bottom > YMAX) {
        RedrawWell();
        return;
    }
    const int nA = rowGroupA.bottom - rowGroupA.top + 1;
    DropRowsAbove(rowGroupA.top, nA);
    if (rowGroupB.top > 0) {
        // Group B lay above group A and has moved down with it.
        rowGroupB.top += nA;
        rowGroupB.bottom += nA;
        DropRowsAbove(rowGroupB.top, rowGroupB.bottom - rowGroupB.top + 1);
    }
    RedrawWell();
}

void StartGameOver() {
    gameOverDelay = 2.0f;
    for (int y = YMIN; y <= YMAX; ++y) gameOverLevel[y] = 1.0f;
}

bool GameOverFade(float delta) {
    if (gameOverDelay > 0.01f) {
        gameOverDelay -= delta;
        return false;
    }
    // Bottom to top, so that the row above still holds its level from before this pass.
    for (int y = YMAX; y >= YMIN; --y) {
        if (y == YMIN || gameOverLevel[y - 1] < 0.7f) {
            gameOverLevel[y] -= delta;
            if (gameOverLevel[y] < 0.0f) gameOverLevel[y] = 0.0f;
        }
    }
    for (int x = XMIN; x <= XMAX; ++x) {
        for (int y = YMIN; y <= YMAX; ++y) ColourBlock(x, y, gameOverLevel[y]);
    }
    if (gameOverLevel[YMAX] <= 0.05f) {
        ResetWell();
        return true;
    }
    return false;
}
