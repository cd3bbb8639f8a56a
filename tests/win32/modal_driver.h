#pragma once
// Drives a modal dialog of this thread from inside its own message loop, as a user would: a thread
// timer looks for the dialog once the modal loop runs and hands it to an action, which ends it.
#include <windows.h>

#include <functional>

namespace modal_driver {

inline std::function<bool(HWND)> match;
inline std::function<void(HWND)> act;
inline UINT_PTR timer = 0;
inline int ticks = 0;
inline bool done = false;

inline BOOL CALLBACK Consider(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
        !match(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND found = nullptr;
    if (timer) EnumThreadWindows(GetCurrentThreadId(), Consider, LPARAM(&found));
    if (!timer || (!found && ++ticks < 400)) return;  // gives up after about 20 s
    KillTimer(nullptr, timer);
    timer = 0;
    if ((done = found != nullptr)) act(found);
}

}  // namespace modal_driver

// The next time a visible, enabled dialog of this thread that match accepts shows up in a modal
// loop, act runs on it (once). WhenDialogRan() tells afterwards whether it did.
inline void WhenDialogOpens(std::function<bool(HWND)> match, std::function<void(HWND)> act) {
    namespace m = modal_driver;
    if (m::timer) KillTimer(nullptr, m::timer);
    m::match = std::move(match);
    m::act = std::move(act);
    m::ticks = 0;
    m::done = false;
    m::timer = SetTimer(nullptr, 0, 50, m::Tick);
}

inline bool WhenDialogRan() {
    return modal_driver::done;
}

// Presses a dialog's button as a click would.
inline void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
