#pragma once
// The shared fixture of the Win32 tests: the process-wide state at its start values, error
// reports recorded instead of shown, and a real window of class "DEFAULT" (the saver's own
// WindowProc) as the main window; and a driver for modal dialogs.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "overlay/overlay_step.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        ResetOverlay();
        ResetMousePosition();
        shutdownDone = false;
        instanceMutex = nullptr;
        errors.clear();
        kaDraw::errorBox = [](const char* text) { errors.push_back(text); };
        RegisterMainClass(GetModuleHandleA(nullptr));
        mainWindow = window =
            CreateWindowExA(0, kWindowClassName, "KORAVEN test", WS_POPUP, 0, 0, 640, 480, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        Take();
    }
    void TearDown() override {
        kaDraw::ReleaseSound();
        kaDraw::Release();
        for (HWND w : {mainWindow, window})
            if (IsWindow(w)) DestroyWindow(w);
        Take();
        mainWindow = nullptr;
        kaDraw::errorBox = nullptr;
        EXPECT_TRUE(errors.empty()) << errors[0];
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(mainWindow, message, wParam, lParam);
    }
    // Empties the thread's queue, dispatching every message but WM_QUIT when `dispatch` is set:
    // ten times the WM_CLOSE found plus the WM_QUIT.
    static int Take(bool dispatch = false) {
        int found = 0;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            found += (msg.message == WM_CLOSE) * 10 + (msg.message == WM_QUIT);
            if (dispatch && msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
        return found;
    }
    HWND window = nullptr;
    static inline std::vector<std::string> errors;
};

// Drives a modal dialog of this thread from inside its own message loop, as a user would: the
// next time a visible, enabled dialog that match accepts shows up, act runs on it (once), found
// by a thread timer that gives up after about 20 s. WhenDialogRan() tells whether it did.
namespace modal {
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
    if (!timer || (!found && ++ticks < 400)) return;
    KillTimer(nullptr, timer);
    timer = 0;
    if ((done = found != nullptr)) act(found);
}
}  // namespace modal

inline void WhenDialogOpens(std::function<bool(HWND)> match, std::function<void(HWND)> act) {
    if (modal::timer) KillTimer(nullptr, modal::timer);
    modal::match = std::move(match);
    modal::act = std::move(act);
    modal::ticks = 0;
    modal::done = false;
    modal::timer = SetTimer(nullptr, 0, 50, modal::Tick);
}

inline bool WhenDialogRan() {
    return modal::done;
}

// Presses a dialog's button as a click would.
inline void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
