#include "shell/shell_state.h"

bool configMode = false;
bool previewMode = false;
bool fullScreen = true;
bool runWhileInactive = false;
bool startHidden = false;
bool mouseEndsSaver = true;
int mouseMoveCount = 0;
bool appActive = false;
bool dialogOpen = false;
int previewWidth = 0;
int previewHeight = 0;
ScreenPoint windowOrigin = {0, 0};
uint32_t lastFrameTime = 0;
float frameDelta = 0.0f;
int runState = 0;
bool cursorShown = true;
char settingsPath[kPathCapacity];
char blockPattern[kPathCapacity];
OverlayLine overlayLines[kOverlaySlots];

int heldKey = 0;
int closeState = 0;

void ResetShellState() {
    configMode = false;
    previewMode = false;
    fullScreen = true;
    runWhileInactive = false;
    startHidden = false;
    mouseEndsSaver = true;
    mouseMoveCount = 0;
    appActive = false;
    dialogOpen = false;
    previewWidth = 0;
    previewHeight = 0;
    windowOrigin = {0, 0};
    lastFrameTime = 0;
    frameDelta = 0.0f;
    runState = 0;
    cursorShown = true;
    settingsPath[0] = '\0';
    blockPattern[0] = '\0';
    for (OverlayLine& line : overlayLines) line = OverlayLine{};
    heldKey = 0;
    closeState = 0;
}
