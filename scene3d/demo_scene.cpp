#include "scene3d/demo_scene.h"

#include <cmath>

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
    for (int c = 0; c < 30; ++c) {
        for (int r = 0; r < 30; ++r) {
            Frame* f = frames[c * 30 + r];
            SetFramePosition(f, static_cast<float>(2 * c - wellWidth + 1),
                             static_cast<float>(wellHeight - 2 * r), 0.0f);
            const float* colour = config.COLOR[(c * 3 + r) % 7];
            SetFrameColor(f, colour[0], colour[1], colour[2]);
            bool filled = c < wellWidth && r < wellHeight && r >= wellHeight - filledRows;
            if (!filled) HideFrame(f);
        }
    }
    TiltCamera(1, 180.0f);
}

void DemoOrbit(float angle, float distance) {
    float t = angle * 3.1415927f * (1.0f / 180.0f);
    float x = distance * std::sin(t), y = distance * 0.0f, z = -distance * std::cos(t);
    SetCameraPosition(1, x, y, z);
    TurnCamera(1, -angle);
    SetLightPosition(1, x * 0.52532f - z * 0.85090f, y, x * 0.85090f + z * 0.52532f);
}

void UndoDemoOrbit(float angle) {
    TurnCamera(1, angle);
}

}  // namespace ka3D
