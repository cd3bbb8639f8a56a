// Where the settings file lives: beside the program, or a per-user copy.
#include "settings/win32/settings_location.h"

#include <windows.h>
#include <shlobj.h>

#include "settings/settings.h"
#include "common/sjis.h"
#include "common/shell_state.h"

namespace {

constexpr wchar_t kUserFolderName[] = L"KORAVEN";

std::wstring Widen(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return L"";
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// The path in the ANSI code page into out (kPathCapacity bytes); false when a character has no
// ANSI form or the path does not fit.
bool ToAnsi(const std::wstring& path, char* out) {
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, out, kPathCapacity,
                                nullptr, &lossy);
    return n > 0 && !lossy;
}

// The file the profile functions open for path: a name without a folder lies in the Windows
// folder, any other path is taken from the current folder.
std::wstring ResolvedPath(const char* path) {
    const std::wstring name = Widen(path);
    if (name.find_first_of(L"\\/") == std::wstring::npos) {
        wchar_t windows[MAX_PATH];
        UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return name;
        return std::wstring(windows, n) + L"\\" + name;
    }
    DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (n == 0) return name;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(name.c_str(), n, &full[0], nullptr);
    full.resize(n);
    return full;
}

bool IsFile(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the profile functions could write this file: tried for real (attributes alone do not
// tell, e.g. on a read-only share or without the folder's write permission). An existing file is
// opened for appending; for a missing one a probe file is created in its folder and removed.
bool CanWrite(const std::wstring& file) {
    DWORD a = GetFileAttributesW(file.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) {
        if (a & FILE_ATTRIBUTE_DIRECTORY) return false;
        HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    }
    const size_t slash = file.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    // A name of this process's own, removed again when closed. (GetTempFileName is no use here:
    // Wine's returns a number even when the folder refused every file.)
    const std::wstring probe =
        file.substr(0, slash) + L"\\koraven-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

}  // namespace

std::wstring UserAppDataFolder() {
    wchar_t path[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path))) {
        return path;
    }
    DWORD n = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (n == 0) return L"";
    std::wstring env(n, L'\0');
    n = GetEnvironmentVariableW(L"APPDATA", &env[0], n);
    env.resize(n);
    return env;
}

bool ChooseSettingsFile(const std::wstring& appDataFolder) {
    const std::wstring derived = ResolvedPath(settingsPath);
    if (CanWrite(derived) || appDataFolder.empty()) return false;

    const std::wstring folder = appDataFolder + L"\\" + kUserFolderName;
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring copy = folder + L"\\" + Widen(kSettingsFileName);
    if (!IsFile(copy) && IsFile(derived) && CopyFileW(derived.c_str(), copy.c_str(), TRUE)) {
        // The copy is this user's to change, whatever attributes the original carried.
        SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (!IsFile(copy) && !CanWrite(copy)) return false;

    char ansi[kPathCapacity];
    if (!ToAnsi(copy, ansi)) {
        // A folder name outside the ANSI code page: its short form is plain ASCII.
        wchar_t shortFolder[MAX_PATH];
        DWORD n = GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return false;
        copy = std::wstring(shortFolder, n) + L"\\" + Widen(kSettingsFileName);
        if (!ToAnsi(copy, ansi)) return false;
    }
    CopyBounded(settingsPath, kPathCapacity, ansi);
    return true;
}
