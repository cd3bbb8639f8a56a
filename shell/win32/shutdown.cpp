// Shutdown sequence (first steps only: the close request).
#include "shell/win32/shutdown.h"

#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

bool Shutdown() {
    if (closeState == 2) return true;
    if (closeState == 0) PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    closeState = 2;
    return true;
}
