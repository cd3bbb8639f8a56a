#pragma once
// The block objects moving with the well: the arrow keys shift the whole grid.

// Adds (dx, dy, dz) to every block's position and hands the new positions on, in index order.
void ShiftBlocks(int dx, int dy, int dz);
