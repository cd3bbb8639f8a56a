// The well's bounds and the block grid's positions.
#include "common/well_grid.h"

// Set with the settings' WIDTH and HEIGHT.
int XMAX;
int YMAX;
ka3D::Frame* blockFrames[kBlockCount];
int blockPositions[kBlockCount][3];

namespace {

int Held(int n) {
    return n < 1 ? 1 : (n > kBlockSide ? kBlockSide : n);
}

}  // namespace

void SetWellBounds(int width, int height) {
    XMAX = XMIN + Held(width) - 1;
    YMAX = YMIN + Held(height) - 1;
}

int WellWidth() {
    return XMAX - XMIN + 1;
}

int WellHeight() {
    return YMAX - YMIN + 1;
}

void LayBlockGrid() {
    for (int c = 0; c < kBlockSide; ++c) {
        for (int r = 0; r < kBlockSide; ++r) {
            int* p = blockPositions[c * kBlockSide + r];
            p[0] = 2 * c - WellWidth() + 1;
            p[1] = WellHeight() - 2 * r;
            p[2] = 0;
        }
    }
}
