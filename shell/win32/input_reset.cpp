// Input reset at the end of the display set-up.
#include <windows.h>

#include "display/win32/kadraw.h"
#include "shell/shell_state.h"
#include "shell/win32/window_proc.h"

void ConfineCursor() {
    RECT area = {0, 0, kaDraw::displayWidth, kaDraw::displayHeight};
    ClipCursor(&area);
}

void ResetInput() {
    heldKey = 0;
    if (fullScreen) ConfineCursor();
}
