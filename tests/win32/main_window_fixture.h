#pragma once
// A real main window for the input and shutdown tests: class "DEFAULT" with the saver's own
// WindowProc, every piece of state those two touch back at its start value, and the thread's
// message queue read and emptied between cases.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "display/error_report.h"
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

inline void RecordErrorReport(const char* text) {
    ErrorReports().push_back(text);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetNewsStore();
        ResetNewsLines();
        ResetMousePosition();
        for (int& s : config.SHOW) s = 0;
        shutdownDone = false;
        instanceMutex = nullptr;
        ErrorReports().clear();
        kaDraw::errorBox = RecordErrorReport;
        RegisterMainClass(GetModuleHandleA(nullptr));
        window = CreateWindowExA(0, kWindowClassName, "KORAVEN test", WS_POPUP, 0, 0, 640, 480,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        Drain();
    }

    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        if (mainWindow != window && IsWindow(mainWindow)) DestroyWindow(mainWindow);
        Drain();
        mainWindow = nullptr;
        kaDraw::errorBox = nullptr;
        EXPECT_TRUE(ErrorReports().empty()) << ErrorReports()[0];
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(mainWindow, message, wParam, lParam);
    }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Key(int key) { Send(WM_KEYDOWN, static_cast<WPARAM>(key), 1); }

    // Takes the WM_CLOSE messages waiting for the main window out of the queue and counts them;
    // every other message stays.
    int TakeCloses() {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
        return n;
    }

    // Empties the thread's queue without dispatching; true when a WM_QUIT was among it.
    static bool Drain() {
        bool quit = false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
        }
        return quit;
    }

    HWND window = nullptr;
};
