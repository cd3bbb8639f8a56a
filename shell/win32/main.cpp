// Entry of koraven.scr: single instance, start-up, the run, the loop. Returns 0 on
// every path.
#include <windows.h>

#include "common/win32/frame_clock.h"
#include "shell/process_state.h"
#include "shell/win32/shell_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    RegisterHooks();
    ResetProcessState();
    ResetFrameClock();  // the frame clock starts at program load
    if (!CheckSingleInstance(kProgramName)) return 0;
    if (!StartUp(instance, commandLine, showCommand)) return 0;
    StartRun();
    ResetFrameClock();
    RunMessageLoop();
    return 0;
}
