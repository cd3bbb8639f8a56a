// Entry of koraven.scr: single instance, start-up, the run, the loop. Returns 0 on
// every path.
#include <windows.h>

#include "shell/win32/shell_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Step 1.
    if (!CheckSingleInstance(kProgramName)) return 0;
    // Steps 2 to 12.
    if (!StartUp(instance, commandLine, showCommand)) return 0;
    // Step 13.
    StartRun();
    // Step 14.
    ResetFrameClock();
    RunMessageLoop();
    return 0;
}
