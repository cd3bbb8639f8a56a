// Test-bench tool: drives and reads the saver from outside, as the system or a user would.
//   close [CLASS [TITLE [MS]]]  WM_CLOSE to that window (DEFAULT, KORAVEN, 5000); 1: none came
//   front FILE                  "CLASS|TITLE" of the foreground window into FILE
//   hold                        a window "KORAVEN other" (class KvForeground) in front
//   dialog FILE MS ID [text ID ASCII | click ID]  a visible dialog of the saver's thread with
//       control ID (0: any): caption, "rect=X Y W H" and the controls' texts into FILE in UTF-8
//       (Japanese cannot pass the command line); then a text set or a button pressed.
//       1: none came; 3: it did not come to the front
//   preview SAVER SECONDS [W H] the system's preview host: "SAVER /p <area>" in a W x H area
//       (152 x 112), "child=0|1 size=WxH" of the saver's window into preview_host.txt, then the
//       host closes; exits with the saver's code (124: it did not end)
//   stats FILE                  "GDI USER HANDLES" of the saver's process, counted from its GDI
//       table, its windows and the system's handle list (Wine's usual calls answer 0)
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int hasId = 0;
DWORD targetPid = 0;
long windows = 0;

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

HWND Window(const char* cls, const char* title, DWORD style, int w, int h, HWND parent = nullptr) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    const int at = parent ? 20 : 0;
    return CreateWindowExA(0, cls, title, style | WS_VISIBLE | WS_CLIPCHILDREN, at, at, w, h,
                           parent, nullptr, wc.hInstance, nullptr);
}

void Pump(HANDLE process, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            return;
    }
}

int Preview(const char* saver, int seconds, int w, int h) {
    HWND host =
        Window("KvPreviewHost", "KORAVEN preview host", WS_OVERLAPPEDWINDOW, w + 60, h + 80);
    HWND area = Window("KvPreviewArea", "", WS_CHILD, w, h, host);
    char line[1024];
    std::snprintf(line, sizeof line, "\"%s\" /p %llu", saver,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(area)));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!area ||
        !CreateProcessA(saver, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 125;
    Pump(pi.hProcess, seconds > 0 ? seconds * 1000u : INFINITE);
    HWND child = FindWindowExA(area, nullptr, "DEFAULT", "KORAVEN");
    RECT r = {};
    if (child) GetClientRect(child, &r);
    if (FILE* f = std::fopen("preview_host.txt", "w")) {
        std::fprintf(f, "child=%d size=%ldx%ld\n", child ? 1 : 0, r.right, r.bottom);
        std::fclose(f);
    }
    DestroyWindow(host);  // as the host ends a preview
    Pump(pi.hProcess, 5000);
    DWORD code = 124;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
    if (hasId && !GetDlgItem(w, hasId)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

std::string Text(HWND w) {
    wchar_t text[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &got);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

BOOL CALLBACK WriteChild(HWND child, LPARAM f) {
    std::fprintf(reinterpret_cast<FILE*>(f), "%s\n", Text(child).c_str());
    return TRUE;
}

int Dialog(char** argv, int argc) {
    const DWORD waitMs = std::strtoul(argv[3], nullptr, 10), start = GetTickCount();
    hasId = std::atoi(argv[4]);
    HWND dialog = nullptr;
    while (!dialog) {
        if (HWND saver = FindWindowA("DEFAULT", "KORAVEN"))
            EnumThreadWindows(GetWindowThreadProcessId(saver, nullptr), FindDialog,
                              reinterpret_cast<LPARAM>(&dialog));
        if (!dialog && GetTickCount() - start >= waitMs) return 1;
        if (!dialog) Sleep(50);
    }
    const bool click = argc > 6 && !std::strcmp(argv[5], "click");  // needs no focus
    while (!click && GetForegroundWindow() != dialog && GetTickCount() - start < waitMs) Sleep(50);
    if (FILE* f = std::fopen(argv[2], "w")) {
        RECT r = {};
        GetWindowRect(dialog, &r);
        std::fprintf(f, "%s\nrect=%ld %ld %ld %ld\n", Text(dialog).c_str(), r.left, r.top,
                     r.right - r.left, r.bottom - r.top);
        EnumChildWindows(dialog, WriteChild, reinterpret_cast<LPARAM>(f));
        std::fclose(f);
    }
    const int id = argc > 6 ? std::atoi(argv[6]) : 0;
    if (argc > 7 && !std::strcmp(argv[5], "text")) {
        wchar_t text[512] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[7], -1, text, 512);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_BLOCK, 5000, &ignored);
    } else if (click) {  // posted: not held by a dialog it opens
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    return click || GetForegroundWindow() == dialog ? 0 : 3;
}

BOOL CALLBACK CountWindow(HWND w, LPARAM top) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != targetPid) return TRUE;
    ++windows;
    if (top) EnumChildWindows(w, CountWindow, 0);
    return TRUE;
}

template <typename F>
F Ntdll(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Used entries of the process's GDI handle table (PEB + 0xF8 on 64 bits; 24-byte entries).
long GdiObjects(HANDLE process) {
    struct Entry {
        UINT64 object;
        USHORT pid, count, unique;
        UCHAR type, flags;
        UINT64 user;
    };
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    PROCESS_BASIC_INFORMATION info = {};
    UINT64 table = 0;
    SIZE_T got = 0;
    if (Ntdll<Query>("NtQueryInformationProcess")(process, ProcessBasicInformation, &info,
                                                  sizeof info, nullptr) != 0 ||
        !ReadProcessMemory(process, reinterpret_cast<char*>(info.PebBaseAddress) + 0xF8, &table,
                           sizeof table, &got) ||
        !table)
        return -1;
    std::vector<Entry> block(4096);
    long used = 0;
    for (UINT64 at = table; at < table + 0x10000 * sizeof(Entry); at += 4096 * sizeof(Entry)) {
        if (!ReadProcessMemory(process, reinterpret_cast<void*>(at), block.data(),
                               block.size() * sizeof(Entry), &got))
            continue;  // not committed: no entry in use
        for (size_t i = 0; i < got / sizeof(Entry); ++i)
            used += block[i].type && (!block[i].pid || block[i].pid == USHORT(targetPid));
    }
    return used;
}

long Handles() {
    struct Entry {
        ULONG pid;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    std::vector<char> buf(1 << 16);
    for (ULONG need = 0;
         Ntdll<Query>("NtQuerySystemInformation")(16, buf.data(), ULONG(buf.size()), &need) != 0;) {
        if (buf.size() > (64u << 20)) return -1;
        buf.resize(need > buf.size() ? need + 4096 : buf.size() * 2);
    }
    const ULONG n = *reinterpret_cast<ULONG*>(buf.data());
    const auto* e = reinterpret_cast<const Entry*>(buf.data() + sizeof(void*));
    long mine = 0;
    for (ULONG i = 0; i < n; ++i) mine += e[i].pid == targetPid;
    return mine;
}

int Stats(const char* file) {
    HWND saver = FindWindowA("DEFAULT", "KORAVEN");
    if (!saver) return 2;
    GetWindowThreadProcessId(saver, &targetPid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, targetPid);
    if (!process) return 3;
    EnumWindows(CountWindow, 1);
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr));)
        CountWindow(w, 1);
    FILE* f = std::fopen(file, "w");
    if (!f) return 1;
    std::fprintf(f, "%ld %ld %ld\n", GdiObjects(process), windows, Handles());
    return std::fclose(f) ? 1 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int argc = __argc;
    char** argv = __argv;
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "close") {
        const char* title = argc > 3 ? argv[3] : "KORAVEN";
        for (const DWORD start = GetTickCount();; Sleep(50)) {
            if (HWND w = FindWindowA(argc > 2 ? argv[2] : "DEFAULT", title))
                return PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
            if (GetTickCount() - start >= (argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 5000))
                return 1;
        }
    }
    if (what == "front" && argc > 2) {
        char cls[256] = "", title[256] = "";
        HWND w = GetForegroundWindow();
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, title, sizeof title);
        FILE* f = std::fopen(argv[2], "w");
        return f && std::fprintf(f, "%s|%s\n", cls, title) > 0 && !std::fclose(f) ? 0 : 1;
    }
    if (what == "hold") {
        SetForegroundWindow(Window("KvForeground", "KORAVEN other", WS_POPUP, 200, 100));
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }
    if (what == "dialog" && argc > 4) return Dialog(argv, argc);
    if (what == "preview" && argc > 2)
        return Preview(argv[2], argc > 3 ? std::atoi(argv[3]) : 10,
                       argc > 5 ? std::atoi(argv[4]) : 152, argc > 5 ? std::atoi(argv[5]) : 112);
    if (what == "stats" && argc > 2) return Stats(argv[2]);
    return 2;
}
