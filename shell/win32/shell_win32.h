#pragma once
// Shell state that holds platform objects.
#include <windows.h>

extern HWND mainWindow;
extern HWND previewParent;
extern HINSTANCE instanceHandle;
extern HANDLE instanceMutex;
