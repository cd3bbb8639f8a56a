#include "shell/win32/shell_win32.h"

HWND mainWindow = nullptr;
HWND previewParent = nullptr;
HINSTANCE instanceHandle = nullptr;
HANDLE instanceMutex = nullptr;
