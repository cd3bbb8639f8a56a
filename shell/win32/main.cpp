// Entry of koraven.scr: single instance, start-up, the run, the loop. Returns 0 on
// every path.
#include <windows.h>

#include "news/win32/news_try_fetch.h"
#include "settings/win32/news_try.h"
#include "shell/win32/shell_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Step 1.
    if (!CheckSingleInstance(kProgramName)) return 0;
    // The news dialog's try buttons run the news fetch, which sits above the dialogs.
    RegisterNewsTry(TryNewsSource);
    // Steps 2 to 12.
    if (!StartUp(instance, commandLine, showCommand)) return 0;
    // Step 13.
    StartRun();
    // Step 14.
    ResetFrameClock();
    RunMessageLoop();
    return 0;
}
