// The shell's Win32 side under Wine: single instance, window shapes, start-up, close and
// shutdown order, the loop's end, frame clock and Pause (Parts 1.1, 1.2 rows WM_CLOSE and
// WM_DESTROY, 1.3 frame).
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "display/win32/kadraw.h"
#include "modal_driver.h"
#include "settings/settings.h"
#include "shell/random.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"
#include "shell/win32/window_proc.h"

namespace {

struct Drained {
    int closes = 0;
    int quits = 0;
};

// Takes every waiting message of this thread off the queue, dispatching all but WM_QUIT.
Drained Drain() {
    Drained d;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ++d.quits;
            continue;
        }
        if (msg.message == WM_CLOSE) ++d.closes;
        DispatchMessageA(&msg);
    }
    return d;
}

// Counts waiting WM_CLOSE and WM_QUIT without dispatching anything.
Drained Count() {
    Drained d;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) ++d.quits;
        if (msg.message == WM_CLOSE) ++d.closes;
    }
    return d;
}

std::string UniqueName(const char* base) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%lu_%lu", base, GetCurrentProcessId(), GetTickCount());
    return buf;
}

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        shutdownDone = false;
        instanceMutex = nullptr;
        mainWindow = nullptr;
        previewParent = nullptr;
        Count();
        RegisterMainClass(GetModuleHandleA(nullptr));
    }
    void TearDown() override {
        if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
        mainWindow = nullptr;
        if (host_) DestroyWindow(host_);
        host_ = nullptr;
        Count();
    }
    HWND host_ = nullptr;
};

}  // namespace

TEST_F(Shell, SingleInstanceMutexAndSecondInstance) {
    const std::string name = UniqueName("KVTEST");
    EXPECT_TRUE(CheckSingleInstance(name.c_str()));
    ASSERT_NE(instanceMutex, nullptr);
    HANDLE first = instanceMutex;
    HANDLE named = OpenMutexA(SYNCHRONIZE, FALSE, (name + ":KaMutex").c_str());
    EXPECT_NE(named, nullptr);
    if (named) CloseHandle(named);
    // A second instance (here: a second call) finds the mutex and says no.
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));
    CloseHandle(instanceMutex);
    instanceMutex = first;
    CloseHandle(first);
    instanceMutex = nullptr;
}

TEST_F(Shell, ShutdownReleasesOwnershipButKeepsTheMutex) {
    const std::string name = UniqueName("KVSHUT");
    ASSERT_TRUE(CheckSingleInstance(name.c_str()));
    HANDLE held = instanceMutex;
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_TRUE(Shutdown());
    EXPECT_EQ(instanceMutex, nullptr);
    // Another thread can now own it: ownership was released.
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            HANDLE m = static_cast<HANDLE>(p);
            DWORD r = WaitForSingleObject(m, 2000);
            if (r == WAIT_OBJECT_0) ReleaseMutex(m);
            return r;
        },
        held, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 5000);
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    // The handle was kept, so a later instance still finds the mutex and exits.
    HANDLE again = CreateMutexA(nullptr, TRUE, (name + ":KaMutex").c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    CloseHandle(held);
}

TEST_F(Shell, FullScreenWindowShape) {
    fullScreen = true;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    char cls[32], title[32];
    GetClassNameA(mainWindow, cls, sizeof cls);
    GetWindowTextA(mainWindow, title, sizeof title);
    EXPECT_STREQ(cls, "DEFAULT");
    EXPECT_STREQ(title, "KORAVEN");
    const LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_EQ(GetWindowLongA(mainWindow, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    RECT r;
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetParent(mainWindow), nullptr);
    const UINT classStyle = GetClassLongA(mainWindow, GCL_STYLE);
    EXPECT_EQ(classStyle, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_NE(GetClassLongPtrA(mainWindow, GCLP_HICON), 0);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrA(mainWindow, GCLP_HBRBACKGROUND)),
              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

TEST_F(Shell, ConfigureWindowShapeIsCentred) {
    fullScreen = false;
    configMode = true;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    const LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_POPUP);
    const int w = 640 + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXDLGFRAME) +
                  GetSystemMetrics(SM_CXBORDER);
    const int h = 480 + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYEDGE) +
                  GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYBORDER);
    RECT r;
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

TEST_F(Shell, PreviewWindowIsAChildOfTheHostFillingIt) {
    host_ = CreateWindowExA(0, "DEFAULT", "host", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    HWND area = CreateWindowExA(0, "DEFAULT", "area", WS_CHILD | WS_VISIBLE, 5, 5, 152, 112, host_,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(area, nullptr);
    char cmd[64];
    std::snprintf(cmd, sizeof cmd, "/p %lu",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(area)));
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), cmd, SW_SHOW));
    EXPECT_TRUE(previewMode);
    EXPECT_FALSE(fullScreen);
    EXPECT_TRUE(runWhileInactive);
    EXPECT_FALSE(mouseEndsSaver);
    EXPECT_EQ(previewParent, area);  // GW_HWNDFIRST of the only child is itself
    EXPECT_EQ(previewWidth, 152);
    EXPECT_EQ(previewHeight, 112);
    EXPECT_EQ(GetParent(mainWindow), area);
    EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_STYLE) & WS_CHILD);
    RECT r;
    GetClientRect(mainWindow, &r);
    EXPECT_EQ(r.right, 152);
    EXPECT_EQ(r.bottom, 112);
    // A frame in preview mode follows the host's position.
    runState = 0;
    RunFrame();
    RECT ar;
    GetWindowRect(area, &ar);
    EXPECT_EQ(windowOrigin.x, ar.left);
    EXPECT_EQ(windowOrigin.y, ar.top);
    EXPECT_TRUE(cursorShown);  // the cursor is never inside a preview
}

TEST_F(Shell, PreviewWithoutAHostWindowEndsTheStart) {
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p 99999", SW_SHOW));
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p", SW_SHOW));
    EXPECT_EQ(mainWindow, nullptr);
}

TEST_F(Shell, ConfigureModeShowsTheDialogOnTheHiddenWindowThenEndsCleanly) {
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/c:1234", SW_SHOW));
    EXPECT_TRUE(configMode);
    EXPECT_TRUE(startHidden);
    EXPECT_FALSE(fullScreen);
    EXPECT_FALSE(mouseEndsSaver);
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    EXPECT_EQ(GetParent(mainWindow), nullptr);  // the number of /c: is not used
    // The dialog runs modally, owned by the hidden window, before the display exists; Cancel
    // ends it, the display is set up on the hidden window afterwards, and the loop then ends.
    HWND owner = nullptr;
    bool displayBefore = true;
    WhenDialogOpens([](HWND) { return true; },
                    [&](HWND dialog) {
                        owner = GetWindow(dialog, GW_OWNER);
                        displayBefore = kaDraw::directDraw != nullptr;
                        ClickButton(dialog, IDCANCEL);
                    });
    StartRun();
    EXPECT_TRUE(WhenDialogRan());
    EXPECT_EQ(owner, mainWindow);
    EXPECT_FALSE(displayBefore);
    EXPECT_NE(kaDraw::directDraw, nullptr);
    EXPECT_EQ(runState, 1);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(closeState, 2);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(Shell, FullScreenStartUpShowsAScreenSizedWindowAndLaysOutTheSlots) {
    randomState = 1;
    config.MOUSESENSE = 0;  // overwritten by the read below
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/s", SW_SHOW));
    EXPECT_TRUE(fullScreen);
    EXPECT_FALSE(configMode);
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_EQ(instanceHandle, GetModuleHandleA(nullptr));
    EXPECT_EQ(overlayLines[0].depth, 41 % 24 + 16);
    EXPECT_EQ(overlayLines[0].x, 18467 % 512);
    EXPECT_EQ(overlayLines[9].y, 482.0f);
    EXPECT_EQ(overlayLines[5].x, 0);
    // The test program's name is not koraven.scr: the bare settings name.
    EXPECT_STREQ(settingsPath, "koraven.ini");
    EXPECT_STREQ(blockPattern, "*.x");
}

TEST_F(Shell, CloseFromOutsideRunsShutdownOncePostsNothingAndDestroys) {
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(closeState, 2);
    EXPECT_FALSE(IsWindow(mainWindow));
    Drained d = Count();
    EXPECT_EQ(d.closes, 0);
    EXPECT_EQ(d.quits, 1);  // WM_DESTROY posted WM_QUIT
}

TEST_F(Shell, ShutdownFirstPostsExactlyOneClose) {
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_TRUE(Shutdown());
    EXPECT_TRUE(Shutdown());
    EXPECT_TRUE(Shutdown());
    EXPECT_EQ(closeState, 2);
    EXPECT_TRUE(IsWindow(mainWindow));
    Drained d = Drain();  // the posted WM_CLOSE only destroys the window
    EXPECT_EQ(d.closes, 1);
    EXPECT_EQ(d.quits, 1);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_EQ(closeState, 2);
}

TEST_F(Shell, SecondCloseAfterACloseFromOutsideOnlyDestroys) {
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    closeState = 1;  // WM_CLOSE came first, Shutdown not yet finished
    shutdownDone = true;
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_EQ(Count().closes, 0);
}

TEST_F(Shell, FullScreenShutdownMinimisesBeforeTheCloseRequest) {
    fullScreen = true;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    ShowWindow(mainWindow, SW_SHOW);
    Shutdown();
    EXPECT_TRUE(IsIconic(mainWindow));
    EXPECT_EQ(Drain().closes, 1);
}

TEST_F(Shell, PreviewShutdownDoesNotMinimise) {
    fullScreen = false;
    previewMode = true;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    host_ = mainWindow;  // a preview needs a parent; a top-level stands in
    mainWindow = CreateWindowExA(0, "DEFAULT", "KORAVEN", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 host_, nullptr, GetModuleHandleA(nullptr), nullptr);
    Shutdown();
    EXPECT_FALSE(IsIconic(mainWindow));
    EXPECT_FALSE(IsIconic(host_));
}

TEST_F(Shell, LoopReturnsZeroOnQuitAfterHandlingEveryWaitingMessage) {
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    Shutdown();
    appActive = false;
    runWhileInactive = false;
    runState = 2;  // no frame may run: every message comes first and the quit ends the loop
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(Shell, FrameClockAndPause) {
    ResetFrameClock();
    EXPECT_EQ(frameDelta, 0.0f);
    const DWORD before = timeGetTime();
    EXPECT_LE(lastFrameTime - before + 1, 2u);  // set to a fresh reading
    Sleep(120);
    runState = 0;
    RunFrame();
    EXPECT_GE(frameDelta, 0.1f);
    EXPECT_LT(frameDelta, 5.0f);
    const DWORD start = timeGetTime();
    Pause(60);
    EXPECT_GE(timeGetTime() - start, 60u);
    EXPECT_EQ(frameDelta, 0.0f);
    RunFrame();
    EXPECT_LT(frameDelta, 0.05f);  // measured from the reset, not from the pause's start
}

TEST_F(Shell, CursorRuleInConfigureModeHidesInsideAndShowsOutside) {
    fullScreen = false;
    configMode = true;
    runState = 0;
    windowOrigin = {0, 0};
    SetCursorPos(100, 100);
    POINT p;
    GetCursorPos(&p);
    if (p.x != 100 || p.y != 100) GTEST_SKIP() << "the pointer cannot be moved here";
    RunFrame();
    EXPECT_FALSE(cursorShown);
    windowOrigin = {300, 300};
    RunFrame();
    EXPECT_TRUE(cursorShown);
}

TEST_F(Shell, ResetInputClearsTheHeldKey) {
    heldKey = 0x41;
    fullScreen = false;
    ResetInput();
    EXPECT_EQ(heldKey, 0);
    ReleaseCursor();
}
