#pragma once
// The game's scene rebuilt outside the game, for the benchmark, the PNG tool and tests: the
// scene the title screen builds (black background, camera 1 over the view, ambient 0.35,
// light 1 of 0.7 from direction 3, 900 blocks coloured by their frames), the blocks of a well
// shown, and the camera and light moved as one game frame moves them.
#include "common/well_grid.h"
#include "scene3d/ka3d.h"
#include "scene3d/mesh.h"

namespace ka3D {

constexpr int kDemoBlocks = kBlockCount;  // 30 columns x 30 rows

// Builds the scene and flips camera 1 as the game's first frame does. Blocks of well columns
// 0..wellWidth-1 and of the bottom `filledRows` rows are shown, the rest hidden. `frames`
// receives the 900 frames (index column * 30 + row).
void BuildDemoScene(const Mesh& block, int viewWidth, int viewHeight, int wellWidth, int wellHeight,
                    int filledRows, Frame** frames);

// One game frame's camera step: camera 1 at `distance` on its orbit at `angle` degrees,
// turned to face the well, and light 1 beside it. UndoDemoOrbit turns the camera back after
// the render, as the game does.
void DemoOrbit(float angle, float distance);
void UndoDemoOrbit(float angle);

}  // namespace ka3D
