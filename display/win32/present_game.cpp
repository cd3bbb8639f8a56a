// The presentation step of a game frame.
#include "display/win32/kadraw.h"
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
