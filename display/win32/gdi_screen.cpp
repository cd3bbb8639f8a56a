// The GDI present path: where DirectDraw gives no full screen (the cooperative level or the
// display mode refused, or no DirectDraw at all), the saver draws at the desktop's own size into
// surfaces of its own (display/win32/dib_surface.h) and shows the back screen in its full-screen
// window with one GDI copy per frame. No DirectDraw call is made per frame.
#include "display/win32/dib_surface.h"
#include "display/win32/kadraw.h"
#include "settings/desktop_size.h"
#include "shell/win32/shell_win32.h"

namespace kaDraw {

bool gdiScreen = false;

HRESULT CreateDisplaySurface(const DDSURFACEDESC& desc, IDirectDrawSurface** surface) {
    if (gdiScreen) return CreateOwnSurface(desc, surface);
    if (!directDraw) return DDERR_NOTINITIALIZED;
    DDSURFACEDESC copy = desc;
    return directDraw->CreateSurface(&copy, surface, nullptr);
}

void StartGdiScreen() {
    if (directDraw) {
        directDraw->SetCooperativeLevel(mainWindow, DDSCL_NORMAL);
        directDraw->Release();
        directDraw = nullptr;
    }
    gdiScreen = true;
    SetDesktopFallBack(true);
    // The window covers the desktop and stays in front of everything, as DirectDraw's exclusive
    // mode would have kept it.
    SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, DesktopWidth(), DesktopHeight(), SWP_SHOWWINDOW);
}

void PresentThroughGdi() {
    HDC source = OwnSurfaceDC(backScreen);
    if (!source) return;
    FlushBackScreenClear();
    HDC window = GetDC(mainWindow);
    if (!window) return;
    const BOOL shown =
        BitBlt(window, presentSource.left, presentSource.top,
               presentSource.right - presentSource.left, presentSource.bottom - presentSource.top,
               source, presentSource.left, presentSource.top, SRCCOPY);
    ReleaseDC(mainWindow, window);
    if (!shown) return;
    ++presentCount;
    NoteFramePresented();
}

}  // namespace kaDraw
