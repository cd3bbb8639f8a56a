// The GDI present path: where DirectDraw gives no full screen (the cooperative level or the
// display mode refused, or no DirectDraw at all), the saver draws at the desktop's own size into
// surfaces of its own (display/win32/dib_surface.h) and shows the back screen in its full-screen
// window with GDI. No DirectDraw call is made per frame. Only what changed since the last present
// is copied (display/changed_boxes.h): each copy goes through Wine and the X server, which cost
// more per pixel than the comparison.
#include <cstdint>
#include <vector>

#include "display/changed_boxes.h"
#include "display/win32/dib_surface.h"
#include "display/win32/kadraw.h"
#include "settings/desktop_size.h"
#include "common/win32/shell_handles.h"

namespace kaDraw {

bool gdiScreen = false;

namespace {

// The picture the window shows, as last copied there; valid once a whole picture was copied and
// until the window is drawn over (ForgetPresentedPicture).
std::vector<uint8_t> shownPicture;
std::vector<BlitRect> changedBoxes;
bool shownValid = false;

bool Show(HDC window, HDC source, const BlitRect& box) {
    return BitBlt(window, box.left, box.top, box.right - box.left, box.bottom - box.top, source,
                  box.left, box.top, SRCCOPY) != 0;
}

// The boxes of the back screen that differ from the picture shown, the shown copy brought up to
// date; the whole screen when there is no valid copy. -1 when the back screen cannot be read.
int ChangedBoxes() {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    if (backScreen->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return -1;
    const int w = static_cast<int>(desc.dwWidth);
    const int h = static_cast<int>(desc.dwHeight);
    const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    const size_t size = static_cast<size_t>(w) * h * bytes;
    if (shownPicture.size() != size) {  // the first present: sized once
        shownPicture.assign(size, 0);
        changedBoxes.resize(static_cast<size_t>(ChangeBandCount(h)));
        shownValid = false;
    }
    const PixelRows picture = {static_cast<uint8_t*>(desc.lpSurface),
                               static_cast<int>(desc.lPitch)};
    const PixelRows shown = {shownPicture.data(), w * bytes};
    int n = 0;
    if (shownValid) {
        n = FindChangedBoxes(picture, shown, w, h, bytes, changedBoxes.data());
    } else {
        CopyPixels(shown, picture, w, h, bytes, false);
        changedBoxes[0] = {0, 0, w, h};
        n = 1;
        shownValid = true;
    }
    backScreen->Unlock(desc.lpSurface);
    return n;
}

}  // namespace

void ForgetPresentedPicture() {
    shownValid = false;
}

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
    const int n = ChangedBoxes();
    if (n < 0) return;
    HDC window = GetDC(mainWindow);
    if (!window) return;
    bool shown = true;
    for (int i = 0; i < n; ++i) shown = Show(window, source, changedBoxes[i]) && shown;
    ReleaseDC(mainWindow, window);
    if (!shown) {
        shownValid = false;  // the next present copies the whole picture again
        return;
    }
    ++presentCount;
    NoteFramePresented();
}

}  // namespace kaDraw
