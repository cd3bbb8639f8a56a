#pragma once
// Shell state that holds platform objects, and the Win32 side of the entry: start-up, the run,
// the message and frame loop and its clock.
#include <windows.h>

#include "common/win32/shell_handles.h"

extern HANDLE instanceMutex;

// Names the system and a second instance look for.
extern const char kProgramName[];      // "KORAVEN": the mutex prefix and the window title
extern const char kWindowClassName[];  // "DEFAULT"

// Sets every hook of common/hooks.h to the layer that does the work. The entry calls it first.
void RegisterHooks();

// Sleep(1); CreateMutexA(initially owned, name + ":KaMutex") into instanceMutex; when it existed
// already, brings FindWindowA("DEFAULT", name) to the front and returns false.
bool CheckSingleInstance(const char* name);

// The start-up after CheckSingleInstance: command line, preview parent, window class, paths,
// settings read and written, overlay slots, window shape, show, instance, seeding, IME. False where
// the entry returns 0 (no preview parent, no window).
bool StartUp(HINSTANCE instance, const char* commandLine, int showCommand);

// Registers the window class "DEFAULT" with WindowProc and the icon "MAIN".
void RegisterMainClass(HINSTANCE instance);

// Creates mainWindow in the shape of the mode (full screen, preview child, captioned 640 x 480
// client); null when creation fails.
HWND CreateMainWindow(HINSTANCE instance);

// Configuration dialog when configMode (its buttons end in Shutdown()), then kaDraw::Screen at the
// RESOLUTION row's size on the (hidden) main window, runState := 1.
void StartRun();

// The loop: every waiting message first, WM_QUIT returns 0; WaitMessage while inactive (and not
// preview); else sleeps until the next frame is due (waking for any message) and runs it.
// Returns the entry's result.
int RunMessageLoop();

// One frame: frame clock, preview origin, the run state's routine, cursor rule.
void RunFrame();
