// Shift-JIS settings texts into and out of the dialogs' Unicode controls.
#include "settings/win32/control_text.h"

#include "common/sjis.h"
#include "common/win32/sjis_wide.h"

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
