// One game frame: the portable steps of game/game_state.h around the presentation.
#include "game/win32/game_frame.h"

#include "display/win32/kadraw.h"
#include "game/game_state.h"
#include "shell/win32/shutdown.h"

void GameFrame() {
    GameOrbitStep();  // first frame: tilt, reset, state 1; later: camera and light orbit
    GameStateStep();

    // Presentation: clear the back screen, overlay lines, ka3D::Render, lay the 3D sprite
    // over the back screen, present.
    PresentGameFrame();

    GameTurnBack();
    if (!GameKeyStep()) Shutdown();  // the last step: nothing after it touches the display
}
