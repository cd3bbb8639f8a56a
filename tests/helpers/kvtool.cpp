// Test-bench tool: drives and reads the saver from outside, as the system or a user would.
//   close CLASS TITLE [MS]     WM_CLOSE to that window (in 5000 ms); 1: none came
//   hold                       a window "KORAVEN other" (class KvForeground) in front until closed
//   dialog FILE MS ID [text ID ASCII | click ID]  a dialog of the saver's thread with control ID
//       (0: any) into FILE: caption, "rect=X Y W H", its controls' texts, in UTF-8 (Japanese
//       cannot pass the command line); then a text set or a button pressed. 1: none came, 3: not
//       in front (keys would miss it)
//   preview SAVER SECONDS      the system's preview host: "SAVER /p <area>" in a 152 x 112 area;
//       lines "child=0|1" and "size=WxH" of the saver's window into preview_host.txt, then the
//       host closes; exits with the saver's code (124: it did not end)
//   stats FILE                 "GDI HANDLES" of the saver's process, counted in its GDI handle
//       table and the system's handle list (Wine's usual calls answer 0)
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

int Preview(const char* saver, int seconds) {
    const int w = 152, h = 112;
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
    GetClientRect(child, &r);
    if (FILE* f = std::fopen("preview_host.txt", "w")) {
        std::fprintf(f, "child=%d\nsize=%ldx%ld\n", child ? 1 : 0, r.right, r.bottom);
        std::fclose(f);
    }
    DestroyWindow(host);  // as the host ends a preview
    Pump(pi.hProcess, 5000);
    DWORD code = 124;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}

int hasId = 0;

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(w) || !IsWindowEnabled(w) ||
        (hasId && !GetDlgItem(w, hasId)))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

BOOL CALLBACK WriteText(HWND w, LPARAM f) {
    wchar_t text[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &got);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::fprintf(reinterpret_cast<FILE*>(f), "%s\n", utf8);
    return TRUE;
}

int Dialog(int argc, char** argv) {
    const DWORD waitMs = std::strtoul(argv[3], nullptr, 10), start = GetTickCount();
    hasId = std::atoi(argv[4]);
    HWND dialog = nullptr;
    for (; !dialog; Sleep(50)) {
        if (HWND saver = FindWindowA("DEFAULT", "KORAVEN"))
            EnumThreadWindows(GetWindowThreadProcessId(saver, nullptr), FindDialog,
                              reinterpret_cast<LPARAM>(&dialog));
        if (!dialog && GetTickCount() - start >= waitMs) return 1;
    }
    const std::string action = argc > 6 ? argv[5] : "";
    const int id = argc > 6 ? std::atoi(argv[6]) : 0;
    while (action != "click" && GetForegroundWindow() != dialog && GetTickCount() - start < waitMs)
        Sleep(50);
    if (FILE* f = std::fopen(argv[2], "w")) {
        WriteText(dialog, reinterpret_cast<LPARAM>(f));
        RECT r = {};
        GetWindowRect(dialog, &r);
        std::fprintf(f, "rect=%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left,
                     r.bottom - r.top);
        EnumChildWindows(dialog, WriteText, reinterpret_cast<LPARAM>(f));
        std::fclose(f);
    }
    if (action == "text" && argc > 7) {
        wchar_t text[512] = {};
        MultiByteToWideChar(CP_UTF8, 0, argv[7], -1, text, 512);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_BLOCK, 5000, &ignored);
    }
    if (action == "click")  // posted: not held by a dialog it opens
        return !PostMessageW(dialog, WM_COMMAND, id, LPARAM(GetDlgItem(dialog, id)));
    return GetForegroundWindow() == dialog ? 0 : 3;
}

template <typename F>
F Ntdll(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Used entries (type at byte 14 is not 0) of the GDI handle table that PEB + 0xF8 points to:
// 0x10000 entries of 24 bytes, the owner's process id at byte 8 (0: shared).
long GdiObjects(HANDLE process, DWORD pid) {
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
    std::vector<unsigned char> block(4096 * 24);
    long used = 0;
    for (UINT64 at = table; at < table + 0x10000 * 24; at += block.size()) {
        if (!ReadProcessMemory(process, reinterpret_cast<void*>(at), block.data(), block.size(),
                               &got))
            continue;  // not committed: no entry in use
        for (size_t e = 0; e + 24 <= got; e += 24) {
            USHORT owner = 0;
            std::memcpy(&owner, &block[e + 8], 2);
            used += block[e + 14] && (!owner || owner == USHORT(pid));
        }
    }
    return used;
}

// Entries of the system's handle list (16: SystemHandleInformation; a count, then 24-byte
// entries with the owner's process id first) that belong to PID.
long Handles(DWORD pid) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    std::vector<char> buf(1 << 16);
    for (ULONG need = 0;
         Ntdll<Query>("NtQuerySystemInformation")(16, buf.data(), ULONG(buf.size()), &need);) {
        if (buf.size() > (64u << 20)) return -1;
        buf.resize(need > buf.size() ? need + 4096 : buf.size() * 2);
    }
    ULONG n = 0, owner = 0;
    std::memcpy(&n, buf.data(), 4);
    if (8 + n * size_t(24) > buf.size()) return -1;
    long mine = 0;
    for (ULONG i = 0; i < n; ++i) {
        std::memcpy(&owner, &buf[8 + i * 24], 4);
        mine += owner == pid;
    }
    return mine;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int argc = __argc;
    char** argv = __argv;
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "close" && argc > 3) {
        const DWORD ms = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 5000;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50))
            if (HWND w = FindWindowA(argv[2], argv[3])) return !PostMessageA(w, WM_CLOSE, 0, 0);
        return 1;
    }
    if (what == "hold") {
        SetForegroundWindow(Window("KvForeground", "KORAVEN other", WS_POPUP, 200, 100));
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        return 0;
    }
    if (what == "dialog" && argc > 4) return Dialog(argc, argv);
    if (what == "preview" && argc > 3) return Preview(argv[2], std::atoi(argv[3]));
    DWORD pid = 0;
    if (what != "stats" || argc < 3 ||
        !GetWindowThreadProcessId(FindWindowA("DEFAULT", "KORAVEN"), &pid))
        return 2;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    FILE* f = process ? std::fopen(argv[2], "w") : nullptr;
    return !(f && std::fprintf(f, "%ld %ld\n", GdiObjects(process, pid), Handles(pid)) > 0 &&
             !std::fclose(f));
}
