// Test-bench helper: finds the saver's open dialog from outside, writes what it shows, and can
// type into it or press one of its buttons.
//
//   read_dialog.exe OUTFILE WAIT_MS HAS_ID [text ID ASCII | click ID]
//
// Waits up to WAIT_MS milliseconds for a visible, enabled dialog (class "#32770") of the thread
// that owns the saver's window (class "DEFAULT", title "KORAVEN") that has a control HAS_ID
// (1016: the configuration dialog; 1040: the news dialog). Writes to OUTFILE, in UTF-8: its caption
// on the first line, "rect=X Y W H" (screen pixels) on the second, then the text of every child
// window, one a line. "text ID ASCII" then sets the text of control ID; "click ID" presses button
// ID (posted, so a dialog it opens does not hold this helper). Exits with 0 when a dialog was found
// and is the foreground window (so that keys pressed next reach it), 1 when none appeared in
// time, 3 when one appeared but did not come to the foreground in time. (Japanese cannot pass
// through the bench's command line, hence UTF-8 out and plain ASCII in.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int hasId = 0;

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window) &&
        GetDlgItem(window, hasId) != nullptr) {
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
    if (__argc < 4) return 2;
    const DWORD waitMs = std::strtoul(__argv[2], nullptr, 10);
    hasId = std::atoi(__argv[3]);
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
    while (GetForegroundWindow() != dialog && GetTickCount() - start < waitMs) Sleep(50);
    const int result = GetForegroundWindow() == dialog ? 0 : 3;
    if (FILE* f = std::fopen(__argv[1], "w")) {
        RECT r = {};
        GetWindowRect(dialog, &r);
        std::fprintf(f, "%s\nrect=%ld %ld %ld %ld\n", Text(dialog).c_str(), r.left, r.top,
                     r.right - r.left, r.bottom - r.top);
        EnumChildWindows(dialog, WriteChild, reinterpret_cast<LPARAM>(f));
        std::fclose(f);
    }
    if (__argc > 6 && std::strcmp(__argv[4], "text") == 0) {
        const int id = std::atoi(__argv[5]);
        wchar_t text[512] = {};
        MultiByteToWideChar(CP_UTF8, 0, __argv[6], -1, text, 512);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_BLOCK, 5000, &ignored);
    } else if (__argc > 5 && std::strcmp(__argv[4], "click") == 0) {
        const int id = std::atoi(__argv[5]);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    return result;
}
