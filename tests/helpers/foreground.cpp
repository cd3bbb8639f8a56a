// Test-bench helper: which window is in front, and a window of its own to put there.
//
//   foreground.exe query FILE   writes "CLASS|TITLE" of the foreground window (an empty line when
//                               there is none) to FILE; exits with 0, 1 when FILE cannot be written
//   foreground.exe hold         shows a window of class "KvForeground", title "KORAVEN other",
//                               brings it to the front and handles its messages until it is
//                               closed (post_close.exe KvForeground "KORAVEN other") or 60 s
//                               have passed; exits with 0
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

LRESULT CALLBACK HoldProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

int Query(const char* file) {
    char cls[256] = "";
    char title[256] = "";
    HWND w = GetForegroundWindow();
    if (w) {
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, title, sizeof title);
    }
    std::FILE* f = std::fopen(file, "w");
    if (!f) return 1;
    if (w) std::fprintf(f, "%s|%s", cls, title);
    std::fprintf(f, "\n");
    return std::fclose(f) == 0 ? 0 : 1;
}

int Hold() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HoldProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvForeground";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "KvForeground", "KORAVEN other", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    SetForegroundWindow(w);
    SetTimer(w, 1, 60000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) break;
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc >= 3 && std::strcmp(__argv[1], "query") == 0) return Query(__argv[2]);
    if (__argc >= 2 && std::strcmp(__argv[1], "hold") == 0) return Hold();
    return 2;
}
