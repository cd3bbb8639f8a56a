#pragma once
// The Win32 tests' fixture: the process-wide state at its start values, error reports recorded,
// a real window of the saver's class "DEFAULT" as the main window; and a modal dialog driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/error_report.h"
#include "common/keys.h"
#include "common/shell_state.h"
#include "display/win32/kadraw.h"
#include "overlay/overlay_step.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/process_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

// What a look at the thread's message queue found.
struct Queue {
    int closes = 0;
    int quits = 0;
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterHooks();
        ResetProcessState();
        shutdownDone = false;
        instanceMutex = nullptr;
        errors.clear();
        errorBox = [](const char* text) { errors.push_back(text); };
        RegisterMainClass(GetModuleHandleA(nullptr));
        window = CreateWindowExA(0, kWindowClassName, "KORAVEN test", WS_POPUP, 0, 0, 640, 480,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        mainWindow = window;
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
        errorBox = nullptr;
        EXPECT_TRUE(errors.empty()) << errors[0];
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(mainWindow, message, wParam, lParam);
    }
    // Empties the queue, dispatching all but WM_QUIT if asked, and counts the closes and quits.
    static Queue Take(bool dispatch = false) {
        Queue found;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
            if (msg.message == WM_CLOSE) ++found.closes;
            if (msg.message == WM_QUIT) ++found.quits;
            if (dispatch && msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
        return found;
    }
    HWND window = nullptr;
    static inline std::vector<std::string> errors;
};

// Drives a modal dialog from inside its own message loop as a user would: a thread timer runs
// act once on the next visible, enabled dialog match accepts (giving up after about 20 s);
// modal::done tells whether it ran.
namespace modal {
inline std::function<bool(HWND)> match;
inline std::function<void(HWND)> act;
inline UINT_PTR timer = 0;
inline int ticks = 0;
inline bool done = false;
inline BOOL CALLBACK Consider(HWND w, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (lstrcmpW(cls, L"#32770") || !IsWindowVisible(w) || !IsWindowEnabled(w) || !match(w))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}
inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND found = nullptr;
    if (timer) EnumThreadWindows(GetCurrentThreadId(), Consider, LPARAM(&found));
    if (!timer || (!found && ++ticks < 400)) return;
    KillTimer(nullptr, std::exchange(timer, 0));
    done = found != nullptr;
    if (done) act(found);
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
inline void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
