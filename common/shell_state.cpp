// The shell state; zero until the start-up's ResetShellState gives it its start values.
#include "common/shell_state.h"

bool configMode;
bool previewMode;
bool fullScreen;
bool runWhileInactive;
bool startHidden;
bool mouseEndsSaver;
int mouseMoveCount;
bool appActive;
bool dialogOpen;
int previewWidth;
int previewHeight;
ScreenPoint windowOrigin;
uint32_t lastFrameTime;
float frameDelta;
uint32_t gameFrameCount;
int runState;
bool cursorShown;
char settingsPath[kPathCapacity];
char blockPattern[kPathCapacity];
OverlayLine overlayLines[kOverlaySlots];

int heldKey;
uint32_t keysReceived;
uint32_t mouseInputsReceived;
int closeState;

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
    gameFrameCount = 0;
    runState = RUN_NONE;
    cursorShown = true;
    settingsPath[0] = '\0';
    blockPattern[0] = '\0';
    for (OverlayLine& line : overlayLines) line = OverlayLine{};
    heldKey = 0;
    keysReceived = 0;
    mouseInputsReceived = 0;
    closeState = CLOSE_NONE;
}
