// Test-bench helper: writes the screen size the system reports, as "WIDTH HEIGHT", to a file.
//
//   screen_size.exe FILE
//
// Run inside the same (virtual) desktop as the saver, it shows whether a display mode that the
// saver set has been restored. Exits with 0, or 1 when FILE cannot be written.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 1;
    std::FILE* f = std::fopen(__argv[1], "w");
    if (!f) return 1;
    std::fprintf(f, "%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return std::fclose(f) == 0 ? 0 : 1;
}
