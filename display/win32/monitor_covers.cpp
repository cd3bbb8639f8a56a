#include "display/win32/monitor_covers.h"

#include <windows.h>

#include "display/cover_layout.h"
#include "common/win32/shell_handles.h"

namespace kaDraw {

namespace {

const char kCoverClass[] = "KaCover";
constexpr int kMaxMonitors = 16;

HWND covers[kMaxCovers] = {};
int coverCount = 0;

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterCoverClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CoverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kCoverClass;
    registered = RegisterClassA(&wc) != 0;
    return registered;
}

struct MonitorList {
    ScreenRect rects[kMaxMonitors];
    int count;
};

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    if (list.count < kMaxMonitors) {
        list.rects[list.count++] = {rect->left, rect->top, rect->right, rect->bottom};
    }
    return TRUE;
}

ScreenRect SaverMonitor() {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(mainWindow, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !GetMonitorInfoA(monitor, &info)) return ScreenRect{0, 0, 0, 0};
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

HWND MakeCover(const ScreenRect& r) {
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kCoverClass,
                           kCoverClass, WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

void PlaceMonitorCovers() {
    if (!RegisterCoverClass()) return;
    MonitorList list = {};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    ScreenRect wanted[kMaxCovers];
    const int n = LayOutCovers(list.rects, list.count, SaverMonitor(), wanted);
    // Covers no longer needed go; the others are made where missing and moved into place.
    while (coverCount > n) DestroyWindow(covers[--coverCount]);
    for (int i = 0; i < n; ++i) {
        const ScreenRect& r = wanted[i];
        if (i == coverCount) {
            covers[i] = MakeCover(r);
            if (!covers[i]) break;
            ++coverCount;
        }
        SetWindowPos(covers[i], HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void RemoveMonitorCovers() {
    while (coverCount > 0) DestroyWindow(covers[--coverCount]);
}

int MonitorCoverCount() {
    return coverCount;
}

}  // namespace kaDraw
