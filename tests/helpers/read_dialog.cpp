// Test-bench helper: finds the saver's open dialog from outside, writes what it shows, and can
// type into it or press one of its buttons.
//
//   read_dialog.exe OUTFILE [WAIT_MS [text ID ASCII | click ID]]
//
// Waits up to WAIT_MS milliseconds (default 20000) for a visible, enabled dialog (class "#32770")
// of the thread that owns the saver's window (class "DEFAULT", title "KORAVEN"): the configuration
// dialog, or the news dialog while it covers it. Writes to OUTFILE, in UTF-8: its caption on the
// first line, "rect=X Y W H" (screen pixels) on the second, then the text of every child window,
// one a line. "text ID ASCII" then sets the text of control ID; "click ID" presses button ID
// (posted, so a dialog it opens does not hold this helper). Exits with 0 when a dialog was found,
// 1 when none appeared in time. (Japanese cannot pass through the bench's command line, hence
// UTF-8 out and plain ASCII in.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

std::string Text(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &got);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

BOOL CALLBACK WriteChild(HWND child, LPARAM out) {
    std::fprintf(reinterpret_cast<FILE*>(out), "%s\n", Text(child).c_str());
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 2;
    const DWORD waitMs = __argc > 2 ? std::strtoul(__argv[2], nullptr, 10) : 20000;
    const DWORD start = GetTickCount();
    HWND dialog = nullptr;
    for (;;) {
        if (HWND saver = FindWindowA("DEFAULT", "KORAVEN")) {
            EnumThreadWindows(GetWindowThreadProcessId(saver, nullptr), FindDialog,
                              reinterpret_cast<LPARAM>(&dialog));
        }
        if (dialog) break;
        if (GetTickCount() - start >= waitMs) return 1;
        Sleep(50);
    }
    if (FILE* f = std::fopen(__argv[1], "w")) {
        RECT r = {};
        GetWindowRect(dialog, &r);
        std::fprintf(f, "%s\nrect=%ld %ld %ld %ld\n", Text(dialog).c_str(), r.left, r.top,
                     r.right - r.left, r.bottom - r.top);
        EnumChildWindows(dialog, WriteChild, reinterpret_cast<LPARAM>(f));
        std::fclose(f);
    }
    if (__argc > 5 && std::strcmp(__argv[3], "text") == 0) {
        const int id = std::atoi(__argv[4]);
        wchar_t text[512] = {};
        MultiByteToWideChar(CP_UTF8, 0, __argv[5], -1, text, 512);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_BLOCK, 5000, &ignored);
    } else if (__argc > 4 && std::strcmp(__argv[3], "click") == 0) {
        const int id = std::atoi(__argv[4]);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    return 0;
}
