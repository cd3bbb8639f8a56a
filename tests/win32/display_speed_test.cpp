// Time per frame of each display step on real surfaces, printed, never asserted: clears, the
// 3D render into the locked 3D sprite, the keyed 3D blit, the present, and the GDI access the
// overlay text makes to the back screen. The driver may queue work and do it in a later call,
// so the single steps are indicative; the whole presentation step is the figure to read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "scene3d/ka3d.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

using namespace kaDraw;

namespace {

LRESULT CALLBACK SpeedWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

template <typename F>
double MillisecondsPer(int count, F step) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < count; ++i) step();
    QueryPerformanceCounter(&b);
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / f.QuadPart / count;
}

}  // namespace

TEST(DisplaySpeed, StepsOfAGameFrame) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SpeedWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DisplaySpeed";
    RegisterClassA(&wc);
    mainWindow = CreateWindowExA(0, "DisplaySpeed", "KORAVEN speed", WS_POPUP | WS_VISIBLE, 0, 0,
                                 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    fullScreen = false;
    previewMode = false;
    errorBox = [](const char*) {};
    Screen(640, 480, 1);
    ASSERT_NE(sprite3D, nullptr);
    ka3D::SetBackground(0, 0, 0);
    ka3D::CreateCamera(1, 0, 0, 640, 480);

    const int n = 60;
    double clear = MillisecondsPer(n, [] { ClearBackScreen(); });
    double render = MillisecondsPer(n, [] { ka3D::Render(); });
    double blit = MillisecondsPer(n, [] { Blit3DSprite(0, 0, 0, 0, 640, 480); });
    double present = MillisecondsPer(n, [] { Present(); });
    double gdi = MillisecondsPer(n, [] {
        HDC dc;
        if (backScreen->GetDC(&dc) == DD_OK) {
            TextOutA(dc, 10, 10, "KORAVEN", 7);
            backScreen->ReleaseDC(dc);
        }
    });
    double frame = MillisecondsPer(n, [] { PresentGameFrame(); });
    std::printf(
        "640x480x%d ms per step: clear %.2f, render (lock, draw, unlock) %.2f, 3D blit %.2f, "
        "present %.2f, back-screen GDI text %.2f; whole presentation step %.2f (%.1f per s)\n",
        pixelFormat.bitsPerPixel, clear, render, blit, present, gdi, frame, 1000.0 / frame);
    ReleaseSound();
    Release();
    DestroyWindow(mainWindow);
    errorBox = nullptr;
}
