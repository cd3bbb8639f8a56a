#pragma once
// Process-wide state of the application shell that the other subsystems read. Window handles
// and other platform objects live in shell/win32/shell_win32.h.

#include <cstdint>

constexpr int kPathCapacity = 260;  // MAX_PATH: settingsPath and blockPattern
constexpr int kOverlaySlots = 10;
constexpr int kOverlayTextSize = 200;

struct OverlayLine {
    char text[kOverlayTextSize];  // Shift-JIS, NUL-terminated
    int depth;                    // 16 to 39: size, speed and brightness
    int x;                        // pixels
    float y;                      // pixels
};

struct ScreenPoint {
    int x;
    int y;
};

extern bool configMode;
extern bool previewMode;
extern bool fullScreen;
extern bool runWhileInactive;
extern bool startHidden;
extern bool mouseEndsSaver;
extern int mouseMoveCount;
extern bool appActive;
extern bool dialogOpen;
extern int previewWidth;
extern int previewHeight;
extern ScreenPoint windowOrigin;
extern uint32_t lastFrameTime;
extern float frameDelta;
extern uint32_t gameFrameCount;  // game frames run so far
// What each frame of the loop runs.
enum RunState { RUN_NONE = 0, RUN_TITLE = 1, RUN_GAME = 2 };
extern int runState;  // a RunState
extern bool cursorShown;
extern char settingsPath[kPathCapacity];
extern char blockPattern[kPathCapacity];
extern OverlayLine overlayLines[kOverlaySlots];

// Input state kept by the window procedure.
extern int heldKey;  // virtual-key code of the key held down, 0 for none
// Key presses and mouse moves or buttons that reached the window procedure; the frame log shows
// them, so that a test driving the saver from outside can tell a lost input from an ignored one.
extern uint32_t keysReceived;
extern uint32_t mouseInputsReceived;
// How the main window's close has gone so far.
enum CloseState { CLOSE_NONE = 0, CLOSE_ASKED = 1, CLOSE_SHUTDOWN_DONE = 2 };
extern int closeState;  // a CloseState: none yet, WM_CLOSE came first, the shutdown has run

// Every variable above back to its initial value (overlay slots and paths emptied); tests call it
// between cases. lastFrameTime becomes 0.
void ResetShellState();
