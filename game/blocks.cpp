#include "game/blocks.h"

#include "game/well.h"
#include "settings/settings.h"

ka3D::Frame* blockFrames[kBlockCount];
int blockPositions[kBlockCount][3];

namespace {

void HandOn(int i) {
    if (blockFrames[i] == nullptr) return;
    ka3D::SetFramePosition(blockFrames[i], static_cast<float>(blockPositions[i][0]),
                           static_cast<float>(blockPositions[i][1]),
                           static_cast<float>(blockPositions[i][2]));
}

}  // namespace

void PlaceBlocks() {
    SetWellBounds();
    const int width = WellWidth();
    const int height = WellHeight();
    for (int c = 0; c < kBlockSide; ++c) {
        for (int r = 0; r < kBlockSide; ++r) {
            const int i = c * kBlockSide + r;
            blockPositions[i][0] = 2 * c - width + 1;
            blockPositions[i][1] = height - 2 * r;
            blockPositions[i][2] = 0;
            HandOn(i);
        }
    }
}

void ShiftBlocks(int dx, int dy, int dz) {
    for (int i = 0; i < kBlockCount; ++i) {
        blockPositions[i][0] += dx;
        blockPositions[i][1] += dy;
        blockPositions[i][2] += dz;
        HandOn(i);
    }
}
