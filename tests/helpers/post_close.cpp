// Test-bench helper: posts WM_CLOSE to the saver's window from outside, as a system would.
//
//   post_close.exe [CLASS [TITLE [WAIT_MS]]]
//
// Looks for the top-level window of class CLASS (default "DEFAULT") and title TITLE (default
// "KORAVEN"; "*" for any title) for up to WAIT_MS milliseconds (default 5000), posts WM_CLOSE to
// it and exits with 0; exits with 1 when no such window appeared in time.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* cls = "DEFAULT";
    const char* title = "KORAVEN";
    DWORD waitMs = 5000;
    if (__argc > 1) cls = __argv[1];
    if (__argc > 2) title = std::strcmp(__argv[2], "*") == 0 ? nullptr : __argv[2];
    if (__argc > 3) waitMs = static_cast<DWORD>(std::strtoul(__argv[3], nullptr, 10));
    const DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowA(cls, title);
        if (w) {
            PostMessageA(w, WM_CLOSE, 0, 0);
            return 0;
        }
        if (GetTickCount() - start >= waitMs) return 1;
        Sleep(50);
    }
}
