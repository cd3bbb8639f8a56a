// The game's scene rebuilt outside the game, for the benchmark, the PNG tool and tests.
#include "game/demo_scene.h"

#include "game/game_state.h"
#include "settings/settings.h"

namespace ka3D {

void BuildDemoScene(const Mesh& block, int viewWidth, int viewHeight, int wellWidth, int wellHeight,
                    int filledRows, Frame** frames) {
    Init();
    SetBackground(0, 0, 0);
    CreateCamera(1, 0, 0, viewWidth, viewHeight);
    SetAmbient(0.35f);
    CreateLight(1, 0.7f, 3);
    UseFrameColor();
    LoadObjectFromMesh(block, kDemoBlocks, frames);
    SetWellBounds(wellWidth, wellHeight);
    LayBlockGrid();
    PlaceFrames(frames, blockPositions, kDemoBlocks);
    for (int c = 0; c < kBlockSide; ++c) {
        for (int r = 0; r < kBlockSide; ++r) {
            Frame* f = frames[c * kBlockSide + r];
            const float* colour = config.COLOR[(c * 3 + r) % kColourCount];
            SetFrameColor(f, colour[0], colour[1], colour[2]);
            bool filled = c < wellWidth && r < wellHeight && r >= wellHeight - filledRows;
            if (!filled) HideFrame(f);
        }
    }
    TiltCamera(1, 180.0f);
}

void DemoOrbit(float angle, float distance) {
    OrbitTo(angle, distance);
}

void UndoDemoOrbit(float angle) {
    TurnCamera(1, angle);
}

}  // namespace ka3D
