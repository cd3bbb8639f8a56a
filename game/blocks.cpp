// The arrow keys' shift of the block grid.
#include "game/blocks.h"

#include "common/well_grid.h"
#include "scene3d/ka3d.h"

void ShiftBlocks(int dx, int dy, int dz) {
    for (int* p : blockPositions) {
        p[0] += dx;
        p[1] += dy;
        p[2] += dz;
    }
    ka3D::PlaceFrames(blockFrames, blockPositions, kBlockCount);
}
