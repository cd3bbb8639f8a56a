// Shift-JIS (code page 932) texts to and from UTF-16 by the system's own conversion.
#include "common/win32/sjis_wide.h"

#include <windows.h>

namespace {

constexpr UINT kShiftJis = 932;

}  // namespace

std::wstring SjisToWide(const char* text) {
    const int n = MultiByteToWideChar(kShiftJis, 0, text, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kShiftJis, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string WideToSjis(const std::wstring& text, bool* usedDefault) {
    BOOL defaulted = FALSE;
    std::string sjis;
    const int n = WideCharToMultiByte(kShiftJis, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        sjis.assign(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(kShiftJis, 0, text.c_str(), -1, &sjis[0], n, nullptr, &defaulted);
        sjis.resize(static_cast<size_t>(n - 1));
    }
    if (usedDefault) *usedDefault = defaulted != FALSE;
    return sjis;
}
