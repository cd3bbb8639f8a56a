#pragma once
// Drives a modal dialog of this thread from inside its own message loop, as a user would: a thread
// timer looks for the dialog once the modal loop runs and hands it to an action, which ends it.
#include <windows.h>

#include <functional>

namespace modal_driver {

struct Pending {
    std::function<bool(HWND)> match;
    std::function<void(HWND)> act;
    UINT_PTR timer = 0;
    int ticks = 0;
    HWND found = nullptr;
    bool done = false;
};
inline Pending pending;

inline BOOL CALLBACK Consider(HWND window, LPARAM) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
        !pending.match(window))
        return TRUE;
    pending.found = window;
    return FALSE;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (pending.timer == 0) return;
    pending.found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), Consider, 0);
    if (pending.found == nullptr && ++pending.ticks < 400) return;  // gives up after about 20 s
    KillTimer(nullptr, pending.timer);
    pending.timer = 0;
    pending.done = pending.found != nullptr;
    if (pending.done) pending.act(pending.found);
}

}  // namespace modal_driver

// The next time a visible, enabled dialog of this thread that match accepts shows up in a modal
// loop, act runs on it (once). WhenDialogRan() tells afterwards whether it did.
inline void WhenDialogOpens(std::function<bool(HWND)> match, std::function<void(HWND)> act) {
    modal_driver::Pending& p = modal_driver::pending;
    if (p.timer) KillTimer(nullptr, p.timer);
    p = {std::move(match), std::move(act)};
    p.timer = SetTimer(nullptr, 0, 50, modal_driver::Tick);
}

inline bool WhenDialogRan() {
    return modal_driver::pending.done;
}

// Presses a dialog's button as a click would.
inline void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
