// Test-bench helper: tells whether a top-level window of a Windows class and title exists.
//
//   find_window.exe CLASS TITLE [WAIT_MS]
//
// Waits up to WAIT_MS milliseconds (default 5000) for FindWindowA(CLASS, TITLE) ("*" as TITLE:
// any title). Exit 0 when found, 1 when not.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    const char* title = std::strcmp(__argv[2], "*") == 0 ? nullptr : __argv[2];
    const DWORD waitMs =
        __argc > 3 ? static_cast<DWORD>(std::strtoul(__argv[3], nullptr, 10)) : 5000;
    const DWORD start = GetTickCount();
    for (;;) {
        if (FindWindowA(__argv[1], title)) return 0;
        if (GetTickCount() - start >= waitMs) return 1;
        Sleep(50);
    }
}
