// WindowProc: one short case per message it acts on. Keys go through HandleKey (shell/
// handle_key.h); the game frame ends the saver on a held key it does not use. The mouse ends it
// directly when mouseEndsSaver is set (full screen with MOUSESENSE 1): the third mouse move that
// changes both coordinates, or a left or right button press.
#include "shell/win32/window_proc.h"

#include "display/win32/kadraw.h"
#include "display/win32/monitor_covers.h"
#include "shell/handle_key.h"
#include "common/keys.h"
#include "common/shell_state.h"
#include "common/win32/frame_clock.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

namespace {

// A key pressed and released before any game frame ran (a quick tap while the title screen held
// the loop up, while the saver was inactive, or two messages handled in one batch) would never
// be seen by the game frame, which acts on heldKey: the saver would not end on that touch. Such
// a release is therefore kept pending, and a short timer clears heldKey once a game frame has
// run since the press, as counted by gameFrameCount (the frame clock is no measure: activation
// resets it without a frame).
constexpr UINT_PTR kReleaseTimer = 0x4B56;
constexpr UINT kReleaseTimerMs = 10;
bool releasePending = false;
bool pressInGame = false;
uint32_t pressGameFrame = 0;

void PressKey(int key) {
    ++keysReceived;
    HandleKey(key);
    releasePending = false;
    pressInGame = runState == RUN_GAME;
    pressGameFrame = gameFrameCount;
}

bool GameFrameSincePress() {
    return pressInGame && gameFrameCount != pressGameFrame;
}

void ReleaseHeldKey(HWND window) {
    if (GameFrameSincePress()) {
        heldKey = 0;
        return;
    }
    releasePending = true;
    SetTimer(window, kReleaseTimer, kReleaseTimerMs, nullptr);
}

void CheckPendingRelease(HWND window) {
    if (releasePending && GameFrameSincePress()) {
        heldKey = 0;
        releasePending = false;
    } else if (releasePending && !pressInGame && runState == RUN_GAME) {
        // Pressed before the game began: wait for a frame of the game itself.
        pressInGame = true;
        pressGameFrame = gameFrameCount;
    }
    if (!releasePending) KillTimer(window, kReleaseTimer);
}

// A coordinate of WM_MOVE: the low or high word of lParam, a value above 32768 taken as
// negative (a window left of or above the screen's origin).
int SignedCoordinate(unsigned word) {
    return word > 32768u ? static_cast<int>(word) - 65536 : static_cast<int>(word);
}

}  // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const unsigned low = LOWORD(lParam);
    const unsigned high = HIWORD(lParam);
    switch (message) {
        case WM_DESTROY: PostQuitMessage(0); return 0;

        case WM_MOVE:
            // The client origin moved: the presentation follows it.
            windowOrigin = {SignedCoordinate(low), SignedCoordinate(high)};
            kaDraw::SetPresentDestination(windowOrigin.x, windowOrigin.y);
            break;

        case WM_CLOSE:
            // 0: the close comes from outside, before any shutdown; 1: Shutdown does nothing the
            // second time; 2: the shutdown has run (this is the close it posted).
            if (closeState == CLOSE_NONE) {
                closeState = CLOSE_ASKED;
                Shutdown();
            } else if (closeState == CLOSE_ASKED) {
                Shutdown();
            }
            DestroyWindow(window);
            return 0;

        case WM_PAINT:
            // Uncovered or redrawn: the GDI path presents the whole picture next time.
            kaDraw::ForgetPresentedPicture();
            break;

        case WM_DISPLAYCHANGE:
            // Monitors came, went or moved: the covers follow.
            if (fullScreen) kaDraw::PlaceMonitorCovers();
            break;

        case WM_ACTIVATEAPP:
            // A full-screen window that another program's turn in front minimised comes back
            // to fill the screen; its lost surfaces are then restored by the next frame's blit.
            if (wParam && fullScreen && IsIconic(window)) ShowWindow(window, SW_RESTORE);
            if (wParam) {
                // While the configuration dialog is open the saver stays inactive. The first
                // frame after activation does not count the time spent inactive.
                if (!dialogOpen) {
                    appActive = true;
                    ResetFrameClock();
                }
            } else {
                appActive = false;
                if (!cursorShown) {
                    ShowCursor(TRUE);
                    cursorShown = true;
                }
            }
            return 0;

        case WM_SETCURSOR:
            if (!fullScreen) break;
            SetCursor(nullptr);  // no cursor over the full-screen saver
            return TRUE;

        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: PressKey(static_cast<int>(wParam)); break;

        case WM_KEYUP:
            // Only the release of the held key itself clears it. WM_SYSKEYUP is not handled: a
            // key that came as WM_SYSKEYDOWN (Alt, F10) stays held after its release.
            if (static_cast<int>(wParam) == heldKey) ReleaseHeldKey(window);
            break;

        case WM_TIMER:
            if (wParam != kReleaseTimer) break;
            CheckPendingRelease(window);
            return 0;

        case WM_MOUSEMOVE:
            ++mouseInputsReceived;
            if (CountMouseMove(static_cast<uint16_t>(low), static_cast<uint16_t>(high))) {
                Shutdown();
            }
            break;

        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            ++mouseInputsReceived;
            if (mouseEndsSaver) Shutdown();
            break;

        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            return 0;  // swallowed: the press before it has done what a press does

        case WM_HOTKEY:
            if (wParam == kHotKeySnapshot) PressKey(KEY_SNAPSHOT);
            if (wParam == kHotKeyOther) PressKey(KEY_HOT_KEY_2);
            return 0;

        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ResetInput() {
    heldKey = 0;
    releasePending = false;
    if (fullScreen) ConfineCursor();
}

void ConfineCursor() {
    RECT r = {0, 0, kaDraw::displayWidth, kaDraw::displayHeight};
    ClipCursor(&r);
}

void ReleaseCursor() {
    ClipCursor(nullptr);
}
