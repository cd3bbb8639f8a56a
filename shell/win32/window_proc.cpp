// WindowProc (Part 1.2): one short case per message of the table; every message not listed goes
// to DefWindowProcA. Rows written so far: WM_DESTROY, WM_CLOSE.
#include "shell/win32/window_proc.h"

#include "display/win32/kadraw.h"
#include "shell/shell_state.h"
#include "shell/win32/shutdown.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;

        case WM_CLOSE:
            // 0: the close comes from outside, first; 1: Shutdown does nothing the second time;
            // 2: the sequence has run (this is the close it posted).
            if (closeState == 0) {
                closeState = 1;
                Shutdown();
            } else if (closeState == 1) {
                Shutdown();
            }
            DestroyWindow(window);
            return 0;

        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ResetInput() {
    heldKey = 0;
    if (fullScreen) ConfineCursor();
}

void ConfineCursor() {
    RECT r = {0, 0, kaDraw::displayWidth, kaDraw::displayHeight};
    ClipCursor(&r);
}

void ReleaseCursor() { ClipCursor(nullptr); }
