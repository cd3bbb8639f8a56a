#pragma once
// Shell state that holds platform objects, read by the display, the dialogs and the error box.
#include <windows.h>

extern HWND mainWindow;           // the saver's main window
extern HWND previewParent;        // the host window in preview mode
extern HINSTANCE instanceHandle;  // the instance handle the entry was given

// Switches the input method editor on or off for the program's windows (window null). Exported by
// user32; not in the mingw-w64 headers.
extern "C" BOOL WINAPI WINNLSEnableIME(HWND window, BOOL enable);
