// One game frame: the portable steps of game/game_state.h around the presentation.
#include "game/win32/game_frame.h"

#include "common/hooks.h"
#include "common/shell_state.h"
#include "display/win32/kadraw.h"
#include "game/game_state.h"
#include "overlay/win32/overlay.h"
#include "scene3d/ka3d.h"

void PresentGameFrame() {
    // Without a back screen (set-up stopped early, or after the shutdown released it) there is
    // nothing to compose on and nothing to show.
    if (!kaDraw::backScreen) return;
    kaDraw::ClearBackScreen();
    UpdateOverlay();
    ka3D::Render();
    kaDraw::Blit3DSprite(0, 0, 0, 0, kaDraw::displayWidth, kaDraw::displayHeight);
    kaDraw::Present();
}

void GameFrame() {
    GameOrbitStep();  // first frame: tilt, reset, state 1; later: camera and light orbit
    GameStateStep();
    PresentGameFrame();
    GameTurnBack();
    ++gameFrameCount;
    // The last step: nothing after it touches the display.
    if (!GameKeyStep() && hooks.endSaver) hooks.endSaver();
}
