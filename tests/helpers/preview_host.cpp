// Test-bench helper: a stand-in for the screen-saver host's preview window.
//
//   preview_host.exe SAVER [SECONDS [WIDTH HEIGHT]]
//
// Like the system's display dialog, it creates a visible top-level window "KORAVEN preview host"
// (class "KvPreviewHost") holding one child window, the preview area (class "KvPreviewArea"),
// whose client area is WIDTH x HEIGHT (default 152 x 112, the size of the system's preview). It
// starts `"SAVER" /p <decimal handle of the preview area>` as a child process and handles its
// messages while the saver runs. After SECONDS (default 10; 0 waits without limit) it notes
// whether the saver's window (class "DEFAULT", title "KORAVEN") is a child of the preview area,
// then destroys its window, as the host does to end a preview, and waits up to 5 s more for the
// saver. Writes to preview_host.txt in the current folder:
//   handle=<decimal handle of the preview area>
//   child=<1 when the saver's window was inside it, else 0>
//   size=<client width>x<client height of the saver's window, 0x0 when absent>
// Exits with the saver's exit code, 124 when the saver did not end in time, 125 when it could not
// be started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

void Note(const char* handleText, HWND area) {
    HWND saver = FindWindowExA(area, nullptr, "DEFAULT", "KORAVEN");
    RECT r = {0, 0, 0, 0};
    if (saver) GetClientRect(saver, &r);
    if (FILE* f = std::fopen("preview_host.txt", "w")) {
        std::fprintf(f, "handle=%s\nchild=%d\nsize=%ldx%ld\n", handleText, saver ? 1 : 0,
                     r.right - r.left, r.bottom - r.top);
        std::fclose(f);
    }
}

void PumpUntil(HANDLE process, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (ms != INFINITE && elapsed >= ms) return;
        DWORD left = ms == INFINITE ? 100 : ms - elapsed;
        if (left > 100) left = 100;
        if (MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 125;
    const char* saver = __argv[1];
    int seconds = __argc > 2 ? std::atoi(__argv[2]) : 10;
    int width = __argc > 4 ? std::atoi(__argv[3]) : 152;
    int height = __argc > 4 ? std::atoi(__argv[4]) : 112;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "KvPreviewHost";
    RegisterClassA(&wc);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "KvPreviewArea";
    RegisterClassA(&wc);
    RECT r = {0, 0, width + 40, height + 40};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRect(&r, style, FALSE);
    HWND host =
        CreateWindowExA(0, "KvPreviewHost", "KORAVEN preview host", style, 40, 40, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!host) return 125;
    HWND area = CreateWindowExA(0, "KvPreviewArea", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20,
                                20, width, height, host, nullptr, instance, nullptr);
    if (!area) return 125;
    ShowWindow(host, SW_SHOW);
    UpdateWindow(host);

    char handleText[32];
    std::snprintf(handleText, sizeof handleText, "%llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(area)));
    Note(handleText, area);

    char commandLine[1024];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" /p %s", saver, handleText);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(saver, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        DestroyWindow(host);
        return 125;
    }
    CloseHandle(pi.hThread);
    PumpUntil(pi.hProcess, seconds > 0 ? static_cast<DWORD>(seconds) * 1000 : INFINITE);
    Note(handleText, area);
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
        DestroyWindow(host);
        PumpUntil(pi.hProcess, 5000);
    }
    DWORD code = 124;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    if (IsWindow(host)) DestroyWindow(host);
    return static_cast<int>(code);
}
