// Test-bench helper: reads the saver's message box from outside and closes it, as a user would.
//
//   read_box.exe OUTFILE [WAIT_MS [keep]]
//
// Waits up to WAIT_MS milliseconds (default 20000) for a dialog window owned by the saver's
// window (class "DEFAULT", title "KORAVEN"), writes its caption on the first line of OUTFILE and
// the text of its static controls on the following lines (the bytes as the program shows them:
// Shift-JIS under code page 932), then presses its OK button (not with "keep"). Exits with 0 when a
// box was read and closed, 1 when none appeared in time. (Captions are not taken from the command
// line: the bench cannot pass Japanese arguments through unchanged.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Search {
    HWND owner;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    Search* s = reinterpret_cast<Search*>(data);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && GetWindow(window, GW_OWNER) == s->owner) {
        s->box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountStaticText(HWND child, LPARAM count) {
    char cls[32] = {}, text[8] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// A box is found as soon as its window exists; its caption and text come a moment later.
bool Filled(HWND box) {
    char caption[8] = {};
    int texts = 0;
    EnumChildWindows(box, CountStaticText, reinterpret_cast<LPARAM>(&texts));
    return GetWindowTextA(box, caption, sizeof caption) > 0 && texts > 0;
}

BOOL CALLBACK WriteStatic(HWND child, LPARAM out) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) std::fprintf(reinterpret_cast<FILE*>(out), "%s\n", text);
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 2;
    const char* outPath = __argv[1];
    DWORD waitMs = __argc > 2 ? std::strtoul(__argv[2], nullptr, 10) : 20000;
    const DWORD start = GetTickCount();
    Search s = {nullptr, nullptr};
    for (;;) {
        s.owner = FindWindowA("DEFAULT", "KORAVEN");
        s.box = nullptr;
        if (s.owner) EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
        if (s.box && Filled(s.box)) break;
        if (GetTickCount() - start >= waitMs) return 1;
        Sleep(50);
    }
    if (FILE* f = std::fopen(outPath, "w")) {
        char caption[256] = {};
        GetWindowTextA(s.box, caption, sizeof caption);
        std::fprintf(f, "%s\n", caption);
        EnumChildWindows(s.box, WriteStatic, reinterpret_cast<LPARAM>(f));
        std::fclose(f);
    }
    if (__argc < 4 || lstrcmpA(__argv[3], "keep") != 0) PostMessageA(s.box, WM_COMMAND, IDOK, 0);
    return 0;
}
