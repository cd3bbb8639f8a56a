// Test-bench helper: what the running saver holds, as one line of KEY=VALUE words in a file.
//
//   process_stats.exe FILE
//
// The saver is found by its window (class "DEFAULT", title "KORAVEN"). The line:
//
//   private=BYTES working_set=BYTES gdi=N user=N handles=N threads=N gdi_from=... user_from=...
//   handles_from=...
//
// private and working_set come from GetProcessMemoryInfo (private bytes, resident set; Wine gives
// 0 private bytes for another process), handles from GetProcessHandleCount (handles_from=system)
// or, where that says 0 as under Wine, from the system's handle list (handles_from=list), threads
// from a Toolhelp snapshot. gdi and user are GetGuiResources' counts where the system has them
// (gdi_from=system, user_from=system). Wine answers 0 there, so the helper counts for itself: the
// GDI objects are the used entries of the process's GDI handle table (the table the process
// environment block points to, read with ReadProcessMemory; gdi_from=table), the USER objects
// the windows the process owns, top-level, child and message-only (user_from=windows). Run it
// inside the saver's desktop.
// Exit codes: 0 written; 1 FILE cannot be written; 2 no saver window; 3 the process cannot be
// opened.
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

namespace {

DWORD targetPid = 0;
int windowCount = 0;

BOOL CALLBACK CountChild(HWND, LPARAM) {
    ++windowCount;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == targetPid) {
        ++windowCount;
        EnumChildWindows(window, CountChild, 0);
    }
    return TRUE;
}

int CountWindows() {
    windowCount = 0;
    EnumWindows(CountTopLevel, 0);
    HWND window = nullptr;
    while ((window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr) {
        CountTopLevel(window, 0);
    }
    return windowCount;
}

// The layout of one entry of the GDI handle table, the same on Windows and Wine (24 bytes);
// a free entry has type 0.
struct GdiEntry {
    UINT64 object;
    USHORT processId;
    USHORT count;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiEntry) == 24, "GDI handle table entry");
constexpr size_t kGdiEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // PEB.GdiSharedHandleTable, 64-bit layout

using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

long CountGdiTable(HANDLE process) {
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return -1;
    PROCESS_BASIC_INFORMATION info = {};
    if (query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    UINT64 table = 0;
    SIZE_T got = 0;
    const char* peb = static_cast<const char*>(static_cast<void*>(info.PebBaseAddress));
    if (!ReadProcessMemory(process, peb + kPebGdiTableOffset, &table, sizeof table, &got) ||
        got != sizeof table || table == 0) {
        return -1;
    }
    // Read in blocks; a block that cannot be read (not committed) holds no used entry.
    constexpr size_t kBlock = 4096;
    std::vector<GdiEntry> block(kBlock);
    long used = 0;
    for (size_t first = 0; first < kGdiEntries; first += kBlock) {
        const UINT64 at = table + first * sizeof(GdiEntry);
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(at), block.data(),
                               kBlock * sizeof(GdiEntry), &got)) {
            continue;
        }
        for (size_t i = 0; i < got / sizeof(GdiEntry); ++i) {
            if (block[i].type != 0 &&
                (block[i].processId == 0 || block[i].processId == static_cast<USHORT>(targetPid))) {
                ++used;
            }
        }
    }
    return used;
}

// Kernel handles of the process from the system's handle list, where the process itself does not
// say (Wine answers GetProcessHandleCount for other processes with 0).
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
using QuerySystem = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;

long CountHandleList() {
    const auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<char> buffer(1 << 16);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG need = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &need);
        if (status == 0) {
            const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
            const size_t first = sizeof(void*);  // the count, padded to the entries' alignment
            if (first + count * sizeof(HandleEntry) > buffer.size()) return -1;
            const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + first);
            long n = 0;
            for (ULONG i = 0; i < count; ++i) n += entries[i].ownerPid == targetPid;
            return n;
        }
        buffer.resize(need > buffer.size() ? need + 4096 : buffer.size() * 2);
    }
    return -1;
}

int CountThreads() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int n = 0;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry)) {
        if (entry.th32OwnerProcessID == targetPid) ++n;
    }
    CloseHandle(snap);
    return n;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 1;
    HWND saver = FindWindowA("DEFAULT", "KORAVEN");
    if (!saver) return 2;
    GetWindowThreadProcessId(saver, &targetPid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, targetPid);
    if (!process) return 3;

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    DWORD count = 0;
    long handles = GetProcessHandleCount(process, &count) ? static_cast<long>(count) : 0;
    const char* handlesFrom = "system";
    if (handles == 0) {
        handles = CountHandleList();
        handlesFrom = "list";
    }

    long gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    const char* gdiFrom = "system";
    if (gdi == 0) {
        gdi = CountGdiTable(process);
        gdiFrom = "table";
    }
    long user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    const char* userFrom = "system";
    if (user == 0) {
        user = CountWindows();
        userFrom = "windows";
    }
    const int threads = CountThreads();
    CloseHandle(process);

    std::FILE* f = std::fopen(__argv[1], "w");
    if (!f) return 1;
    std::fprintf(f,
                 "private=%llu working_set=%llu gdi=%ld user=%ld handles=%ld threads=%d "
                 "gdi_from=%s user_from=%s handles_from=%s\n",
                 static_cast<unsigned long long>(memory.PrivateUsage),
                 static_cast<unsigned long long>(memory.WorkingSetSize), gdi, user, handles,
                 threads, gdiFrom, userFrom, handlesFrom);
    return std::fclose(f) == 0 ? 0 : 1;
}
