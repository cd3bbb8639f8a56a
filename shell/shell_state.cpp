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
