// Shutdown: ten steps in a fixed order, run once. Every release skips an object that was never
// created (its pointer is null) and leaves the pointer null, so a set-up that stopped part way
// ends as cleanly as a whole one. No result is examined; each step runs whatever the ones
// before it did.
//
// Nothing released here is used again: the loop handles every waiting message before a frame,
// so the WM_CLOSE posted at the end (then WM_QUIT) comes before any further frame, and a game
// frame calls Shutdown as its last step.
#include "shell/win32/shutdown.h"

#include <windows.h>

#include "display/win32/kadraw.h"
#include "display/win32/monitor_covers.h"
#include "news/win32/fetch_news.h"
#include "overlay/win32/fonts.h"
#include "scene3d/ka3d.h"
#include "common/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/window_proc.h"

bool shutdownDone = false;

bool Shutdown() {
    // 1. Only the first call does anything; a message handled during one of the platform
    //    calls below that asks again finds the flag set.
    if (shutdownDone) return true;
    shutdownDone = true;

    // A news fetch under way stops, and its worker thread ends (within a few tenths of a second).
    StopNewsFetch();

    // 2. The 3D scene: device, scene objects and frames.
    ka3D::Release();

    // 3. The cursor may leave the display's rectangle again.
    ReleaseCursor();

    // 4. The shared font description.
    ReleaseFonts();

    // 5. Sound: the primary buffer, then the DirectSound object.
    kaDraw::ReleaseSound();

    // 6. The display, when it exists: sprite surfaces (records cleared), the clipper in windowed
    //    modes, front and back screens, 3D sprite, Z-buffer, in full screen the display mode
    //    and the normal cooperative level, then the DirectDraw object.
    kaDraw::Release();
    kaDraw::RemoveMonitorCovers();

    // 7. In full screen the window is minimised, display or not.
    if (fullScreen) CloseWindow(mainWindow);

    // 8. The instance mutex is let go but its handle stays open, so a second instance started
    //    before this process has ended still finds it and exits.
    if (instanceMutex != nullptr) {
        ReleaseMutex(instanceMutex);
        instanceMutex = nullptr;
    }

    // 9. Ask the window to close, unless a WM_CLOSE started this sequence.
    if (closeState == CLOSE_NONE) PostMessageA(mainWindow, WM_CLOSE, 0, 0);

    // 10.
    closeState = CLOSE_SHUTDOWN_DONE;
    return true;
}
