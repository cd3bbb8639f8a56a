#pragma once
// The shared fixture of the Win32 tests: the process-wide state at its start values, error
// reports recorded instead of shown, and a real window of class "DEFAULT" (the saver's own
// WindowProc) as the main window. The thread's queue is emptied between cases.
#include <gtest/gtest.h>
#include <windows.h>

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
