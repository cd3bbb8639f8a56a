#pragma once
// The shared fixture of the Win32 tests: every piece of process-wide state back at its start
// value, error reports recorded instead of shown, and a real window of class "DEFAULT" with the
// saver's own WindowProc as the main window. The thread's queue is emptied between cases.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "news/news_store.h"
#include "overlay/news_lines.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

inline std::vector<std::string>& ErrorReports() {
    static std::vector<std::string> reports;
    return reports;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        ResetNewsStore();
        ResetNewsLines();
        ResetMousePosition();
        for (int& s : config.SHOW) s = 0;
        shutdownDone = false;
        instanceMutex = nullptr;
        previewParent = nullptr;
        ErrorReports().clear();
        kaDraw::errorBox = [](const char* text) { ErrorReports().push_back(text); };
        RegisterMainClass(GetModuleHandleA(nullptr));
        window = CreateWindowExA(0, kWindowClassName, "KORAVEN test", WS_POPUP, 0, 0, 640, 480,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        Take();
    }

    void TearDown() override {
        kaDraw::ReleaseSound();
        kaDraw::Release();
        for (HWND w : {mainWindow, window, host}) {
            if (w && IsWindow(w)) DestroyWindow(w);
        }
        Take();
        mainWindow = nullptr;
        kaDraw::errorBox = nullptr;
        EXPECT_TRUE(ErrorReports().empty()) << ErrorReports()[0];
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(mainWindow, message, wParam, lParam);
    }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Key(int key) { Send(WM_KEYDOWN, static_cast<WPARAM>(key), 1); }

    // Empties the thread's queue, dispatching every message but WM_QUIT when `dispatch` is set;
    // counts the WM_CLOSE and WM_QUIT among them.
    struct Taken {
        int closes = 0, quits = 0;
    };
    static Taken Take(bool dispatch = false) {
        Taken t;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            t.quits += msg.message == WM_QUIT;
            t.closes += msg.message == WM_CLOSE;
            if (dispatch && msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
        return t;
    }

    HWND window = nullptr;
    HWND host = nullptr;
};
