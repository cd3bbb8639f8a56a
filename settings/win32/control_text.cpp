// Shift-JIS settings texts into and out of the dialogs' Unicode controls.
#include "settings/win32/control_text.h"

#include "common/sjis.h"

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

std::wstring ControlText(HWND control) {
    const int n = GetWindowTextLengthW(control);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(control, &text[0], n + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void SetControlText(HWND control, const char* sjis) {
    SetWindowTextW(control, SjisToWide(sjis).c_str());
}

void ReadControlText(HWND control, char* setting, size_t capacity) {
    const std::wstring now = ControlText(control);
    const std::string text = now == SjisToWide(setting) ? std::string(setting) : WideToSjis(now);
    CopyBounded(setting, capacity, text.c_str());
}
