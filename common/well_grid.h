#pragma once
// The well's bounds and the grid of its 900 block objects, shared by the settings (which size
// the well), the title screen (which places the blocks) and the game (which shows and moves
// them).

namespace ka3D {
struct Frame;  // the 3D layer's frame; here only held, never used
}

constexpr int XMIN = 10;  // first playfield column of the well
constexpr int YMIN = 10;  // top playfield row of the well
extern int XMAX;          // last playfield column: XMIN + width - 1
extern int YMAX;          // bottom playfield row: YMIN + height - 1

constexpr int kBlockSide = 30;  // columns and rows the block objects cover
constexpr int kBlockCount = kBlockSide * kBlockSide;

// Filled by ka3D::LoadObject(BLOCKFILE, kBlockCount, blockFrames) on the title screen.
extern ka3D::Frame* blockFrames[kBlockCount];

// Position of every block in well units (px, py, pz), as handed to ka3D::SetFramePosition.
extern int blockPositions[kBlockCount][3];

// XMAX and YMAX for a well of width x height cells, each held to the 1..30 that the block
// objects cover.
void SetWellBounds(int width, int height);
int WellWidth();   // XMAX - XMIN + 1
int WellHeight();  // YMAX - YMIN + 1

// Block c * 30 + r at px = 2c - width + 1, py = height - 2r, pz = 0 (c, r = 0..29), for the
// well's current bounds.
void LayBlockGrid();
