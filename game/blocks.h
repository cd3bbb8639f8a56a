#pragma once
// The 900 block objects of the well: one 3D frame for every cell of the largest well
// (30 columns by 30 rows) and the integer position the game keeps for each.

#include "scene3d/ka3d.h"

constexpr int kBlockSide = 30;  // columns and rows the block objects cover
constexpr int kBlockCount = kBlockSide * kBlockSide;

// Filled by ka3D::LoadObject(config.BLOCKFILE, kBlockCount, blockFrames) on the title screen.
extern ka3D::Frame* blockFrames[kBlockCount];

// Position of every block in well units (px, py, pz), as handed to ka3D::SetFramePosition.
extern int blockPositions[kBlockCount][3];

// Places block c * 30 + r at px = 2c - WIDTH + 1, py = HEIGHT - 2r, pz = 0 (c, r = 0..29),
// stores the positions and hands them to the scene. Called once, after the blocks are loaded.
void PlaceBlocks();

// Adds (dx, dy, dz) to every block's position and hands the new positions on, in index order.
void ShiftBlocks(int dx, int dy, int dz);
