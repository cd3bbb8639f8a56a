// The shell's platform handles, null until the start-up sets them.
#include "common/win32/shell_handles.h"

HWND mainWindow = nullptr;
HWND previewParent = nullptr;
HINSTANCE instanceHandle = nullptr;
