#include "scene3d/win32/block_file.h"

#include <windows.h>

#include <string>

#include "common/win32/sjis_wide.h"

std::FILE* OpenBlockFile(const char* name) {
    // The folder from the wide module name too: the ANSI one loses what the code page lacks.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return nullptr;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of(L"\\/") + 1);
    return _wfopen((path + SjisToWide(name)).c_str(), L"rb");
}
