// Shutdown (Part 1.3): the ten steps in their order. Steps whose objects do not exist yet are
// named places; the Parts that create those objects add their release there.
#include "shell/win32/shutdown.h"

#include <windows.h>

#include "display/win32/kadraw.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/window_proc.h"

bool shutdownDone = false;

bool Shutdown() {
    // Step 1: only the first call does anything.
    if (shutdownDone) return true;
    shutdownDone = true;

    // Step 2, 3D scene (Part 5.1): ka3D::Release() releases the device, the retained-mode
    // object and the Direct3D interface here.

    // Step 3: the cursor clip is removed (Part 1.2).
    ReleaseCursor();

    // Step 4, font description (Part 6.1): GlobalFree(FontDesc) here.

    // Step 5, sound (Part 4.1): when sound is available, the primary buffer and then the
    // DirectSound object are released here.
    kaDraw::ReleaseSound();

    // Step 6, display (Parts 4.1, 4.2), only when the DirectDraw object exists: the sprite
    // surfaces (records cleared), the clipper in windowed modes, the front and back screens, the
    // 3D sprite and the Z-buffer, in full screen RestoreDisplayMode and
    // SetCooperativeLevel(mainWindow, DDSCL_NORMAL), then the DirectDraw object, here.
    kaDraw::Release();

    // Step 7: in full-screen mode the window is minimised.
    if (fullScreen) CloseWindow(mainWindow);

    // Step 8: the mutex's ownership is released; its handle is kept open.
    if (instanceMutex != nullptr) {
        ReleaseMutex(instanceMutex);
        instanceMutex = nullptr;
    }

    // Step 9: the close request, unless the sequence was started by WM_CLOSE.
    if (closeState == 0) PostMessageA(mainWindow, WM_CLOSE, 0, 0);

    // Step 10.
    closeState = 2;
    return true;
}
